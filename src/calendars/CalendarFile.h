#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kalvo {

// A fault of an iCalendar file, with the line it is on (the first line is 1).
class IcalendarError : public std::runtime_error {
public:
    IcalendarError(int line, const std::string& message);
    int line() const { return line_; }

private:
    int line_;
};

// A time of the planner's local clock: a day number and the minutes into that day.
struct LocalTime {
    std::int64_t day = 0;
    int minute = 0;

    friend bool operator==(const LocalTime&, const LocalTime&) = default;
};

// A recurrence as the planner keeps one itself: every day, or every weekday, from the event's
// first day to its last (none: without end).
struct DailyRule {
    std::optional<std::int64_t> lastDay;
    bool weekdaysOnly = false;
};

// One event of the file (a VEVENT), its times in the local zone.
struct CalendarEvent {
    int line = 0;  // of its BEGIN:VEVENT
    std::string uid;
    std::string summary;
    std::vector<std::string> categories;  // in order: our export writes a type's path here
    std::string description;
    std::string location;
    std::string relatedTo;  // the UID of the event it belongs to
    bool allDay = false;
    LocalTime start;                        // the first occurrence
    LocalTime end;                          // may fall on a later day
    std::optional<LocalTime> plannedStart;  // X-KALVO-PLANNED-START and -END of our export
    std::optional<LocalTime> plannedEnd;
    bool recurs = false;                     // it has an RRULE or an RDATE
    std::optional<DailyRule> daily;          // its recurrence, when the planner can keep it as one
    std::vector<std::int64_t> excludedDays;  // its EXDATE days
    // An override of one occurrence of the recurring event with the same UID: the start that
    // occurrence had.
    std::optional<LocalTime> recurrenceId;
};

// One occurrence of an event, in local time.
struct CalendarOccurrence {
    std::size_t event = 0;  // its index in events(): the recurring event, or its override
    LocalTime start;
    LocalTime end;
};

// An iCalendar file (RFC 5545) read whole with libical. Times in a zone (the file's VTIMEZONE,
// else the zone database's) are given in the local zone; floating times stay as they are.
class CalendarFile {
public:
    // Reads `text`. A fault anywhere refuses the whole file, naming the line it is on.
    // `localZoneId` names the local zone ("Europe/Berlin"); empty, times keep their own clock.
    CalendarFile(std::string_view text, const std::string& localZoneId);
    ~CalendarFile();
    CalendarFile(CalendarFile&&) noexcept;
    CalendarFile& operator=(CalendarFile&&) noexcept;

    const std::vector<CalendarEvent>& events() const { return events_; }

    // The occurrences of the recurring event `event` that start on the days `first` to `last`,
    // in start order: its RRULE and RDATE expanded in its own zone, less its EXDATE, each
    // overridden occurrence replaced by the override (an event of its own in events()).
    std::vector<CalendarOccurrence> occurrences(std::size_t event, std::int64_t first,
                                                std::int64_t last) const;

    // What the day `day` shows of the whole file, in start order: every occurrence that lies
    // in it at least partly, all-day ones included (their start's minute is 0 and they end at
    // the start of the day after their last). Events that do not recur are found through an
    // index by day, made once.
    std::vector<CalendarOccurrence> occurrencesOn(std::int64_t day) const;

private:
    struct Parsed;
    std::unique_ptr<Parsed> parsed_;
    std::vector<CalendarEvent> events_;
    // The events that do not recur, by the day they start on; the recurring ones; and the
    // longest span of any event in days, to find those begun before a day that reach into it.
    std::vector<std::pair<std::int64_t, std::size_t>> singlesByDay_;
    std::vector<std::size_t> recurring_;
    std::int64_t longestSpan_ = 0;
};

}  // namespace kalvo
