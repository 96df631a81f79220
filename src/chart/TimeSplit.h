#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/ChartData.h"
#include "model/Model.h"

namespace kalvo {

inline constexpr std::string_view notSpecifiedLabel = "Not Specified";
inline constexpr std::int32_t notSpecifiedColor = 0x808080;

// Rebuilds model.chartSlices from model.chartPanels: one slice per type id, standing where the
// type's first entry stands, holding the minutes of its top-level entries in hours. A row that
// applies on several days of the range is counted once per day; sub-appointments are not
// counted, their time lies within their parent's. Slices whose minutes add up to zero are
// dropped. Rows whose appointment has no type are left to "Not Specified".
void computeSlices(Model& model);

// One slice as the pie draws it.
struct PieSlice {
    double value = 0;
    std::string label;
    std::int32_t color = 0;
};

// What the pie of `slices` over the days from the day of `from` to the day of `to` draws: the
// slices with positive hours in their order, then "Not Specified" for the hours of the range
// that they leave. Slices with negative hours are not drawn but still reduce what is left.
// Nothing when `to` is on an earlier day than `from`.
std::vector<PieSlice> pieSlices(const std::vector<ChartData>& slices, DateTime from, DateTime to);

// `value` with `decimals` decimals, halves rounded away from zero as a reader rounds the
// decimal the value shows: its seven significant digits, the precision of the float hours it
// derives from (0.35 hours of a float read as 0.35, not as 0.3499999...). With
// `dropTrailingZeros` the decimals are optional ("##0.##"), else all are shown ("##0.0").
std::string formatDecimal(double value, int decimals, bool dropTrailingZeros,
                          std::string_view decimalPoint = ".");

// The mark beside a slice: its label, a space and its value with one decimal, "Work 8.0".
std::string markText(const PieSlice& slice, std::string_view decimalPoint = ".");

// The legend line of a slice: its share of `total` in percent with up to two decimals, a space
// and a per cent sign, a space and the label, "75 % Work".
std::string legendText(const PieSlice& slice, double total, std::string_view decimalPoint = ".");

// The header of the printed report: "Time Split for " and the date when both ends are the same
// date-time, else "Time Split from " first " to " last; the dates as the caller shows them.
// A page of another title reads the same with its own.
std::string reportHeaderText(DateTime rangeStart, DateTime rangeEnd, const std::string& startText,
                             const std::string& endText, std::string_view title = "Time Split");

}  // namespace kalvo
