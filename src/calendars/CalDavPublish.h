#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "calendars/CalDavDiscovery.h"

namespace kalvo {

// One resource of the planner's on a calendar server, as last published: where it is, the ETag
// the server gave it and a hash of what was sent (its DTSTAMP left out). An empty ETag: the
// server holds no copy of it, so the next one sent is new there.
struct PublishedRecord {
    std::string url;
    std::string etag;
    std::string hash;
};

// A resource the planner could not publish because someone changed or made it on the server:
// both versions, until the user chooses one. Nothing is sent for it meanwhile unless the
// planner's version changes again.
struct PublishConflict {
    std::string url;
    std::string mine;      // the planner's text, not sent; empty when it was removed here
    std::string mineHash;  // empty when it was removed here
    std::string theirs;    // the server's copy; empty when the server has none any more
    std::string theirsEtag;
};

// Everything the planner has published to one calendar, and its conflicts, by UID.
struct PublishState {
    std::map<std::string, PublishedRecord> published;
    std::map<std::string, PublishConflict> conflicts;
};

// What the user chose for a conflict.
enum class ConflictChoice {
    keepTheirs,   // the server's copy stays, until the planner's version changes again
    publishMine,  // sent at the next publish over the copy seen, not over a newer one
};

// The state after the user's choice for the conflict of `uid`; the next publish carries it out.
void resolveConflict(PublishState& state, const std::string& uid, ConflictChoice choice);

// A hash of an iCalendar text that leaves its DTSTAMP lines out, which change with every
// publish though nothing else does. Each event sent carries it as X-KALVO-HASH.
std::string contentHash(const std::string& text);

// Publishes the planner's resources to a calendar, sending only what changed since `state`:
// a new resource is PUT with If-None-Match: *, a changed one with If-Match and the ETag it had,
// one no longer there is DELETEd with If-Match. A refusal (412: changed on the server since;
// 409 or 403: made there by another program) never overwrites: the server's copy is fetched
// and kept beside the planner's version as a conflict. A refused copy that carries the hash of
// what is being sent is the planner's own, sent by a publish that stopped before it could keep
// what it did: it is taken as published, so that a publish done again never makes a second
// copy. The steps are decided here; the adapter sends request() and hands each reply to take().
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
    // The UID the last reply taken was about, whose record and conflict may have changed.
    const std::string& lastTaken() const { return lastTaken_; }
    int puts() const { return puts_; }
    int deletes() const { return deletes_; }

private:
    struct Step {
        std::string uid;
        std::string hash;  // empty for a DELETE
        DavRequest request;
        std::string refused{};  // for the GET of a refused request: the planner's text not sent
        bool justSent = false;  // for the GET of what was just PUT, to learn its ETag
    };
    void addPut(const std::string& folder, const std::string& uid, const std::string& text,
                const std::string& hash);
    void addDelete(const std::string& uid, const PublishedRecord& published);
    // The server's copy of a refused step's resource, `reply` to its GET.
    void takeServerCopy(const Step& step, const DavReply& reply);

    PublishState state_;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    std::string lastTaken_;
    int puts_ = 0;
    int deletes_ = 0;
};

}  // namespace kalvo
