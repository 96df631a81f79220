#include "chart/PlanComparison.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

#include "chart/TimeSplit.h"
#include "day/DateFunctions.h"

namespace kalvo {
namespace {

// A type by its path, "Sport/Gym": two sub-types of one name stay apart.
std::string typePathText(const EventType& type) {
    std::string text;
    for (const std::string& name : typePath(type)) {
        text += (text.empty() ? "" : "/") + name;
    }
    return text;
}

// The minutes of the day from `start` to `end`, the end cut at midnight as durationMinutes
// cuts it; a day's times, the usual case, without its calendar arithmetic.
std::pair<int, int> minutesOfDay(DateTime start, DateTime end) {
    constexpr std::int64_t kMillisecondsPerMinute = 60'000;
    const DayAndTime first = splitDateTime(start);
    const DayAndTime last = splitDateTime(end);
    const int startMinute = static_cast<int>(first.millisecondOfDay / kMillisecondsPerMinute);
    if (first.day == last.day) {
        return {startMinute, static_cast<int>(last.millisecondOfDay / kMillisecondsPerMinute)};
    }
    return {startMinute, startMinute + durationMinutes(start, end)};
}

}  // namespace

std::optional<double> TypePlan::ratio() const {
    if (plannedMinutes == 0) {
        return std::nullopt;
    }
    return static_cast<double>(actualMinutes) / static_cast<double>(plannedMinutes);
}

int OccurrencePlan::deviationSize() const {
    if (skipped) {
        return std::abs(plannedEnd - plannedStart);
    }
    return std::max(std::abs(startDeviation()), std::abs(endDeviation()));
}

std::optional<double> PlanComparison::onTimeShare() const {
    if (occurrences == 0) {
        return std::nullopt;
    }
    return static_cast<double>(startedOnTime) / static_cast<double>(occurrences);
}

PlanComparison comparePlan(const Model& model, SubTypes subTypes, std::size_t deviations) {
    PlanComparison comparison;
    std::unordered_map<std::int32_t, std::size_t> lineOfType;
    std::vector<OccurrencePlan>& largest = comparison.largestDeviations;
    largest.reserve(deviations + 1);
    for (std::size_t i = 0; i < model.chartPanels.size(); ++i) {
        const EventDataRow& row = *model.chartPanels[i];
        const Event* event = row.event;
        if (event == nullptr || event->type == nullptr ||
            (event->parent != nullptr && subTypes == SubTypes::folded)) {
            continue;
        }
        OccurrencePlan occurrence{.day = model.chartPanelDays[i], .row = &row};
        std::tie(occurrence.plannedStart, occurrence.plannedEnd) =
            minutesOfDay(row.originalStartTime, row.originalEndTime);
        std::tie(occurrence.actualStart, occurrence.actualEnd) =
            minutesOfDay(row.startTime, row.endTime);
        occurrence.skipped = row.deleted;
        ++comparison.occurrences;

        const auto [line, isNew] = lineOfType.try_emplace(event->typeId, comparison.types.size());
        if (isNew) {
            comparison.types.push_back({.typeId = event->typeId,
                                        .label = typePathText(*event->type),
                                        .color = event->type->color});
        }
        TypePlan& type = comparison.types[line->second];
        type.plannedMinutes += occurrence.plannedEnd - occurrence.plannedStart;
        if (!occurrence.skipped) {
            type.actualMinutes += occurrence.actualEnd - occurrence.actualStart;
            if (std::abs(occurrence.startDeviation()) <= kOnTimeMinutes) {
                ++comparison.startedOnTime;
            }
        }
        // Kept sorted, largest first: a later occurrence goes after the equal ones.
        const int size = occurrence.deviationSize();
        if (size > 0 && (largest.size() < deviations || size > largest.back().deviationSize())) {
            const auto place = std::upper_bound(
                largest.begin(), largest.end(), size,
                [](int value, const OccurrencePlan& kept) { return value > kept.deviationSize(); });
            largest.insert(place, occurrence);
            if (largest.size() > deviations) {
                largest.pop_back();
            }
        }
    }
    std::erase_if(comparison.types, [](const TypePlan& type) {
        return type.plannedMinutes == 0 && type.actualMinutes == 0;
    });
    return comparison;
}

std::vector<PlanTableRow> planTable(const PlanComparison& comparison,
                                    std::string_view decimalPoint) {
    std::vector<PlanTableRow> table;
    for (const TypePlan& type : comparison.types) {
        const std::optional<double> ratio = type.ratio();
        table.push_back({type.label, formatDecimal(type.plannedHours(), 2, false, decimalPoint),
                         formatDecimal(type.actualHours(), 2, false, decimalPoint),
                         formatDecimal(type.differenceHours(), 2, false, decimalPoint),
                         ratio ? formatDecimal(100.0 * *ratio, 0, false, decimalPoint) : ""});
    }
    return table;
}

}  // namespace kalvo
