#include "calendars/CalendarFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Calendar.h"
#include "calendars/IcalendarText.h"

namespace kalvo {
namespace {

using test::calendar;
using test::day;

// A fault anywhere refuses the whole file and names its line.
TEST(CalendarFile, AFaultRefusesTheFileNamingItsLine) {
    const std::string good =
        "BEGIN:VEVENT\r\nUID:a\r\nDTSTART:20261210T090000\r\nDTEND:20261210T100000\r\n"
        "END:VEVENT\r\n";
    struct Case {
        const char* what;
        std::string text;
        int line;
    };
    const Case cases[] = {
        {"a date that is none",
         calendar(good + "BEGIN:VEVENT\r\nUID:b\r\nDTSTART:20261345T090000\r\nEND:VEVENT\r\n"), 11},
        {"a recurrence that is none",
         calendar(good + "BEGIN:VEVENT\r\nUID:b\r\nDTSTART:20261210T090000\r\nRRULE:FREQ="
                         "SOMETIMES\r\nEND:VEVENT\r\n"),
         12},
        {"a line that is no property",
         calendar("BEGIN:VEVENT\r\nUID:b\r\nFOO BAR\r\nDTSTART:20261210T090000\r\nEND:VEVENT\r\n"),
         6},
        {"an event without a start",
         calendar(good + "BEGIN:VEVENT\r\nUID:b\r\nSUMMARY:x\r\nEND:VEVENT\r\n"), 9},
        {"an end before the start",
         calendar("BEGIN:VEVENT\r\nUID:b\r\nDTSTART:20261210T090000\r\nDTEND:"
                  "20261210T080000\r\nEND:VEVENT\r\n"),
         7},
        // END:VCALENDAR on line 7 closes the event begun on line 4, which the message names.
        {"an event never closed", calendar("BEGIN:VEVENT\r\nUID:b\r\nDTSTART:20261210T090000\r\n"),
         7},
        {"a component closed by another",
         calendar("BEGIN:VEVENT\r\nDTSTART:20261210T090000\r\nEND:VTODO\r\n"), 6},
        {"no calendar", "BEGIN:VEVENT\r\nEND:VEVENT\r\n", 1},
        {"a folded bad date, named by the line it starts on",
         calendar(good + "BEGIN:VEVENT\r\nUID:b\r\nDTSTART;\r\n TZID=Europe/Berlin:2026\r\n "
                         "1310T090000\r\nEND:VEVENT\r\n"),
         11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            CalendarFile file(c.text, "Europe/Berlin");
            ADD_FAILURE() << "read";
        } catch (const IcalendarError& error) {
            EXPECT_EQ(error.line(), c.line) << error.what();
            EXPECT_EQ(std::string(error.what()).rfind("Line " + std::to_string(c.line) + ": ", 0),
                      0U);
        }
    }
    // Empty texts are no fault: calendar servers write them.
    const CalendarFile empty(
        calendar("BEGIN:VEVENT\r\nUID:e\r\nSUMMARY:Dentist\r\nLOCATION:\r\nDESCRIPTION:\r\n"
                 "DTSTART:20261210T160000\r\nEND:VEVENT\r\n"),
        "Europe/Berlin");
    ASSERT_EQ(empty.events().size(), 1U);
    EXPECT_EQ(empty.events()[0].location, "");
}

// A weekly meeting at 09:00 in Berlin, across the end of summer time (25 October 2026), with
// one week taken out and one moved; a floating event; an event in New York; an all-day event.
const std::string kWeekly = calendar(
    "BEGIN:VEVENT\r\nUID:weekly\r\nSUMMARY:Team\r\nCATEGORIES:Work,Meeting\r\n"
    "DTSTART;TZID=Europe/Berlin:20261014T090000\r\nDTEND;TZID=Europe/Berlin:20261014T093000\r\n"
    "RRULE:FREQ=WEEKLY;COUNT=5\r\nEXDATE;TZID=Europe/Berlin:20261021T090000\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:weekly\r\nRECURRENCE-ID;TZID=Europe/Berlin:20261104T090000\r\n"
    "SUMMARY:Team, later\r\nDTSTART;TZID=Europe/Berlin:20261104T140000\r\n"
    "DTEND;TZID=Europe/Berlin:20261104T150000\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:floating\r\nDTSTART:20261028T070000\r\nDTEND:20261028T080000\r\nEND:"
    "VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:newyork\r\nDTSTART;TZID=America/New_York:20261028T090000\r\n"
    "DURATION:PT1H\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:allday\r\nDTSTART;VALUE=DATE:20261030\r\nEND:VEVENT\r\n");

TEST(CalendarFile, RecurrencesAreExpandedInTheirZoneAndShownInTheLocalOne) {
    struct Case {
        const char* localZone;
        std::vector<LocalTime> weeklyStarts;
        LocalTime newYork;
    };
    const Case cases[] = {
        {"Europe/Berlin",
         {{day(2026, 10, 14), 540},
          {day(2026, 10, 28), 540},
          {day(2026, 11, 4), 840},
          {day(2026, 11, 11), 540}},
         {day(2026, 10, 28), 14 * 60}},
        // Berlin is two hours ahead of UTC in summer, one after the change.
        {"UTC",
         {{day(2026, 10, 14), 420},
          {day(2026, 10, 28), 480},
          {day(2026, 11, 4), 780},
          {day(2026, 11, 11), 480}},
         {day(2026, 10, 28), 13 * 60}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.localZone);
        const CalendarFile file(kWeekly, c.localZone);
        ASSERT_EQ(file.events().size(), 5U);
        const CalendarEvent& weekly = file.events()[0];
        EXPECT_TRUE(weekly.recurs);
        EXPECT_FALSE(weekly.daily);
        EXPECT_EQ(weekly.categories, (std::vector<std::string>{"Work", "Meeting"}));
        std::vector<LocalTime> starts;
        for (const CalendarOccurrence& occurrence :
             file.occurrences(0, day(2026, 10, 1), day(2026, 11, 30))) {
            starts.push_back(occurrence.start);
            EXPECT_EQ(occurrence.end.minute - occurrence.start.minute,
                      occurrence.event == 1 ? 60 : 30);
        }
        EXPECT_EQ(starts, c.weeklyStarts);
        EXPECT_EQ(file.occurrences(0, day(2026, 10, 27), day(2026, 10, 29)).size(), 1U);
        EXPECT_EQ(file.events()[2].start, (LocalTime{day(2026, 10, 28), 7 * 60})) << "floating";
        EXPECT_EQ(file.events()[3].start, c.newYork);
        EXPECT_EQ(file.events()[3].end.minute - file.events()[3].start.minute, 60);
        EXPECT_TRUE(file.events()[4].allDay);
    }
}

TEST(CalendarFile, ADayShowsWhatLiesInItOfEveryEventInStartOrder) {
    const CalendarFile file(kWeekly + "", "Europe/Berlin");
    struct Case {
        std::int64_t day;
        std::vector<std::string> shown;  // uid and start minute
    };
    const Case cases[] = {
        {day(2026, 10, 28), {"floating 420", "weekly 540", "newyork 840"}},
        {day(2026, 10, 21), {}},  // taken out
        {day(2026, 10, 30), {"allday 0"}},
        {day(2026, 10, 31), {}},
        {day(2026, 11, 4), {"weekly 840"}},  // moved to the afternoon
        {day(2026, 11, 18), {}},             // after the fifth
    };
    for (const Case& c : cases) {
        std::vector<std::string> shown;
        for (const CalendarOccurrence& occurrence : file.occurrencesOn(c.day)) {
            shown.push_back(file.events()[occurrence.event].uid + " " +
                            std::to_string(occurrence.start.minute));
        }
        EXPECT_EQ(shown, c.shown) << civilFromDays(c.day).day;
    }
}

TEST(CalendarFile, ADailyRecurrenceIsKeptAsTheDaysItCovers) {
    struct Case {
        const char* rule;
        std::optional<std::int64_t> lastDay;
        bool weekdaysOnly;
        bool daily;
    };
    const Case cases[] = {
        {"FREQ=DAILY", std::nullopt, false, true},
        {"FREQ=DAILY;UNTIL=20261220", day(2026, 12, 20), false, true},
        {"FREQ=DAILY;COUNT=3", day(2026, 12, 12), false, true},
        {"FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR;COUNT=3", day(2026, 12, 14), true,
         true},  // Thu, Fri, Mon
        {"FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR", std::nullopt, false, false},
        {"FREQ=DAILY;INTERVAL=2", std::nullopt, false, false},
        {"FREQ=DAILY;BYDAY=MO,WE", std::nullopt, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        const CalendarFile file(calendar("BEGIN:VEVENT\r\nUID:d\r\nDTSTART:20261210T090000\r\n"
                                         "DTEND:20261210T100000\r\nRRULE:" +
                                         std::string(c.rule) + "\r\nEND:VEVENT\r\n"),
                                "Europe/Berlin");
        const CalendarEvent& event = file.events().at(0);
        ASSERT_EQ(event.daily.has_value(), c.daily);
        if (c.daily) {
            EXPECT_EQ(event.daily->lastDay, c.lastDay);
            EXPECT_EQ(event.daily->weekdaysOnly, c.weekdaysOnly);
        }
    }
}

}  // namespace
}  // namespace kalvo
