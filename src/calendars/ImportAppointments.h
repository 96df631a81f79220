#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "calendars/CalendarFile.h"
#include "model/Model.h"

namespace kalvo {

// The events of an iCalendar file as appointments: what an import would add is planned first,
// for the user to see, then added whole or not at all.

struct ImportOptions {
    // The type of the events whose categories name no type of the database (none: such events
    // refuse the import, unless the import makes the types they name).
    std::optional<std::int32_t> fallbackTypeId{};
    // Make the types an event's categories name and the database lacks, as a path from the
    // top level ("Work,Meeting": Meeting under Work).
    bool makeTypes = false;
    // The days over which an event that recurs other than daily becomes single appointments;
    // none: such events refuse the import.
    std::optional<std::int64_t> firstDay{};
    std::optional<std::int64_t> lastDay{};
};

// A day of an imported daily series that differs from the series: taken out (EXDATE), or with
// times and a comment of its own (an override).
struct SeriesException {
    std::int64_t day = 0;
    bool deleted = false;
    int start = 0;
    int end = 0;
    std::string comment;
};

// One appointment the import adds.
struct ImportedAppointment {
    std::size_t event = 0;  // the event of the file it comes from
    std::vector<std::string> typePath;
    std::int64_t firstDay = 0;
    std::optional<std::int64_t> lastDay;  // a single appointment's is its first; none: open series
    bool weekdaysOnly = false;
    int start = 0;  // minutes of the day; the end may be 1440, the midnight that ends the day
    int end = 0;
    int plannedStart = 0;
    int plannedEnd = 0;
    std::string comment;                      // with the line breaks the program stores (CR LF)
    int parent = -1;                          // the appointment of the plan it lies in, -1 for none
    std::vector<SeriesException> exceptions;  // in day order
};

struct ImportPlan {
    std::vector<ImportedAppointment> appointments;      // every parent before its sub-appointments
    std::vector<std::vector<std::string>> typesToMake;  // paths, every parent before its children
    int alreadyThere = 0;   // events the database holds already (same type, day and times)
    int allDay = 0;         // all-day events, left out: the timeline has no place for them
    int cutAtMidnight = 0;  // events that run past midnight, ended at 24:00
    // Not empty: the import is refused, naming the line of the event that refuses it.
    std::string refusal;

    // What the import adds: "5 appointments (1 daily series, 2 sub-appointments) and 1 new
    // type".
    std::string additions() const;
    // What it leaves out or changes, a sentence each: "2 events are in the database already
    // and left out."; empty for nothing.
    std::string notes() const;
};

// Plans the import of `file` into `model`, which it leaves as it is.
ImportPlan planImport(const Model& model, const CalendarFile& file, const ImportOptions& options);

// Adds what `plan` holds to `model`: the types to make, then each appointment as a new
// appointment with its rows, sub-appointments inside their parents. The plan must have been made
// on this model as it stands and must not be refused.
void applyImport(Model& model, const ImportPlan& plan);

}  // namespace kalvo
