#pragma once

#include <cstdint>
#include <string>

namespace kalvo {

// Date-times are days since 30 December 1899 in local time; the fraction is the time of day.
// Before that epoch the whole part still counts the day and the fraction's magnitude the time,
// so -1.25 is 29 December 1899, 06:00.
using DateTime = double;

inline constexpr std::int64_t kMillisecondsPerDay = 86'400'000;

struct CivilDate {
    int year = 1899;
    int month = 12;
    int day = 30;
};

struct DateTimeParts {
    CivilDate date;
    int hour = 0;
    int minute = 0;
    int millisecondOfMinute = 0;  // seconds × 1000 + milliseconds
};

std::int64_t daysFromCivil(CivilDate date);
CivilDate civilFromDays(std::int64_t days);
// "2026-12-10" of the day `days` days after 30 December 1899.
std::string isoDateText(std::int64_t days);
bool isValidCivilDate(CivilDate date);

// A date-time rounded to the nearest millisecond, the precision of the table files.
DateTime roundToMillisecond(DateTime value);

// Whole days and milliseconds of the day, after rounding to the millisecond.
struct DayAndTime {
    std::int64_t day = 0;
    std::int64_t millisecondOfDay = 0;
};
DayAndTime splitDateTime(DateTime value);
DateTime joinDateTime(std::int64_t day, std::int64_t millisecondOfDay);

DateTimeParts dateTimeParts(DateTime value);

}  // namespace kalvo
