#pragma once

#include <cstdint>
#include <string>

#include "base/Calendar.h"

namespace kalvo::test {

inline std::int64_t day(int year, int month, int dayOfMonth) {
    return daysFromCivil({year, month, dayOfMonth});
}

// An iCalendar file around `body`, its components; its own lines are the first three.
inline std::string calendar(const std::string& body) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n" + body + "END:VCALENDAR\r\n";
}

}  // namespace kalvo::test
