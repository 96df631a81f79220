#include <gtest/gtest.h>

#include "day/DateFunctions.h"
#include "day/DayModel.h"
#include "day/Timeline.h"

namespace kalvo {
namespace {

using test::at;
using test::dateOf;

TEST(DateFunctionsTest, DayAndMinuteAreReadAfterRoundingToTheMillisecond) {
    const DateTime saturday = dateOf(2024, 3, 2);
    struct Case {
        const char* what;
        DateTime value;
        std::int64_t day;
        int minute;
    };
    const Case cases[] = {
        // Truncating the fraction × 1440 of this double gives 541.
        {"09:02 as a double", at(saturday, 542), 45353, 542},
        {"seconds are dropped", at(saturday, 555 + 59 / 60.0), 45353, 555},
        {"last millisecond of the day", saturday + 86'399'999 / 86'400'000.0, 45353, 1439},
        {"a hair below midnight is midnight", saturday + 1 - 1e-10, 45354, 0},
        {"before 1899 the fraction is the time", -1.25, -1, 360},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dayNumber(c.value), c.day) << c.what;
        EXPECT_EQ(minuteOfDay(c.value), c.minute) << c.what;
    }
    EXPECT_TRUE(sameDay(at(saturday, 0), at(saturday, 1439)));
    EXPECT_FALSE(sameDay(at(saturday, 1439), at(saturday + 1, 0)));
}

TEST(DateFunctionsTest, DurationStopsAtMidnightAndComparesOnlyTheDayOfTheYear) {
    const DateTime day = dateOf(2023, 3, 1);
    struct Case {
        const char* what;
        DateTime start, end;
        int minutes;
    };
    const Case cases[] = {
        {"same day", at(day, 555 + 59 / 60.0), at(day, 600), 45},
        {"past midnight counts up to 24:00", at(day, 1380), at(day + 1, 60), 60},
        {"a whole day later", at(day, 540), at(day + 1, 540), 900},
        {"ends at the next midnight", at(day, 1200), day + 1, 240},
        {"the same date a year later", at(dateOf(2023, 2, 1), 540), at(dateOf(2024, 2, 1), 630),
         90},
        // Day 365 of 2023 and of the leap year 2024.
        {"the same day of a later year", at(dateOf(2023, 12, 31), 540),
         at(dateOf(2024, 12, 30), 600), 60},
        {"the same date in a leap year is another day", at(dateOf(2023, 3, 5), 540),
         at(dateOf(2024, 3, 5), 600), 900},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(durationMinutes(c.start, c.end), c.minutes) << c.what;
    }
}

TEST(DateFunctionsTest, WeekendIsSaturdayAndSunday) {
    const DateTime monday = dateOf(2024, 3, 4);
    const bool week[] = {false, false, false, false, false, true, true};
    for (int offset = 0; offset < 14; ++offset) {
        EXPECT_EQ(isWeekend(at(monday + offset, 720)), week[offset % 7]) << "day " << offset;
    }
    EXPECT_TRUE(isWeekend(0.0));     // 30 December 1899, a Saturday
    EXPECT_TRUE(isWeekend(-0.75));   // still that Saturday, 18:00
    EXPECT_FALSE(isWeekend(-1.25));  // Friday 29 December
}

TEST(DateFunctionsTest, PixelConversionsRoundTiesToEven) {
    struct Case {
        int pixels, minutes;
    };
    const Case pixelsToMinutes[] = {{0, 0},      {1, 2},     {2, 5},     {3, 8},
                                    {5, 12},     {216, 540}, {217, 542}, {219, 548},
                                    {576, 1440}, {-1, -2},   {-3, -8}};
    for (const Case& c : pixelsToMinutes) {
        EXPECT_EQ(pixelsToTime(c.pixels), c.minutes) << c.pixels << " px";
    }
    const Case minutesToPixels[] = {{0, 1},     {1, 2},     {1, 3},      {2, 4},  {12, 30},
                                    {216, 541}, {228, 571}, {576, 1440}, {-1, -2}};
    for (const Case& c : minutesToPixels) {
        EXPECT_EQ(timeToPixels(c.minutes), c.pixels) << c.minutes << " min";
    }
    // Every pixel of the column survives the trip through the time grid.
    for (int pixels = 0; pixels <= kColumnHeight; ++pixels) {
        ASSERT_EQ(timeToPixels(pixelsToTime(pixels)), pixels);
    }
}

TEST(DateFunctionsTest, PositionGivesTimesOnTheStartDate) {
    const DateTime day = dateOf(2024, 3, 5);
    struct Case {
        const char* what;
        int top, height, parentTop;
        DateTime start, end;
    };
    const Case cases[] = {
        {"top level", 217, 13, 0, at(day, 542), at(day, 575)},
        {"bottom edge at 576", 552, 24, 0, at(day, 1380), day + 1},
        {"inside a parent", 10, 20, 100, at(day, 275), at(day, 325)},
        // 2 + 2 minutes for the start, but 3 pixels are 8 minutes for the end.
        {"start parts rounded apart", 1, 1, 1, at(day, 4), at(day, 8)},
    };
    for (const Case& c : cases) {
        const PanelTimes times = timeByPosition(c.top, c.height, c.parentTop, at(day, 700));
        EXPECT_EQ(times.startTime, c.start) << c.what;
        EXPECT_EQ(times.endTime, c.end) << c.what;
    }
    EXPECT_EQ(panelWidth(0), 165);
    EXPECT_EQ(panelWidth(2), 125);
}

}  // namespace
}  // namespace kalvo
