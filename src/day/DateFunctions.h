#pragma once

#include <cstdint>
#include <string>

#include "base/Calendar.h"

namespace kalvo {

// The calendar arithmetic of the day view and the time split chart. Every function reads its
// date-time rounded to the millisecond, as the table files hold it, so a time that a double
// carries a hair below a minute or a midnight counts as that minute or that midnight.

// The date of a date-time: its whole part, truncated toward zero.
std::int64_t dayNumber(DateTime t);

// Hours × 60 + minutes of the time of day; seconds and milliseconds are dropped.
int minuteOfDay(DateTime t);

// "HH:MM" of `minutes` after midnight; the midnight that ends a day reads "24:00".
std::string clockText(int minutes);

// Minutes from start to end when both fall on the same day of the year (the year is not
// compared), else the minutes from start to midnight: an occurrence never counts past 24:00.
int durationMinutes(DateTime start, DateTime end);

// Saturday or Sunday.
bool isWeekend(DateTime t);

bool sameDay(DateTime a, DateTime b);

// The date-time `minutes` after the midnight that starts `day`; minutes past 24 hours (or
// before 0) run into the following (or previous) days.
DateTime dateTimeOfMinute(std::int64_t day, std::int64_t minutes);

// The same time of day, `days` whole days later.
DateTime addDays(DateTime t, std::int64_t days);

}  // namespace kalvo
