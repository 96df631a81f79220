#include "calendars/CalDavEvents.h"

namespace kalvo {

DavRequest eventsRequest(const std::string& calendarUrl) {
    return {"REPORT", calendarUrl, 1,
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
            "<c:calendar-query xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\">"
            "<d:prop><d:getetag/><c:calendar-data/></d:prop><c:filter>"
            "<c:comp-filter name=\"VCALENDAR\"><c:comp-filter name=\"VEVENT\"/></c:comp-filter>"
            "</c:filter></c:calendar-query>\n"};
}

std::string calendarTextOf(const DavReply& reply) {
    if (reply.status != 207) {
        throw DavError("The server answered " + std::to_string(reply.status) +
                       " when asked for the events.");
    }
    std::string text;
    for (const DavResponse& response : parseMultiStatus(reply.body).responses) {
        if (const DavProperty* data = response.property(std::string(kCalDav) + "calendar-data")) {
            text += data->text;
            text += "\r\n";
        }
    }
    return text;
}

}  // namespace kalvo
