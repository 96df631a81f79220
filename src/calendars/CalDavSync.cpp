#include "calendars/CalDavSync.h"

#include <utility>

namespace kalvo {
namespace {

const std::string kEtag = std::string(kDav) + "getetag";
const std::string kSyncToken = std::string(kDav) + "sync-token";
const std::string kCalendarData = std::string(kCalDav) + "calendar-data";

std::string xmlEscaped(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

// An event of the calendar rather than the calendar itself, which some answers list too.
bool isMember(const DavResponse& response) {
    return !response.href.empty() && response.href.back() != '/';
}

std::string etagOf(const DavResponse& response) {
    const DavProperty* etag = response.property(kEtag);
    return etag == nullptr ? std::string() : etag->text;
}

[[noreturn]] void refuse(int status, const std::string& asked) {
    switch (status) {
        case 401:
            throw DavError("The server refused the user name or the password.");
        case 403:
            throw DavError("The server does not let this account read the calendar.");
        case 404:
            throw DavError("The calendar is not on the server any more.");
        default:
            throw DavError("The server answered " + std::to_string(status) + " when asked for " +
                           asked + ".");
    }
}

}  // namespace

std::string calendarTextOf(const CalendarCache& cache) {
    std::string text;
    for (const auto& [href, resource] : cache.resources) {
        text += resource.data;
        text += "\r\n";
    }
    return text;
}

CalDavSync::CalDavSync(std::string calendarUrl, const CalendarCache& cache)
    : url_(std::move(calendarUrl)), startToken_(cache.syncToken), result_(cache) {
    request_ = {"REPORT", url_, 0,
                "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                "<d:sync-collection xmlns:d=\"DAV:\"><d:sync-token>" +
                    xmlEscaped(cache.syncToken) +
                    "</d:sync-token><d:sync-level>1</d:sync-level><d:prop><d:getetag/></d:prop>"
                    "</d:sync-collection>\n"};
}

bool CalDavSync::take(const DavReply& reply) {
    switch (stage_) {
        case Stage::changes:
            if (reply.status == 401) {
                refuse(reply.status, "");
            }
            if (reply.status != 207) {
                // The token is refused, or the server keeps none: compare every ETag instead.
                askForEtags();
                return true;
            }
            takeChanges(parseMultiStatus(reply.body));
            break;
        case Stage::etags:
            if (reply.status != 207) {
                refuse(reply.status, "the calendar's events");
            }
            takeEtags(parseMultiStatus(reply.body));
            break;
        case Stage::multiget:
            if (reply.status != 207) {
                refuse(reply.status, "the events that changed");
            }
            takeEvents(parseMultiStatus(reply.body));
            break;
    }
    return askForEvents();
}

void CalDavSync::takeChanges(const MultiStatus& answer) {
    for (const DavResponse& response : answer.responses) {
        if (!isMember(response)) {
            continue;
        }
        if (response.status == 404) {
            if (result_.resources.erase(response.href) != 0) {
                removed_.insert(response.href);
            }
            continue;
        }
        const auto cached = result_.resources.find(response.href);
        const std::string etag = etagOf(response);
        if (cached == result_.resources.end() || etag.empty() || cached->second.etag != etag) {
            toFetch_.push_back(response.href);
        }
    }
    result_.syncToken = answer.syncToken;
}

void CalDavSync::askForEtags() {
    stage_ = Stage::etags;
    request_ = {"PROPFIND", url_, 1,
                "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                "<d:propfind xmlns:d=\"DAV:\"><d:prop><d:getetag/><d:sync-token/></d:prop>"
                "</d:propfind>\n"};
}

void CalDavSync::takeEtags(const MultiStatus& answer) {
    std::set<std::string> listed;
    result_.syncToken.clear();
    for (const DavResponse& response : answer.responses) {
        if (!isMember(response)) {
            if (const DavProperty* token = response.property(kSyncToken)) {
                result_.syncToken = token->text;
            }
            continue;
        }
        if (response.status == 404) {
            continue;
        }
        listed.insert(response.href);
        const auto cached = result_.resources.find(response.href);
        const std::string etag = etagOf(response);
        if (cached == result_.resources.end() || etag.empty() || cached->second.etag != etag) {
            toFetch_.push_back(response.href);
        }
    }
    std::erase_if(result_.resources, [&](const auto& resource) {
        if (listed.contains(resource.first)) {
            return false;
        }
        removed_.insert(resource.first);
        return true;
    });
}

bool CalDavSync::askForEvents() {
    if (nextToFetch_ == toFetch_.size()) {
        return false;
    }
    stage_ = Stage::multiget;
    std::string body =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<c:calendar-multiget xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\">"
        "<d:prop><d:getetag/><c:calendar-data/></d:prop>";
    const std::size_t end = std::min(toFetch_.size(), nextToFetch_ + kBatchSize);
    for (; nextToFetch_ < end; ++nextToFetch_) {
        body += "<d:href>" + xmlEscaped(toFetch_[nextToFetch_]) + "</d:href>";
    }
    body += "</c:calendar-multiget>\n";
    request_ = {"REPORT", url_, 1, std::move(body)};
    return true;
}

void CalDavSync::takeEvents(const MultiStatus& answer) {
    for (const DavResponse& response : answer.responses) {
        if (response.status == 404) {
            // Deleted since it was listed.
            if (result_.resources.erase(response.href) != 0) {
                removed_.insert(response.href);
            }
            continue;
        }
        const DavProperty* data = response.property(kCalendarData);
        if (data == nullptr) {
            continue;
        }
        result_.resources[response.href] = {etagOf(response), data->text};
        fetched_.insert(response.href);
        removed_.erase(response.href);
    }
}

}  // namespace kalvo
