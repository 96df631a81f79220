#pragma once

#include <string>

#include "calendars/CalDavDiscovery.h"

namespace kalvo {

// The REPORT that asks a calendar for all its events, whole (a calendar-query, RFC 4791).
DavRequest eventsRequest(const std::string& calendarUrl);

// The events of the answer to it as one iCalendar text: each resource's calendar data, one
// calendar after another, as CalendarFile reads them. Fails with DavError when the answer is
// not a 207 multistatus.
std::string calendarTextOf(const DavReply& reply);

}  // namespace kalvo
