#include "calendars/CalDavPublish.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <utility>

namespace kalvo {
namespace {

const std::string kHashProperty = "X-KALVO-HASH:";

// The text with its hash in each event, which a server keeps however it writes the rest, so
// that a resource found on the server is known as the one sent.
std::string withHash(const std::string& text, const std::string& hash) {
    const std::string begin = "BEGIN:VEVENT\r\n";
    std::string marked;
    std::size_t copied = 0;
    for (std::size_t found = text.find(begin); found != std::string::npos;
         found = text.find(begin, found + begin.size())) {
        marked.append(text, copied, found + begin.size() - copied);
        marked += kHashProperty + hash + "\r\n";
        copied = found + begin.size();
    }
    marked.append(text, copied);
    return marked;
}

}  // namespace

std::string contentHash(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a
    std::size_t line = 0;
    while (line < text.size()) {
        const std::size_t end = std::min(text.find('\n', line), text.size());
        const std::string_view content(text.data() + line, end - line);
        if (!content.starts_with("DTSTAMP") && !content.starts_with(kHashProperty)) {
            for (const char c : content) {
                hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
            }
        }
        line = end + 1;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return hex;
}

void resolveConflict(PublishState& state, const std::string& uid, ConflictChoice choice) {
    const auto found = state.conflicts.find(uid);
    if (found == state.conflicts.end()) {
        return;
    }
    const PublishConflict conflict = found->second;
    state.conflicts.erase(found);
    const bool removedHere = conflict.mineHash.empty();
    if (choice == ConflictChoice::keepTheirs) {
        if (removedHere) {
            state.published.erase(uid);  // the server's copy is no longer the planner's
        } else {
            state.published[uid] = {conflict.url, conflict.theirsEtag, conflict.mineHash};
        }
    } else if (removedHere && conflict.theirsEtag.empty()) {
        state.published.erase(uid);  // gone on both sides
    } else {
        // No hash matches an empty one: the planner's version is sent, over the copy seen.
        state.published[uid] = {conflict.url, conflict.theirsEtag, ""};
    }
}

CalDavPublish::CalDavPublish(const std::string& calendarUrl, PublishState state,
                             const std::map<std::string, std::string>& resources)
    : state_(std::move(state)) {
    // A conflict over a resource the planner never published and has no more is over.
    std::erase_if(state_.conflicts, [&](const auto& conflict) {
        return !resources.contains(conflict.first) && !state_.published.contains(conflict.first);
    });
    const std::string folder = calendarUrl.ends_with('/') ? calendarUrl : calendarUrl + "/";
    for (const auto& [uid, text] : resources) {
        const std::string hash = contentHash(text);
        const auto conflict = state_.conflicts.find(uid);
        const auto published = state_.published.find(uid);
        const bool waiting =
            conflict != state_.conflicts.end() && conflict->second.mineHash == hash;
        if (!waiting && (published == state_.published.end() || published->second.hash != hash)) {
            addPut(folder, uid, text, hash);
        }
    }
    std::vector<std::string> neverThere;
    for (const auto& [uid, published] : state_.published) {
        const auto conflict = state_.conflicts.find(uid);
        if (resources.contains(uid) ||
            (conflict != state_.conflicts.end() && conflict->second.mineHash.empty())) {
            continue;
        }
        if (published.etag.empty()) {
            neverThere.push_back(uid);
        } else {
            DavRequest remove{"DELETE", published.url, -1, ""};
            remove.headers.emplace_back("If-Match", published.etag);
            steps_.push_back({uid, "", std::move(remove)});
        }
    }
    for (const std::string& uid : neverThere) {
        state_.published.erase(uid);
    }
}

void CalDavPublish::addPut(const std::string& folder, const std::string& uid,
                           const std::string& text, const std::string& hash) {
    const auto published = state_.published.find(uid);
    const bool known = published != state_.published.end();
    DavRequest put{"PUT", known ? published->second.url : folder + uid + ".ics", -1,
                   withHash(text, hash)};
    put.contentType = "text/calendar; charset=utf-8";
    if (known && !published->second.etag.empty()) {
        put.headers.emplace_back("If-Match", published->second.etag);
    } else {
        put.headers.emplace_back("If-None-Match", "*");
    }
    steps_.push_back({uid, hash, std::move(put)});
}

bool CalDavPublish::take(const DavReply& reply) {
    const Step step = steps_[next_];
    const std::string& method = step.request.method;
    const auto then = [&](Step follow) {
        steps_.insert(steps_.begin() + static_cast<std::ptrdiff_t>(next_) + 1, std::move(follow));
    };
    lastTaken_ = step.uid;
    if (method == "GET") {
        takeServerCopy(step, reply);
    } else if (reply.status >= 200 && reply.status < 300) {
        if (method == "PUT") {
            state_.published[step.uid] = {step.request.url, reply.etag, step.hash};
            ++puts_;
            if (reply.etag.empty()) {
                // A server that does not say the ETag of what it keeps: its copy tells.
                then({step.uid, step.hash, {"GET", step.request.url, -1, ""}, "", true});
            }
        } else {
            state_.published.erase(step.uid);
            ++deletes_;
        }
        state_.conflicts.erase(step.uid);
    } else if (method == "DELETE" && reply.status == 404) {
        state_.published.erase(step.uid);  // gone already
        state_.conflicts.erase(step.uid);
    } else if (reply.status == 412 || reply.status == 409 ||
               (reply.status == 403 && step.request.headers.front().first == "If-None-Match")) {
        // Refused: what the server holds now decides.
        then({step.uid, step.hash, {"GET", step.request.url, -1, ""}, step.request.body});
    } else {
        throw DavError("The server answered " + std::to_string(reply.status) + " to the " + method +
                       " of " + step.request.url + ".");
    }
    ++next_;
    return pending();
}

void CalDavPublish::takeServerCopy(const Step& step, const DavReply& reply) {
    const bool held = reply.status == 200;
    if (!held && reply.status != 404) {
        throw DavError("The server answered " + std::to_string(reply.status) + " to the GET of " +
                       step.request.url + ".");
    }
    if (held &&
        (step.justSent ||
         (!step.hash.empty() && reply.body.find(kHashProperty + step.hash) != std::string::npos))) {
        // The planner's own, however the server rewrote it.
        state_.published[step.uid] = {step.request.url, reply.etag, step.hash};
        state_.conflicts.erase(step.uid);
    } else if (!held && step.hash.empty()) {
        state_.published.erase(step.uid);  // to be removed, and removed there meanwhile
        state_.conflicts.erase(step.uid);
    } else {
        state_.conflicts[step.uid] = {step.request.url, step.refused, step.hash,
                                      held ? reply.body : "", held ? reply.etag : ""};
    }
}

}  // namespace kalvo
