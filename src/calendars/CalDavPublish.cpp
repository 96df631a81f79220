#include "calendars/CalDavPublish.h"

#include <cstdint>
#include <cstdio>
#include <string_view>

namespace kalvo {

std::string contentHash(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a
    std::size_t line = 0;
    while (line < text.size()) {
        const std::size_t end = std::min(text.find('\n', line), text.size());
        const std::string_view content(text.data() + line, end - line);
        if (!content.starts_with("DTSTAMP")) {
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
        DavRequest put{"PUT", folder + uid + ".ics", -1, text};
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
    const Step& step = steps_[next_];
    const bool isPut = step.request.method == "PUT";
    if (reply.status >= 200 && reply.status < 300) {
        if (isPut) {
            state_[step.uid] = {step.request.url, reply.etag, step.hash};
            ++puts_;
        } else {
            state_.erase(step.uid);
            ++deletes_;
        }
    } else if (!isPut && reply.status == 404) {
        state_.erase(step.uid);  // gone already
    } else if (reply.status == 412 || reply.status == 409 || (isPut && reply.status == 403)) {
        conflicts_.push_back({step.uid, step.request.url, reply.status});
    } else {
        throw DavError("The server answered " + std::to_string(reply.status) + " to the " +
                       step.request.method + " of " + step.request.url + ".");
    }
    ++next_;
    return pending();
}

}  // namespace kalvo
