#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "calendars/CalDavDiscovery.h"

namespace kalvo {

// One resource of the planner's on a calendar server, as last published: where it is, the ETag
// the server gave it and a hash of what was sent (its DTSTAMP left out).
struct PublishedRecord {
    std::string url;
    std::string etag;
    std::string hash;
};

// Everything the planner has published to one calendar, by UID.
using PublishState = std::map<std::string, PublishedRecord>;

// A resource someone else changed or made on the server: the planner's version was not sent.
struct PublishConflict {
    std::string uid;
    std::string url;
    int status = 0;  // 412: changed there since; 409 or another: refused
};

// A hash of an iCalendar text that leaves its DTSTAMP lines out, which change with every
// publish though nothing else does. Each event sent carries it as X-KALVO-HASH.
std::string contentHash(const std::string& text);

// Publishes the planner's resources to a calendar, sending only what changed since `state`:
// a new resource is PUT with If-None-Match: *, a changed one with If-Match and the ETag it had,
// one no longer there is DELETEd with If-Match. A 412 (changed on the server since) or a
// refusal of a new one never overwrites: it is a conflict, and the server's copy stays. A new
// one the server has already is fetched: when it is the planner's own, sent by a publish that
// stopped before it could keep what it did, it is taken as published, so that a publish done
// again never makes a second copy. The
// steps are decided here; the adapter sends request() and hands each reply to take().
class CalDavPublish {
public:
    // `resources`: each resource to publish by its UID, its whole iCalendar text.
    CalDavPublish(const std::string& calendarUrl, PublishState state,
                  const std::map<std::string, std::string>& resources);

    // Whether a request is to be sent; none when nothing changed.
    bool pending() const { return next_ < steps_.size(); }
    const DavRequest& request() const { return steps_[next_].request; }
    // Takes the reply to request(): the state follows it. True when another request follows.
    // Fails with DavError when the server cannot be published to; the state then holds what
    // was done.
    bool take(const DavReply& reply);

    const PublishState& state() const { return state_; }
    const std::vector<PublishConflict>& conflicts() const { return conflicts_; }
    int puts() const { return puts_; }
    int deletes() const { return deletes_; }

private:
    struct Step {
        std::string uid;
        std::string hash;  // empty for a DELETE
        DavRequest request;
    };

    PublishState state_;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    std::vector<PublishConflict> conflicts_;
    int puts_ = 0;
    int deletes_ = 0;
};

}  // namespace kalvo
