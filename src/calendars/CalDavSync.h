#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "calendars/CalDavDiscovery.h"

namespace kalvo {

// One event resource of a CalDAV calendar as last fetched.
struct CachedResource {
    std::string etag;
    std::string data;  // its iCalendar text

    bool operator==(const CachedResource&) const = default;
};

// What the program keeps of a CalDAV calendar between syncs: the sync token the server gave last
// (empty: none) and every event resource by its href as the server writes it.
struct CalendarCache {
    std::string syncToken;
    std::map<std::string, CachedResource> resources;

    bool operator==(const CalendarCache&) const = default;
};

// The events of a cached calendar as one iCalendar text, one calendar after another, as
// CalendarFile reads them.
std::string calendarTextOf(const CalendarCache& cache);

// Brings a cached calendar up to date with its server. It asks for what changed since the
// cache's sync token (sync-collection, RFC 6578); a server that refuses the token (any answer but
// 207) or has none is asked for every resource's ETag instead (PROPFIND, Depth 1), and the cache
// is compared with them. Only the resources new or changed are then fetched, with
// calendar-multiget in batches. The steps are decided here; the adapter only sends request() and
// hands each reply to take(). The cache given is not changed: the result is a new one, complete
// only when the last reply was taken, so a sync that fails half-way leaves the old copy whole.
class CalDavSync {
public:
    static constexpr std::size_t kBatchSize = 250;

    CalDavSync(std::string calendarUrl, const CalendarCache& cache);

    const DavRequest& request() const { return request_; }
    // Takes the reply to request(). True when another request follows; false when the sync is
    // done. Fails with DavError saying why the calendar cannot be synced.
    bool take(const DavReply& reply);

    // After the last reply: the calendar as the server holds it now, and what changed.
    const CalendarCache& result() const { return result_; }
    const std::set<std::string>& fetched() const { return fetched_; }
    const std::set<std::string>& removed() const { return removed_; }
    bool changed() const { return !fetched_.empty() || !removed_.empty(); }
    bool tokenChanged() const { return result_.syncToken != startToken_; }

private:
    enum class Stage { changes, etags, multiget };
    void takeChanges(const MultiStatus& answer);
    void takeEtags(const MultiStatus& answer);
    void takeEvents(const MultiStatus& answer);
    void askForEtags();
    // Asks for the next batch of toFetch_; false when none is left.
    bool askForEvents();

    std::string url_;
    std::string startToken_;
    Stage stage_ = Stage::changes;
    DavRequest request_;
    CalendarCache result_;
    std::vector<std::string> toFetch_;
    std::size_t nextToFetch_ = 0;
    std::set<std::string> fetched_;
    std::set<std::string> removed_;
};

}  // namespace kalvo
