// Other calendars: reading a large iCalendar file, and what one day shows of it.
// Run: build-bench/bin/kalvo_calendar_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "base/Calendar.h"
#include "calendars/CalendarFile.h"

namespace kalvo::bench {
namespace {

constexpr int kSingleEvents = 4800;
constexpr int kRecurringEvents = 200;
const std::int64_t kFirstDay = daysFromCivil({2017, 1, 2});
const std::int64_t kLastDay = daysFromCivil({2026, 12, 31});

std::string dateText(std::int64_t day) {
    const CivilDate date = civilFromDays(day);
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", date.year, date.month, date.day);
    return text;
}

// 5 000 events over ten years in Berlin time: single ones spread over the days, and 200 series,
// weekly and daily, each with a day taken out.
const std::string& calendarText() {
    static const std::string text = [] {
        std::string ics = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\n";
        const std::int64_t days = kLastDay - kFirstDay;
        for (int i = 0; i < kSingleEvents; ++i) {
            const std::string date = dateText(kFirstDay + i * days / kSingleEvents);
            const int hour = 8 + i % 10;
            char times[64];
            std::snprintf(times, sizeof times, "T%02d0000\r\nDTEND;TZID=Europe/Berlin:%sT%02d3000",
                          hour, date.c_str(), hour);
            ics += "BEGIN:VEVENT\r\nUID:single-" + std::to_string(i) +
                   "\r\nSUMMARY:Meeting\r\nDTSTART;TZID=Europe/Berlin:" + date + times +
                   "\r\nEND:VEVENT\r\n";
        }
        for (int i = 0; i < kRecurringEvents; ++i) {
            const std::int64_t first = kFirstDay + i * 15;
            const std::string date = dateText(first);
            ics += "BEGIN:VEVENT\r\nUID:series-" + std::to_string(i) +
                   "\r\nSUMMARY:Series\r\nDTSTART;TZID=Europe/Berlin:" + date +
                   "T070000\r\nDTEND;TZID=Europe/Berlin:" + date +
                   "T073000\r\nRRULE:FREQ=" + (i % 2 == 0 ? "WEEKLY" : "DAILY") +
                   "\r\nEXDATE;TZID=Europe/Berlin:" + dateText(first + 14) +
                   "T070000\r\nEND:VEVENT\r\n";
        }
        return ics + "END:VCALENDAR\r\n";
    }();
    return text;
}

void ReadCalendarFile(benchmark::State& state) {
    for (auto _ : state) {
        const CalendarFile file(calendarText(), "Europe/Berlin");
        benchmark::DoNotOptimize(file.events().size());
    }
}
BENCHMARK(ReadCalendarFile)->Unit(benchmark::kMillisecond);

// The days of the last year one after the other, as the timeline's day changes.
void CalendarDay(benchmark::State& state) {
    const CalendarFile file(calendarText(), "Europe/Berlin");
    std::int64_t day = kLastDay - 365;
    std::size_t shown = 0;
    for (auto _ : state) {
        shown += file.occurrencesOn(day).size();
        day = day == kLastDay ? kLastDay - 365 : day + 1;
    }
    state.counters["shown"] =
        benchmark::Counter(static_cast<double>(shown), benchmark::Counter::kAvgIterations);
}
BENCHMARK(CalendarDay)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kalvo::bench

BENCHMARK_MAIN();
