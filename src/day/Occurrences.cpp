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

void collectChartPanels(Model& model, DateTime from, DateTime to) {
    model.chartPanels.clear();
    model.chartPanelDays.clear();
    model.chartSlices.clear();
    const std::int64_t firstDay = dayNumber(from);
    const std::int64_t lastDay = dayNumber(to);
    // Each day is walked over the top-level appointments that may cover it, not over all of
    // them: a long range passes over the years of each appointment once. They are the ones
    // findOccurrence would not turn away at once, in the same order, so the rows and their
    // order are those of walking every appointment on every day.
    struct Span {
        std::int64_t firstDay;
        std::int64_t lastDay;  // INT64_MAX for an open end
        std::size_t root;
    };
    std::vector<Span> spans;
    for (std::size_t i = 0; i < model.rootEvents.size(); ++i) {
        const Event& root = *model.rootEvents[i];
        static_cast<void>(mayCover(root, firstDay));  // takes the coverage again when stale
        const Event::Coverage& coverage = root.coverage;
        const std::int64_t end = coverage.openEnded ? INT64_MAX : coverage.lastDay;
        if (coverage.firstDay <= lastDay && end >= firstDay) {
            spans.push_back({coverage.firstDay, end, i});
        }
    }
    std::stable_sort(spans.begin(), spans.end(),
                     [](const Span& a, const Span& b) { return a.firstDay < b.firstDay; });
    std::vector<const Span*> active;  // by root position
    std::vector<Event*> roots;
    std::size_t next = 0;
    for (DateTime date = from; dayNumber(date) <= lastDay; date = addDays(date, 1)) {
        const std::int64_t day = dayNumber(date);
        std::erase_if(active, [day](const Span* span) { return span->lastDay < day; });
        for (; next < spans.size() && spans[next].firstDay <= day; ++next) {
            active.insert(
                std::upper_bound(active.begin(), active.end(), &spans[next],
                                 [](const Span* a, const Span* b) { return a->root < b->root; }),
                &spans[next]);
        }
        roots.clear();
        for (const Span* span : active) {
            roots.push_back(model.rootEvents[span->root]);
        }
        walkDay(
            roots, date,
            [&model, day](EventDataRow& row, int) {
                model.chartPanels.push_back(&row);
                model.chartPanelDays.push_back(static_cast<std::int32_t>(day));
                return 0;
            },
            [](const EventDataRow*) {});
    }
}

std::vector<std::int64_t> daysWithAppointments(const Model& model, DateTime first, DateTime last) {
    const std::int64_t firstDay = dayNumber(first);
    const std::int64_t lastDay = dayNumber(last);
    // Only the appointments that may cover some day of the range are looked at each day.
    std::vector<const Event*> candidates;
    for (const Event* root : model.rootEvents) {
        static_cast<void>(mayCover(*root, firstDay));  // takes the coverage again when stale
        const Event::Coverage& coverage = root->coverage;
        if (coverage.firstDay <= lastDay && (coverage.openEnded || coverage.lastDay >= firstDay)) {
            candidates.push_back(root);
        }
    }
    std::vector<std::int64_t> days;
    for (DateTime date = first; dayNumber(date) <= lastDay; date = addDays(date, 1)) {
        const bool shown =
            std::any_of(candidates.begin(), candidates.end(), [&](const Event* root) {
                const EventDataRow* row = findOccurrence(*root, date);
                return row != nullptr && !row->deleted;
            });
        if (shown) {
            days.push_back(dayNumber(date));
        }
    }
    return days;
}

}  // namespace kalvo
