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
    // Removes what was published to the calendar of `target`, leaving what was changed there
    // since; unpublished or publishFailed follows.
    void unpublish(const PublishTarget& target);
    // The resources of the planner's that the calendar at `url` holds as changed there, with
    // both versions.
    std::map<std::string, PublishConflict> conflictsOf(const std::string& url) const;
    // Keeps the user's choices for conflicts of the calendar at `url`, once no publish runs;
    // the next publish carries them out.
    void resolve(const std::string& url, const std::map<std::string, ConflictChoice>& choices);

    // Keeps the password given for a new account; forgets an account removed and the cached
    // copies of the calendars no longer shown.
    void keepPassword(const QString& account, const QString& password);
    void forgetAccount(const QString& account);
    void forgetCalendar(const std::string& url);

    AccountPasswords& passwords() { return passwords_; }

signals:
    void updated(const QString& url);
    void failed(const QString& url, const QString& reason);
    // `conflicts`: resources changed on the server, whose copy there is kept until the user
    // chooses.
    void published(int puts, int deletes, int conflicts);
    void publishFailed(const QString& reason);
    // `kept`: the resources left on the server as changed there; `failure` says why the
    // removal stopped short, empty when it did not.
    void unpublished(int deletes, int kept, const QString& failure);

private:
    struct Loaded {
        std::optional<CalendarFile> file;
        bool read = false;  // from the cache, once
    };
    CalDavClient& clientOf(const Subscription& calendar, const QString& password);
    void take(const std::string& url, const CalDavSync& sync);
    void refused(const Subscription& calendar);
    struct Publishing {
        PublishTarget target;
        std::map<std::string, std::string> resources;
        bool removing = false;  // all that was published, none sent
    };
    // One publish runs at a time: the one asked for last follows it.
    void ask(Publishing publishing);
    void startPublish();
    void takePublished(const std::string& url, const CalDavPublish& publish,
                       const QString& failure);
    void keepChoices();

    AccountPasswords passwords_;
    TrustedCertificates& trusted_;
    CalDavCache cache_;
    std::map<std::string, std::unique_ptr<CalDavClient>> clients_;  // by account
    std::map<std::string, Subscription> syncing_;                   // by URL
    std::map<std::string, Loaded> loaded_;                          // by URL
    std::string localZone_;
    std::optional<Publishing> publishing_;   // being sent
    std::optional<Publishing> nextPublish_;  // asked for meanwhile
    // The user's choices for conflicts not kept yet, by calendar and UID.
    std::map<std::string, std::map<std::string, ConflictChoice>> choices_;
};

}  // namespace kalvo
