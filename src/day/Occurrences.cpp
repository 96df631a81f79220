#include "day/Occurrences.h"

#include "day/DateFunctions.h"

namespace kalvo {

EventDataRow* findOccurrence(const Event& event, DateTime date) {
    const std::int64_t day = dayNumber(date);
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
    const std::int64_t lastDay = dayNumber(to);
    for (DateTime date = from; dayNumber(date) <= lastDay; date = addDays(date, 1)) {
        collectChartDay(model, date);
    }
}

}  // namespace kalvo
