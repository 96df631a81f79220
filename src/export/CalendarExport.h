#pragma once

#include <cstdint>
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

}  // namespace kalvo
