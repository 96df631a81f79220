#pragma once

#include <QObject>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "calendars/CalendarFile.h"
#include "calendars/Subscriptions.h"
#include "gui/AccountPasswords.h"
#include "gui/CalDavCache.h"

namespace kalvo {

class CalDavClient;
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

    // Keeps the password given for a new account; forgets an account removed and the cached
    // copies of the calendars no longer shown.
    void keepPassword(const QString& account, const QString& password);
    void forgetAccount(const QString& account);
    void forgetCalendar(const std::string& url);

    AccountPasswords& passwords() { return passwords_; }

signals:
    void updated(const QString& url);
    void failed(const QString& url, const QString& reason);

private:
    struct Loaded {
        std::optional<CalendarFile> file;
        bool read = false;  // from the cache, once
    };
    CalDavClient& clientOf(const Subscription& calendar, const QString& password);
    void take(const std::string& url, const CalDavSync& sync);
    void refused(const Subscription& calendar);

    AccountPasswords passwords_;
    TrustedCertificates& trusted_;
    CalDavCache cache_;
    std::map<std::string, std::unique_ptr<CalDavClient>> clients_;  // by account
    std::map<std::string, Subscription> syncing_;                   // by URL
    std::map<std::string, Loaded> loaded_;                          // by URL
    std::string localZone_;
};

}  // namespace kalvo
