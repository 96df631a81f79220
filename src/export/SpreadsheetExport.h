#pragma once

#include <string>
#include <vector>

#include "chart/PlanComparison.h"
#include "model/Model.h"

namespace kalvo {

// One occurrence of a date as the timeline shows it, for the files that take the plan out to
// calendars and spreadsheets. Times are minutes from the start of the date, an end at the next
// midnight 1440: the day build has cut an appointment that ran past it.
struct ExportedOccurrence {
    DateTime date = 0;
    const EventDataRow* row = nullptr;
    std::vector<std::string> typePath;  // the top-level type first, the row's own type last
    int parent = -1;                    // index of the parent's occurrence in the list
    int actualStart = 0;
    int actualEnd = 0;
    int plannedStart = 0;
    int plannedEnd = 0;
};

// The occurrences of every day from the day of `from` to the day of `to`, in day order, each day
// as its day build places it; deleted occurrences are left out. The days are built on `model`,
// which is left showing the last of them: the window passes a copy of its model.
std::vector<ExportedOccurrence> exportedOccurrences(Model& model, DateTime from, DateTime to);

// The time split of the range as CSV: type, hours with two decimals, share of the range in
// percent with two decimals, colour as #RRGGBB; "Not Specified" last, as the pie shows it.
std::string timeSplitCsv(Model& model, DateTime from, DateTime to);

// The plan against what happened per type as CSV: the columns of kPlanTableHeader.
std::string planCsv(const PlanComparison& comparison);

// The occurrences as CSV: date, type path ("Work/Meeting"), actual start and end, planned
// start and end (HH:MM, the midnight that ends the date 24:00), actual and planned minutes,
// comment.
std::string occurrencesCsv(const std::vector<ExportedOccurrence>& occurrences);

}  // namespace kalvo
