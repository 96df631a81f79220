#include "day/Occurrences.h"

#include <algorithm>
#include <cstdint>

#include "day/DateFunctions.h"

namespace kalvo {

namespace {

bool mayCover(const Event& event, std::int64_t day) {
    Event::Coverage& coverage = event.coverage;
    if (coverage.rows != event.eventData.size()) {
        coverage = {event.eventData.size(), INT64_MAX, INT64_MIN, false};
        for (const EventDataRow* row : event.eventData) {
            const std::int64_t lastDay = dayNumber(row->endDate);
            coverage.firstDay = std::min(coverage.firstDay, dayNumber(row->startDate));
            coverage.openEnded = coverage.openEnded || lastDay == 0;
            coverage.lastDay = std::max(coverage.lastDay, lastDay);
        }
    }
    return day >= coverage.firstDay && (coverage.openEnded || day <= coverage.lastDay);
}

}  // namespace

EventDataRow* findOccurrence(const Event& event, DateTime date) {
    const std::int64_t day = dayNumber(date);
    if (!mayCover(event, day)) {
        return nullptr;
    }
    const bool weekend = isWeekend(date);
    for (EventDataRow* row : event.eventData) {
        if (row->excludeWeekends && weekend) {
            continue;
        }
        const std::int64_t lastDay = dayNumber(row->endDate);
        if (day >= dayNumber(row->startDate) && (lastDay == 0 || lastDay >= day)) {
            return row;
        }
    }
    return nullptr;
}

void collectChartDay(Model& model, DateTime date) {
    walkDay(
        model.rootEvents, date,
        [&model](EventDataRow& row, int) {
            model.chartPanels.push_back(&row);
            return 0;
        },
        [](const EventDataRow*) {});
}

void collectChartPanels(Model& model, DateTime from, DateTime to) {
    model.chartPanels.clear();
    model.chartSlices.clear();
    const std::int64_t lastDay = dayNumber(to);
    for (DateTime date = from; dayNumber(date) <= lastDay; date = addDays(date, 1)) {
        collectChartDay(model, date);
    }
}

}  // namespace kalvo
