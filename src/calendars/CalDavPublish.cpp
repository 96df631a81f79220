#include "calendars/CalDavPublish.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

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

CalDavPublish::CalDavPublish(const std::string& calendarUrl, PublishState state,
                             const std::map<std::string, std::string>& resources)
    : state_(std::move(state)) {
    const std::string folder = calendarUrl.ends_with('/') ? calendarUrl : calendarUrl + "/";
    for (const auto& [uid, text] : resources) {
        const std::string hash = contentHash(text);
        const auto published = state_.find(uid);
        if (published != state_.end() && published->second.hash == hash) {
            continue;
        }
        DavRequest put{"PUT", folder + uid + ".ics", -1, withHash(text, hash)};
        put.contentType = "text/calendar; charset=utf-8";
        if (published == state_.end()) {
            put.headers.emplace_back("If-None-Match", "*");
        } else {
            put.url = published->second.url;
            put.headers.emplace_back("If-Match", published->second.etag);
        }
        steps_.push_back({uid, hash, std::move(put)});
    }
    for (const auto& [uid, published] : state_) {
        if (!resources.contains(uid)) {
            DavRequest remove{"DELETE", published.url, -1, ""};
            remove.headers.emplace_back("If-Match", published.etag);
            steps_.push_back({uid, "", std::move(remove)});
        }
    }
}

bool CalDavPublish::take(const DavReply& reply) {
    const Step step = steps_[next_];
    const std::string& method = step.request.method;
    const bool isNew = method == "PUT" && step.request.headers.front().first == "If-None-Match";
    if (method == "GET") {
        // Refused as made already: the planner's own when it carries this hash, sent by a
        // publish that stopped before it could keep what it did.
        if (reply.status == 200 &&
            reply.body.find(kHashProperty + step.hash) != std::string::npos) {
            state_[step.uid] = {step.request.url, reply.etag, step.hash};
        } else {
            conflicts_.push_back({step.uid, step.request.url, 412});
        }
    } else if (reply.status >= 200 && reply.status < 300) {
        if (method == "PUT") {
            state_[step.uid] = {step.request.url, reply.etag, step.hash};
            ++puts_;
        } else {
            state_.erase(step.uid);
            ++deletes_;
        }
    } else if (method == "DELETE" && reply.status == 404) {
        state_.erase(step.uid);  // gone already
    } else if (isNew && reply.status == 412) {
        steps_.insert(steps_.begin() + static_cast<std::ptrdiff_t>(next_) + 1,
                      {step.uid, step.hash, {"GET", step.request.url, -1, ""}});
    } else if (reply.status == 412 || reply.status == 409 || (isNew && reply.status == 403)) {
        conflicts_.push_back({step.uid, step.request.url, reply.status});
    } else {
        throw DavError("The server answered " + std::to_string(reply.status) + " to the " + method +
                       " of " + step.request.url + ".");
    }
    ++next_;
    return pending();
}

}  // namespace kalvo
