#include "calendars/ConflictVersions.h"

#include <exception>
#include <optional>

#include "base/Calendar.h"
#include "calendars/CalendarFile.h"
#include "day/DateFunctions.h"

namespace kalvo {
namespace {

// "09:00-10:30", an end on a later day after its date.
std::string timesText(const LocalTime& start, const LocalTime& end) {
    return clockText(start.minute) + "-" +
           (end.day == start.day ? clockText(end.minute)
                                 : isoDateText(end.day) + " " + clockText(end.minute));
}

std::string counted(std::size_t count, const std::string& what) {
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

}  // namespace

ConflictVersion conflictVersionOf(const std::string& text, const std::string& localZoneId) {
    if (text.empty()) {
        return {"Not there", "", "", "", ""};
    }
    std::optional<CalendarFile> file;
    try {
        file.emplace(text, localZoneId);
    } catch (const std::exception& error) {
        return {std::string("Cannot be read: ") + error.what(), "", "", "", ""};
    }
    const CalendarEvent* series = nullptr;
    std::size_t changedDays = 0;
    for (const CalendarEvent& event : file->events()) {
        if (event.recurrenceId) {
            ++changedDays;
        } else if (series == nullptr) {
            series = &event;
        }
    }
    if (series == nullptr) {
        return {"No event", "", "", "", ""};
    }
    ConflictVersion version;
    version.summary = series->summary;
    version.comment = series->description;
    version.when = series->allDay ? isoDateText(series->start.day) + " all day"
                                  : isoDateText(series->start.day) + " " +
                                        timesText(series->start, series->end);
    if (series->plannedStart && series->plannedEnd) {
        version.planned = timesText(*series->plannedStart, *series->plannedEnd);
    }
    if (!series->recurs) {
        version.repeats = "Once";
    } else if (!series->daily) {
        version.repeats = "Repeats other than daily";
    } else {
        version.repeats = series->daily->weekdaysOnly ? "Weekdays" : "Daily";
        if (series->daily->lastDay) {
            version.repeats += " until " + isoDateText(*series->daily->lastDay);
        }
        if (!series->excludedDays.empty()) {
            version.repeats += ", " + counted(series->excludedDays.size(), "day") + " left out";
        }
        if (changedDays > 0) {
            version.repeats += ", " + counted(changedDays, "day") + " changed";
        }
    }
    return version;
}

}  // namespace kalvo
