#include "day/DateFunctions.h"

namespace kalvo {
namespace {

constexpr std::int64_t kMillisecondsPerMinute = 60'000;
constexpr std::int64_t kMinutesPerDay = 1440;

std::int64_t floorDivide(std::int64_t value, std::int64_t divisor) {
    const std::int64_t quotient = value / divisor;
    return quotient * divisor > value ? quotient - 1 : quotient;
}

int dayOfYear(DateTime t) {
    const CivilDate date = civilFromDays(dayNumber(t));
    return static_cast<int>(daysFromCivil(date) - daysFromCivil({date.year, 1, 1}));
}

}  // namespace

std::int64_t dayNumber(DateTime t) {
    return splitDateTime(t).day;
}

int minuteOfDay(DateTime t) {
    return static_cast<int>(splitDateTime(t).millisecondOfDay / kMillisecondsPerMinute);
}

std::string clockText(int minutes) {
    return {static_cast<char>('0' + minutes / 600), static_cast<char>('0' + minutes / 60 % 10), ':',
            static_cast<char>('0' + minutes % 60 / 10), static_cast<char>('0' + minutes % 10)};
}

int durationMinutes(DateTime start, DateTime end) {
    if (dayOfYear(start) == dayOfYear(end)) {
        return minuteOfDay(end) - minuteOfDay(start);
    }
    return static_cast<int>(kMinutesPerDay) - minuteOfDay(start);
}

bool isWeekend(DateTime t) {
    // Counted from a known Monday, so the week needs no epoch weekday of its own.
    const std::int64_t monday = daysFromCivil({2000, 1, 3});
    const std::int64_t sinceMonday = dayNumber(t) - monday;
    return sinceMonday - floorDivide(sinceMonday, 7) * 7 >= 5;
}

bool sameDay(DateTime a, DateTime b) {
    return dayNumber(a) == dayNumber(b);
}

DateTime dateTimeOfMinute(std::int64_t day, std::int64_t minutes) {
    const std::int64_t wholeDays = floorDivide(minutes, kMinutesPerDay);
    return joinDateTime(day + wholeDays,
                        (minutes - wholeDays * kMinutesPerDay) * kMillisecondsPerMinute);
}

DateTime addDays(DateTime t, std::int64_t days) {
    const DayAndTime split = splitDateTime(t);
    return joinDateTime(split.day + days, split.millisecondOfDay);
}

}  // namespace kalvo
