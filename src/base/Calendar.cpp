#include "base/Calendar.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kalvo {
namespace {

// Day 0 of the date-times is 1899-12-30, which is 25569 days before 1970-01-01.
constexpr std::int64_t kUnixEpochDay = 25569;

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

// Proleptic Gregorian calendar arithmetic after Howard Hinnant's days_from_civil.
std::int64_t daysFromCivil(CivilDate date) {
    const std::int64_t y = date.year - (date.month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t shiftedMonth = date.month + (date.month > 2 ? -3 : 9);
    const std::int64_t dayOfYear = (153 * shiftedMonth + 2) / 5 + date.day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468 + kUnixEpochDay;
}

CivilDate civilFromDays(std::int64_t days) {
    const std::int64_t z = days - kUnixEpochDay + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    const int month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day};
}

std::string isoDateText(std::int64_t days) {
    const CivilDate date = civilFromDays(days);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

bool isValidCivilDate(CivilDate date) {
    return date.month >= 1 && date.month <= 12 && date.day >= 1 &&
           date.day <= daysInMonth(date.year, date.month);
}

DayAndTime splitDateTime(DateTime value) {
    const auto milliseconds = std::llround(value * static_cast<double>(kMillisecondsPerDay));
    return {milliseconds / kMillisecondsPerDay, std::llabs(milliseconds % kMillisecondsPerDay)};
}

DateTime joinDateTime(std::int64_t day, std::int64_t millisecondOfDay) {
    const double time =
        static_cast<double>(millisecondOfDay) / static_cast<double>(kMillisecondsPerDay);
    return day < 0 ? static_cast<double>(day) - time : static_cast<double>(day) + time;
}

DateTime roundToMillisecond(DateTime value) {
    const DayAndTime split = splitDateTime(value);
    return joinDateTime(split.day, split.millisecondOfDay);
}

DateTimeParts dateTimeParts(DateTime value) {
    const DayAndTime split = splitDateTime(value);
    const auto ms = static_cast<int>(split.millisecondOfDay);
    return {civilFromDays(split.day), ms / 3'600'000, ms / 60'000 % 60, ms % 60'000};
}

}  // namespace kalvo
