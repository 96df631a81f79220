#include "day/Timeline.h"

#include <algorithm>
#include <array>

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

// Integer division rounded down, also for a negative numerator.
long long floorDivide(long long numerator, long long denominator) {
    const long long quotient = numerator / denominator;
    return numerator % denominator < 0 ? quotient - 1 : quotient;
}

constexpr std::array kZoomLadder{24, 30, 36, 48, 60, 72, 96, 120, 144, 180, 240};

}  // namespace

TimelineScale::TimelineScale(int pixelsPerHour)
    : pixelsPerHour_(std::clamp(pixelsPerHour, smallest, largest)) {}

int TimelineScale::toScreen(int columnPixels) const {
    // ceil(p * pph / 24) as the negation of the floor of the negation.
    return static_cast<int>(-floorDivide(-1LL * columnPixels * pixelsPerHour_, kPixelsPerHour));
}

int TimelineScale::toColumn(int screenPixels) const {
    return static_cast<int>(floorDivide(1LL * screenPixels * kPixelsPerHour, pixelsPerHour_));
}

TimelineScale TimelineScale::zoomedIn() const {
    const auto* next = std::upper_bound(kZoomLadder.begin(), kZoomLadder.end(), pixelsPerHour_);
    return TimelineScale(next != kZoomLadder.end() ? *next : largest);
}

TimelineScale TimelineScale::zoomedOut() const {
    const auto* next = std::lower_bound(kZoomLadder.begin(), kZoomLadder.end(), pixelsPerHour_);
    return TimelineScale(next != kZoomLadder.begin() ? *(next - 1) : smallest);
}

TimelineScale TimelineScale::filling(int screenHeight) const {
    return TimelineScale(std::max(pixelsPerHour_, screenHeight / 24));
}

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
