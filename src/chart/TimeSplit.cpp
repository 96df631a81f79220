#include "chart/TimeSplit.h"

#include <algorithm>
#include <charconv>
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
            minutes[found->second] +=
                static_cast<float>(durationMinutes(row->startTime, row->endTime));
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

namespace {

// |value| = mantissa × 10^exponent, in the digits a reader sees.
struct ReaderDecimal {
    std::int64_t mantissa = 0;
    int exponent = 0;
};

// Every value shown here derives from the slices' float hours, whose seven significant digits
// are all the value means: a float's 0.35 hours (0.3499999940...) reads as 0.35, and 24 less
// it as 23.65. The digits are read that far, then rounded.
ReaderDecimal readerDecimal(double magnitude) {
    char text[64];
    const std::to_chars_result written =
        std::to_chars(text, text + sizeof text - 1, magnitude, std::chars_format::scientific, 6);
    *written.ptr = '\0';  // d[.ddd]e±XX
    ReaderDecimal decimal;
    const char* c = text;
    bool afterPoint = false;
    for (; *c != 'e'; ++c) {
        if (*c == '.') {
            afterPoint = true;
            continue;
        }
        decimal.mantissa = decimal.mantissa * 10 + (*c - '0');
        decimal.exponent -= afterPoint ? 1 : 0;
    }
    decimal.exponent += std::atoi(c + 1);
    return decimal;
}

std::int64_t powerOfTen(int exponent) {
    std::int64_t power = 1;
    for (int i = 0; i < exponent; ++i) {
        power *= 10;
    }
    return power;
}

}  // namespace

std::string formatDecimal(double value, int decimals, bool dropTrailingZeros,
                          std::string_view decimalPoint) {
    if (!std::isfinite(value) || std::fabs(value) >= 1e12) {
        char text[400];  // far beyond any span of hours: printed as the C library rounds it
        std::snprintf(text, sizeof text, "%.*f", decimals, value);
        return text;
    }
    // In units of 10^-decimals, halves rounded away from zero.
    const ReaderDecimal decimal = readerDecimal(std::fabs(value));
    const int shift = decimal.exponent + decimals;
    std::int64_t units = 0;
    if (shift >= 0) {
        units = decimal.mantissa * powerOfTen(shift);
    } else if (shift > -18) {
        const std::int64_t divisor = powerOfTen(-shift);
        units = decimal.mantissa / divisor + (2 * (decimal.mantissa % divisor) >= divisor ? 1 : 0);
    }
    const std::int64_t unitsPerWhole = powerOfTen(decimals);
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

std::string reportHeaderText(DateTime rangeStart, DateTime rangeEnd, const std::string& startText,
                             const std::string& endText, std::string_view title) {
    if (rangeStart == rangeEnd) {
        return std::string(title) + " for " + startText;
    }
    return std::string(title) + " from " + startText + " to " + endText;
}

}  // namespace kalvo
