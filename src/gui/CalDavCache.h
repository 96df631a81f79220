#pragma once

#include <QString>
#include <string>

#include "calendars/CalDavPublish.h"
#include "calendars/CalDavSync.h"

namespace kalvo {

// The CalDAV calendars' events as last synced, with their sync tokens, and what the planner
// published to a calendar, in an SQLite database in the user's cache folder, so that the day
// shows the calendars without the network and a publish sends only what changed. It is no part
// of the planner's data: a cache that is lost or cannot be read is made again, the calendars are
// fetched again and the planner's resources found on the server again as made elsewhere.
class CalDavCache {
public:
    explicit CalDavCache(const QString& file);
    ~CalDavCache();
    CalDavCache(const CalDavCache&) = delete;
    CalDavCache& operator=(const CalDavCache&) = delete;

    // The calendar at `url` as last stored; empty when it never was.
    CalendarCache load(const std::string& url) const;
    // Keeps what `sync` changed and its token, all or nothing. False when it could not.
    bool store(const std::string& url, const CalDavSync& sync);
    // Drops a calendar no longer shown. A copy that cannot be dropped only takes room: no
    // calendar points at it any more, and it is never shown.
    void forget(const std::string& url);

    // What was published to the calendar at `url` and its conflicts. The state a publish
    // reached is kept whole, or only what it holds of `uid` when one is given.
    PublishState loadPublished(const std::string& url) const;
    bool storePublished(const std::string& url, const PublishState& state,
                        const std::string& uid = {});

private:
    bool open();

    QString file_;
    QString connection_;
};

}  // namespace kalvo
