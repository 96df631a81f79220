#include "export/SpreadsheetExport.h"

#include <cstdio>
#include <string_view>

#include "base/Calendar.h"
#include "chart/TimeSplit.h"
#include "day/DateFunctions.h"
#include "day/DayPlacement.h"
#include "day/Occurrences.h"
#include "export/Csv.h"

namespace kalvo {
namespace {

// The minutes from the start of `day` to `time`: an end at the next midnight is 1440, an end
// the next morning more.
int minutesFrom(DateTime time, std::int64_t day) {
    return static_cast<int>(dayNumber(time) - day) * 24 * 60 + minuteOfDay(time);
}

std::vector<std::string> typePathOf(const EventDataRow& row) {
    if (row.event == nullptr || row.event->type == nullptr) {
        return {row.typeName};
    }
    return typePath(*row.event->type);
}

std::string joined(const std::vector<std::string>& parts, std::string_view separator) {
    std::string text;
    for (const std::string& part : parts) {
        if (!text.empty()) {
            text += separator;
        }
        text += part;
    }
    return text;
}

}  // namespace

std::vector<ExportedOccurrence> exportedOccurrences(Model& model, DateTime from, DateTime to) {
    std::vector<ExportedOccurrence> exported;
    for (std::int64_t day = dayNumber(from); day <= dayNumber(to); ++day) {
        model.selectedDate = static_cast<DateTime>(day);
        DayPlacement placement;
        static_cast<void>(buildDay(model, placement));
        std::vector<int> exportedIndex(placement.occurrences().size(), -1);
        for (std::size_t i = 0; i < placement.occurrences().size(); ++i) {
            const PlacedOccurrence& occurrence = placement.occurrences()[i];
            const EventDataRow& row = *occurrence.row;
            if (!occurrence.shown || row.deleted) {
                continue;
            }
            const std::int64_t actualDay = dayNumber(row.startTime);
            const std::int64_t plannedDay = dayNumber(occurrence.planned.startTime);
            exportedIndex[i] = static_cast<int>(exported.size());
            exported.push_back(
                {.date = static_cast<DateTime>(day),
                 .row = &row,
                 .typePath = typePathOf(row),
                 .parent = occurrence.parent >= 0
                               ? exportedIndex[static_cast<std::size_t>(occurrence.parent)]
                               : -1,
                 .actualStart = minutesFrom(row.startTime, actualDay),
                 .actualEnd = minutesFrom(row.endTime, actualDay),
                 .plannedStart = minutesFrom(occurrence.planned.startTime, plannedDay),
                 .plannedEnd = minutesFrom(occurrence.planned.endTime, plannedDay)});
        }
    }
    return exported;
}

std::string timeSplitCsv(Model& model, DateTime from, DateTime to) {
    collectChartPanels(model, from, to);
    computeSlices(model);
    const double rangeHours = 24.0 * static_cast<double>(dayNumber(to) - dayNumber(from) + 1);
    std::string csv;
    appendCsvRecord(csv, {"Type", "Hours", "Share (%)", "Colour"});
    for (const PieSlice& slice : pieSlices(model.chartSlices, from, to)) {
        char colour[8];
        std::snprintf(colour, sizeof colour, "#%02X%02X%02X", slice.color & 0xFF,
                      (slice.color >> 8) & 0xFF, (slice.color >> 16) & 0xFF);
        appendCsvRecord(csv, {slice.label, formatDecimal(slice.value, 2, false),
                              formatDecimal(100.0 * slice.value / rangeHours, 2, false), colour});
    }
    return csv;
}

std::string planCsv(const PlanComparison& comparison) {
    std::string csv;
    const auto& h = kPlanTableHeader;
    appendCsvRecord(csv, {h[0], h[1], h[2], h[3], h[4]});
    for (const PlanTableRow& row : planTable(comparison)) {
        appendCsvRecord(csv, {row[0], row[1], row[2], row[3], row[4]});
    }
    return csv;
}

std::string occurrencesCsv(const std::vector<ExportedOccurrence>& occurrences) {
    std::string csv;
    appendCsvRecord(csv, {"Date", "Type", "Actual start", "Actual end", "Planned start",
                          "Planned end", "Actual minutes", "Planned minutes", "Comment"});
    for (const ExportedOccurrence& occurrence : occurrences) {
        appendCsvRecord(csv,
                        {isoDateText(dayNumber(occurrence.date)), joined(occurrence.typePath, "/"),
                         clockText(occurrence.actualStart), clockText(occurrence.actualEnd),
                         clockText(occurrence.plannedStart), clockText(occurrence.plannedEnd),
                         std::to_string(occurrence.actualEnd - occurrence.actualStart),
                         std::to_string(occurrence.plannedEnd - occurrence.plannedStart),
                         occurrence.row->comment});
    }
    return csv;
}

}  // namespace kalvo
