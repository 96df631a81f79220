#include "chart/TimeSplit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>

#include "day/DateFunctions.h"

namespace kalvo {

void computeSlices(Model& model) {
    model.chartSlices.clear();
    // One pass with the slice of each type id looked up: the same slices, in the same order and
    // with the same float sums (each type's minutes added in list order) as comparing every
    // entry with every later one, without the square of the entries that a long range holds.
    std::vector<float> minutes;
    std::unordered_map<std::int32_t, std::size_t> sliceOfType;
    for (const EventDataRow* row : model.chartPanels) {
        const Event* event = row->event;
        if (event == nullptr || event->type == nullptr) {
            continue;  // nothing names the slice such a row would count for
        }
        const auto [found, isNew] = sliceOfType.try_emplace(event->typeId, minutes.size());
        if (isNew) {
            model.chartSlices.push_back({0, event->type->name, event->type->color});
            minutes.push_back(0);
        }
        if (event->parent == nullptr) {
            minutes[found->second] += static_cast<float>(durationMinutes(row->startTime, row->endTime));
        }
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < minutes.size(); ++i) {
        if (minutes[i] == 0) {
            continue;
        }
        if (kept != i) {
            model.chartSlices[kept] = std::move(model.chartSlices[i]);
        }
        model.chartSlices[kept++].hours = minutes[i] / 60;
    }
    model.chartSlices.resize(kept);
}

std::vector<PieSlice> pieSlices(const std::vector<ChartData>& slices, DateTime from, DateTime to) {
    std::vector<PieSlice> pie;
    double total = 0;
    for (const ChartData& slice : slices) {
        total += slice.hours;
        if (slice.hours > 0) {
            pie.push_back({slice.hours, slice.label, slice.color});
        }
    }
    const std::int64_t days = std::max<std::int64_t>(dayNumber(to) - dayNumber(from) + 1, 0);
    const double unaccounted = 24.0 * static_cast<double>(days) - total;
    if (unaccounted > 0) {
        pie.push_back({unaccounted, std::string(notSpecifiedLabel), notSpecifiedColor});
    }
    return pie;
}

std::string formatDecimal(double value, int decimals, bool dropTrailingZeros,
                          std::string_view decimalPoint) {
    std::int64_t unitsPerWhole = 1;
    for (int i = 0; i < decimals; ++i) {
        unitsPerWhole *= 10;
    }
    // The hours are floats, which carry seven significant digits: the value is rounded as the
    // decimal of those digits, so that a float a hair below a half still counts as the half.
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.6e", std::fabs(value));  // d.dddddde±XX
    std::int64_t units = 0;
    const int exponent = std::isfinite(value) ? std::atoi(digits + 9) : 99;
    if (exponent > 12) {
        return "0";  // no time span comes near this: not a number of hours
    }
    std::int64_t mantissa = digits[0] - '0';
    for (int i = 2; i <= 7; ++i) {
        mantissa = mantissa * 10 + (digits[i] - '0');
    }
    // value = mantissa × 10^(exponent − 6); in units of 10^−decimals:
    const int shift = exponent - 6 + decimals;
    if (shift >= 0) {
        units = mantissa;
        for (int i = 0; i < shift; ++i) {
            units *= 10;
        }
    } else if (shift > -18) {
        std::int64_t divisor = 1;
        for (int i = 0; i < -shift; ++i) {
            divisor *= 10;
        }
        units = mantissa / divisor + (2 * (mantissa % divisor) >= divisor ? 1 : 0);
    }
    std::string text = value < 0 && units != 0 ? "-" : "";
    text += std::to_string(units / unitsPerWhole);
    std::string fraction = std::to_string(units % unitsPerWhole + unitsPerWhole).substr(1);
    if (dropTrailingZeros) {
        fraction.erase(fraction.find_last_not_of('0') + 1);
    }
    if (!fraction.empty()) {
        text += decimalPoint;
        text += fraction;
    }
    return text;
}

std::string markText(const PieSlice& slice, std::string_view decimalPoint) {
    return slice.label + ' ' + formatDecimal(slice.value, 1, false, decimalPoint);
}

std::string legendText(const PieSlice& slice, double total, std::string_view decimalPoint) {
    const double percent = total > 0 ? slice.value / total * 100 : 0;
    return formatDecimal(percent, 2, true, decimalPoint) + " % " + slice.label;
}

std::string reportHeaderText(DateTime rangeStart, DateTime rangeEnd,
                             const std::string& startText, const std::string& endText) {
    if (rangeStart == rangeEnd) {
        return "Time Split for " + startText;
    }
    return "Time Split from " + startText + " to " + endText;
}

}  // namespace kalvo
