#include "day/Timeline.h"

#include <algorithm>

#include "day/DateFunctions.h"

namespace kalvo {
namespace {

// numerator / denominator (denominator > 0) to the nearest integer, a tie to the even one.
// Integer arithmetic: 0.4 and 2.5 have no exact binary fraction to multiply by.
int roundHalfEven(long long numerator, long long denominator) {
    long long quotient = numerator / denominator;
    long long remainder = numerator % denominator;
    if (remainder < 0) {
        quotient -= 1;
        remainder += denominator;
    }
    const long long twice = 2 * remainder;
    if (twice > denominator || (twice == denominator && quotient % 2 != 0)) {
        quotient += 1;
    }
    return static_cast<int>(quotient);
}

}  // namespace

int panelWidth(int depth) {
    // A nesting deeper than the column is wide leaves nothing to draw, not a negative width.
    return std::max(0, kColumnWidth - kPanelIndent * (depth + 1));
}

int timeToPixels(int minutes) {
    return roundHalfEven(2LL * minutes, 5);
}

int pixelsToTime(int pixels) {
    return roundHalfEven(5LL * pixels, 2);
}

PanelTimes timeByPosition(int top, int height, int parentTop, DateTime startDate) {
    const int startMinutes = pixelsToTime(top) + pixelsToTime(parentTop);
    const int endMinutes = pixelsToTime(parentTop + top + height);
    const std::int64_t day = dayNumber(startDate);
    return {dateTimeOfMinute(day, startMinutes), dateTimeOfMinute(day, endMinutes)};
}

}  // namespace kalvo
