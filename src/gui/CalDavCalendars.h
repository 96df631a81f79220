#pragma once

#include <QObject>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "calendars/CalendarFile.h"
#include "calendars/Subscriptions.h"
#include "gui/AccountPasswords.h"
#include "gui/CalDavCache.h"

namespace kalvo {

class CalDavClient;
class CalDavPublish;
class CalDavSync;
class TrustedCertificates;

// The calendars of CalDAV accounts that the day shows: read from the cache until a sync brings
// them up to date, synced one at a time each (never blocking input), a sync's result checked
// whole before it replaces the copy in memory and in the cache. A sync that fails keeps the last
// good copy and says why. Passwords come from the secret store, or the user.
class CalDavCalendars : public QObject {
    Q_OBJECT

public:
    CalDavCalendars(const QString& cacheFile, AccountPasswords::Ask ask,
                    TrustedCertificates& trusted, QObject* parent = nullptr);
    ~CalDavCalendars() override;

    // The events of `calendar` as last synced; none before its first sync. A cached copy that
    // cannot be read is reported through `failure`.
    const CalendarFile* fileOf(const Subscription& calendar, QString& failure);
    // Syncs `calendar`, unless it is being synced already; updated or failed follows.
    void sync(const Subscription& calendar);

    // Publishes the planner's `resources` (UID to iCalendar text) to the calendar of `target`,
    // sending only what changed since the last publish; published or publishFailed follows. One
    // publish runs at a time: one asked for meanwhile follows it with the latest resources.
    void publish(const PublishTarget& target, std::map<std::string, std::string> resources);

    // Keeps the password given for a new account; forgets an account removed and the cached
    // copies of the calendars no longer shown.
    void keepPassword(const QString& account, const QString& password);
    void forgetAccount(const QString& account);
    void forgetCalendar(const std::string& url);

    AccountPasswords& passwords() { return passwords_; }

signals:
    void updated(const QString& url);
    void failed(const QString& url, const QString& reason);
    // `conflicts`: resources changed on the server since, whose copy there was kept.
    void published(int puts, int deletes, int conflicts);
    void publishFailed(const QString& reason);

private:
    struct Loaded {
        std::optional<CalendarFile> file;
        bool read = false;  // from the cache, once
    };
    CalDavClient& clientOf(const Subscription& calendar, const QString& password);
    void take(const std::string& url, const CalDavSync& sync);
    void refused(const Subscription& calendar);
    void startPublish();
    void takePublished(const std::string& url, const CalDavPublish& publish,
                       const QString& failure);

    AccountPasswords passwords_;
    TrustedCertificates& trusted_;
    CalDavCache cache_;
    std::map<std::string, std::unique_ptr<CalDavClient>> clients_;  // by account
    std::map<std::string, Subscription> syncing_;                   // by URL
    std::map<std::string, Loaded> loaded_;                          // by URL
    std::string localZone_;
    struct Publishing {
        PublishTarget target;
        std::map<std::string, std::string> resources;
    };
    std::optional<Publishing> publishing_;   // being sent
    std::optional<Publishing> nextPublish_;  // asked for meanwhile
};

}  // namespace kalvo
