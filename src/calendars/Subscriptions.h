#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "settings/SettingsStore.h"

namespace kalvo {

// The other calendars whose events the day shows beside its own appointments, read-only.
struct Subscription {
    std::string name;        // as the user calls it here
    std::string source;      // an iCalendar file's path or address, or a CalDAV calendar's URL
    std::int32_t color = 0;  // stored as the types' colours are: 0x00BBGGRR
    bool shown = true;
    bool calDav = false;  // a calendar of a CalDAV account, synced rather than fetched whole
    std::string user{};   // the account's user name

    bool operator==(const Subscription&) const = default;
};

// The CalDAV account a calendar belongs to, "ann@https://dav.example.org:8443": its user at its
// server, which the password is kept for. Empty for other calendars.
std::string accountOf(const Subscription& subscription);

// The colours new subscriptions take in turn, stored as the types' colours are.
std::int32_t subscriptionColor(std::size_t index);

// The subscriptions kept in the settings store under "Software\Kalvo Planner\Calendars":
// Count, then Name1, Source1, Color1, Shown1 (and CalDav1, User1 for a CalDAV calendar) and so on.
// A store that cannot be read gives none; entries without a source are left out.
std::vector<Subscription> loadSubscriptions(SettingsStore& store);
// False when the store could not keep them.
bool saveSubscriptions(SettingsStore& store, const std::vector<Subscription>& subscriptions);

// How often the calendars on the web are fetched again, in minutes (1 to 1440, 15 unless the
// user chose otherwise), kept in the same key as RefreshMinutes.
inline constexpr int kDefaultRefreshMinutes = 15;
int loadRefreshMinutes(SettingsStore& store);
bool saveRefreshMinutes(SettingsStore& store, int minutes);

// Where the planner publishes its own appointments: one calendar of a CalDAV account, and the
// days around today whose appointments go there. Kept in the same key as PublishUrl,
// PublishUser, PublishDaysBack, PublishDaysAhead and Publishing.
struct PublishTarget {
    std::string url;  // empty: none chosen
    std::string user;
    int daysBack = 30;
    int daysAhead = 365;
    bool on = false;

    bool operator==(const PublishTarget&) const = default;
};
PublishTarget loadPublishTarget(SettingsStore& store);
bool savePublishTarget(SettingsStore& store, const PublishTarget& target);

// The certificates the user chose to trust for calendars on the web: "host:port" to the SHA-256
// fingerprint, kept in the same key as one text, a line each.
std::map<std::string, std::string> loadPinnedCertificates(SettingsStore& store);
bool savePinnedCertificates(SettingsStore& store,
                            const std::map<std::string, std::string>& certificates);

}  // namespace kalvo
