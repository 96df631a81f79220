#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Model.h"

namespace kalvo {

// What was planned against what happened over the chart's range, from the rows the chart
// collected (model.chartPanels, one entry per row and day).

// The hours of one type over the range. Planned hours are the rows' planned times on each day,
// deleted occurrences included: they were planned and not done. Actual hours are the actual
// times as the time split counts them, deleted occurrences left out.
struct TypePlan {
    std::int32_t typeId = 0;
    std::string label;  // the type's path, "Sport/Gym"
    std::int32_t color = 0;
    std::int64_t plannedMinutes = 0;
    std::int64_t actualMinutes = 0;

    double plannedHours() const { return static_cast<double>(plannedMinutes) / 60.0; }
    double actualHours() const { return static_cast<double>(actualMinutes) / 60.0; }
    double differenceHours() const { return actualHours() - plannedHours(); }
    // Actual over planned; none when nothing was planned.
    std::optional<double> ratio() const;
};

// One occurrence: its day and its times as minutes of that day. An end past midnight counts
// as 24:00, as the time split counts it.
struct OccurrencePlan {
    std::int32_t day = 0;  // day number
    const EventDataRow* row = nullptr;
    int plannedStart = 0;
    int plannedEnd = 0;
    int actualStart = 0;
    int actualEnd = 0;
    bool skipped = false;  // deleted: planned and not done

    int startDeviation() const { return actualStart - plannedStart; }
    int endDeviation() const { return actualEnd - plannedEnd; }
    // How far the day went from its plan, in minutes: the larger of the two deviations, or the
    // whole planned time of a skipped occurrence.
    int deviationSize() const;
};

// Sub-appointments lie within their parents' time, which the top-level types already count:
// by default they are not counted again; shown, each sub-type gets a line of its own.
enum class SubTypes { folded, shown };

inline constexpr int kOnTimeMinutes = 5;

struct PlanComparison {
    std::vector<TypePlan> types;  // in the order of each type's first occurrence; 0 h lines out
    // The occurrences furthest from their plan, largest first; among equal ones the earlier in
    // collection order first. Occurrences run to plan are left out.
    std::vector<OccurrencePlan> largestDeviations{};
    std::size_t occurrences = 0;
    std::size_t startedOnTime = 0;  // not skipped and started within kOnTimeMinutes of the plan

    // The share of the occurrences that started on time; none without occurrences.
    std::optional<double> onTimeShare() const;
};

// One pass over the collected rows, keeping the `deviations` largest deviations. Rows whose
// appointment has no type are not counted, as in the time split.
PlanComparison comparePlan(const Model& model, SubTypes subTypes, std::size_t deviations = 10);

// The per-type table as text: the type; planned, actual and their difference in hours with
// two decimals; the ratio, actual as a percentage of planned, without decimals, empty when
// nothing was planned.
inline constexpr std::array<std::string_view, 5> kPlanTableHeader = {
    "Type", "Planned (h)", "Actual (h)", "Difference (h)", "Ratio (%)"};
using PlanTableRow = std::array<std::string, 5>;
std::vector<PlanTableRow> planTable(const PlanComparison& comparison,
                                    std::string_view decimalPoint = ".");

}  // namespace kalvo
