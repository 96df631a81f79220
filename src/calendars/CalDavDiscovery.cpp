#include "calendars/CalDavDiscovery.h"

namespace kalvo {
namespace {

// The properties that tell what a resource is and lead on to the calendars.
const std::string kFindBody =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<d:propfind xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\" "
    "xmlns:i=\"http://apple.com/ns/ical/\"><d:prop><d:resourcetype/><d:displayname/>"
    "<d:current-user-principal/><c:calendar-home-set/><i:calendar-color/>"
    "<c:supported-calendar-component-set/></d:prop></d:propfind>\n";

const std::string kCalendarType = std::string(kCalDav) + "calendar";

// "https://host:8443" of "https://host:8443/path".
std::string originOf(const std::string& url) {
    const std::size_t scheme = url.find("://");
    const std::size_t path = url.find('/', scheme == std::string::npos ? 0 : scheme + 3);
    return url.substr(0, path);
}

std::string pathOf(const std::string& url) {
    const std::string origin = originOf(url);
    const std::string path = url.substr(origin.size());
    return path.empty() ? "/" : path;
}

std::string lastPart(const std::string& url) {
    std::string trimmed = url;
    while (trimmed.size() > 1 && trimmed.back() == '/') {
        trimmed.pop_back();
    }
    return trimmed.substr(trimmed.rfind('/') + 1);
}

// A calendar of events: one that names the components it takes names VEVENT among them (a
// to-do list does not); one that does not say takes every kind.
bool takesEvents(const DavResponse& response) {
    const DavProperty* components =
        response.property(std::string(kCalDav) + "supported-calendar-component-set");
    if (components == nullptr || components->nameAttributes.empty()) {
        return true;
    }
    for (const std::string& component : components->nameAttributes) {
        if (component == "VEVENT") {
            return true;
        }
    }
    return false;
}

DiscoveredCalendar calendarOf(const std::string& base, const DavResponse& response) {
    DiscoveredCalendar calendar;
    calendar.url = resolveHref(base, response.href);
    const DavProperty* name = response.property(std::string(kDav) + "displayname");
    calendar.name = name != nullptr && !name->text.empty() ? name->text : lastPart(calendar.url);
    if (const DavProperty* color = response.property(std::string(kAppleIcal) + "calendar-color")) {
        calendar.color = color->text;
    }
    return calendar;
}

}  // namespace

std::string resolveHref(const std::string& base, const std::string& href) {
    if (href.find("://") != std::string::npos) {
        return href;
    }
    if (!href.empty() && href.front() == '/') {
        return originOf(base) + href;
    }
    return base.substr(0, base.rfind('/') + 1) + href;
}

CalDavDiscovery::CalDavDiscovery(const std::string& address) : address_(address) {
    if (pathOf(address) == "/") {
        ask(Stage::wellKnown, originOf(address) + "/.well-known/caldav", 0);
    } else {
        ask(Stage::address, address, 0);
    }
}

void CalDavDiscovery::ask(Stage stage, std::string url, int depth) {
    stage_ = stage;
    if (stage == Stage::home) {
        home_ = url;
    }
    request_ = {"PROPFIND", std::move(url), depth, kFindBody};
}

bool CalDavDiscovery::take(const DavReply& reply) {
    if (reply.status == 401 || reply.status == 403) {
        throw DavError("The server refused the user name or the password.");
    }
    if (stage_ == Stage::wellKnown && reply.status != 207) {
        // A server without the well-known address: the address itself is asked.
        ask(Stage::address, address_, 0);
        return true;
    }
    if (reply.status != 207) {
        throw DavError("The server answered " + std::to_string(reply.status) + " to " +
                       request_.url + ": it is no CalDAV server there.");
    }
    const MultiStatus answer = parseMultiStatus(reply.body);
    const std::string base = reply.url.empty() ? request_.url : reply.url;
    if (stage_ == Stage::home) {
        for (const DavResponse& response : answer.responses) {
            if (response.isA(kCalendarType) && takesEvents(response)) {
                calendars_.push_back(calendarOf(base, response));
            }
        }
        return false;
    }
    if (answer.responses.empty()) {
        throw DavError("The server said nothing of " + request_.url + ".");
    }
    const DavResponse& target = answer.responses.front();
    if (target.isA(kCalendarType)) {
        calendars_.push_back(calendarOf(base, target));
        return false;
    }
    const DavProperty* home = target.property(std::string(kCalDav) + "calendar-home-set");
    if (home != nullptr && !home->hrefs.empty()) {
        ask(Stage::home, resolveHref(base, home->hrefs.front()), 1);
        return true;
    }
    const DavProperty* principal = target.property(std::string(kDav) + "current-user-principal");
    if (stage_ != Stage::principal && principal != nullptr && !principal->hrefs.empty()) {
        ask(Stage::principal, resolveHref(base, principal->hrefs.front()), 0);
        return true;
    }
    throw DavError("There is no CalDAV account or calendar at " + address_ + ".");
}

CalDavCalendarMaker::CalDavCalendarMaker(const std::string& address) : discovery_(address) {}

bool CalDavCalendarMaker::take(const DavReply& reply) {
    if (!making_) {
        if (discovery_.take(reply)) {
            return true;
        }
        const std::string& home = discovery_.home();
        if (home.empty()) {
            throw DavError(
                "A calendar is made in an account, not in another calendar: give the "
                "address of the server or of the account.");
        }
        made_ = {(home.ends_with('/') ? home : home + "/") + "kalvo-planner/", "Kalvo Planner", ""};
        make_ = {"MKCALENDAR", made_.url, -1,
                 "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                 "<c:mkcalendar xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\">"
                 "<d:set><d:prop><d:displayname>Kalvo Planner</d:displayname>"
                 "<c:supported-calendar-component-set><c:comp name=\"VEVENT\"/>"
                 "</c:supported-calendar-component-set></d:prop></d:set></c:mkcalendar>"};
        making_ = true;
        return true;
    }
    if (make_.method == "MKCALENDAR") {
        if (reply.status == 201) {
            return false;
        }
        // Refused, as when there is one at its place already, made before: what is there tells.
        failedStatus_ = reply.status;
        make_ = {"PROPFIND", made_.url, 0, kFindBody};
        return true;
    }
    const bool calendarThere = reply.status == 207 && [&] {
        const MultiStatus answer = parseMultiStatus(reply.body);
        return !answer.responses.empty() && answer.responses.front().isA(kCalendarType);
    }();
    if (!calendarThere) {
        throw DavError("The server made no calendar at " + made_.url + ": it answered " +
                       std::to_string(failedStatus_) + ".");
    }
    return false;
}

}  // namespace kalvo
