#pragma once

#include <QString>
#include <string>

#include "calendars/CalDavSync.h"

namespace kalvo {

// The CalDAV calendars' events as last synced, with their sync tokens, in an SQLite database in
// the user's cache folder, so that the day shows them without the network. It is no part of the
// planner's data: a cache that is lost or cannot be read is made again, and the calendars are
// fetched again.
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
    // Drops a calendar no longer shown.
    void forget(const std::string& url);

private:
    bool open();

    QString file_;
    QString connection_;
};

}  // namespace kalvo
