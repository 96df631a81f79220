#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "export/SpreadsheetExport.h"

namespace kalvo {

// The zone the planner's local times belong to, as a tz database name ("Europe/Berlin"): from
// TZ, else /etc/timezone, else the link /etc/localtime. Empty when none names a zone.
std::string localTimeZoneId();

// The occurrences of the dates `from` to `to` as an iCalendar file (RFC 5545), written by
// libical: one event per occurrence with the type's name as its summary, the type's path as
// its categories, the comment as its description, the actual times as its start and end and
// the planned ones in X-KALVO-PLANNED-START/END, the parent's event as RELATED-TO of a
// sub-appointment, and a reminder at the start or the end for a type's before or after alarm.
// Each event's UID is its row and date, so importing the range again updates the events.
//
// The times are in the zone `timeZoneId`, whose definition the file carries; when libical
// does not know the zone they are floating local times. `stampUtcSeconds` (seconds since 1970,
// UTC) is the moment of the export, every event's DTSTAMP.
std::string icalendarText(const std::vector<ExportedOccurrence>& occurrences, DateTime from,
                          DateTime to, const std::string& timeZoneId, std::int64_t stampUtcSeconds);

// The occurrences of the range as one resource per appointment, as it is published to a calendar
// server: its UID ("appointment-12@kalvo-planner") to a whole iCalendar object, its events
// written as the export writes them. A series is one event with a
// daily rule from its first occurrence to its last (on weekdays only when it leaves out every
// weekend day), EXDATE for the days it leaves out, and an override (RECURRENCE-ID) for each day
// whose times, planned times or comment differ from its first day's; a single occurrence is one
// event. A sub-appointment is an appointment of its own, RELATED-TO its parent's.
std::map<std::string, std::string> publishedAppointments(
    const std::vector<ExportedOccurrence>& occurrences, DateTime from, DateTime to,
    const std::string& timeZoneId, std::int64_t stampUtcSeconds);

}  // namespace kalvo
