#include <gtest/gtest.h>

#include <random>

#include "day/DateFunctions.h"
#include "day/DayModel.h"
#include "day/Occurrences.h"

namespace kalvo {
namespace {

using test::at;
using test::dateOf;
using test::DayModel;

TEST(OccurrencesTest, FindOccurrenceTakesTheFirstRowThatCoversTheDate) {
    const DateTime monday = dateOf(2024, 3, 4);
    const DateTime saturday = monday + 5;
    DayModel day;

    EventDataRow& fromMonday = day.add(nullptr, monday, 0);
    const Event& openEnded = *fromMonday.event;

    // Dates with times of day: only the day counts at both ends.
    EventDataRow& tuesday = day.add(nullptr, at(monday + 1, 1000), at(monday + 1, 100));
    const Event& oneDay = *tuesday.event;

    EventDataRow& weekdays = day.add(nullptr, monday, monday + 6);
    weekdays.excludeWeekends = true;
    Event& workWeek = *weekdays.event;
    EventDataRow& saturdayOnly = day.row(workWeek, saturday, saturday);

    EventDataRow& first = day.add(nullptr, monday + 2, monday + 3);
    Event& overlapping = *first.event;
    EventDataRow& second = day.row(overlapping, monday, 0);

    EventDataRow& deleted = day.add(nullptr, monday, monday);
    deleted.deleted = true;
    Event& deletedFirst = *deleted.event;
    day.row(deletedFirst, monday, 0);

    struct Case {
        const char* what;
        const Event& event;
        DateTime date;
        const EventDataRow* expected;
    };
    const Case cases[] = {
        {"open-ended, the day before", openEnded, at(monday - 1, 1439), nullptr},
        {"open-ended, first day", openEnded, at(monday, 0), &fromMonday},
        {"open-ended, years later", openEnded, dateOf(2034, 3, 4), &fromMonday},
        {"one-day row", oneDay, at(monday + 1, 0), &tuesday},
        {"one-day row, next day", oneDay, monday + 2, nullptr},
        {"weekday row on Friday", workWeek, at(monday + 4, 1439), &weekdays},
        {"weekend excluded, later row found", workWeek, saturday, &saturdayOnly},
        {"weekend excluded, nothing else", workWeek, saturday + 1, nullptr},
        {"first of two covering rows", overlapping, monday + 3, &first},
        {"second row where the first ends", overlapping, monday + 4, &second},
        {"deleted row still hides later ones", deletedFirst, monday, &deleted},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(findOccurrence(c.event, c.date), c.expected) << c.what;
    }
}

// A tree of sub-appointments, a sub-appointment under a parent that occurs only from
// 3 March, and a deleted occurrence.
class DayWalkTest : public ::testing::Test {
protected:
    void SetUp() override {
        parentRow = &day.add(nullptr, first, 0);
        childRow = &day.add(parentRow->event, first, 0);
        grandchildRow = &day.add(childRow->event, second, second);
        secondChildRow = &day.add(parentRow->event, first, 0);
        absentRow = &day.add(nullptr, second + 1, 0);
        orphanRow = &day.add(absentRow->event, first, 0);
        deletedRow = &day.add(nullptr, first, 0);
        deletedRow->deleted = true;
    }

    const DateTime first = dateOf(2024, 3, 1);
    const DateTime second = first + 1;
    DayModel day;
    EventDataRow *parentRow = nullptr, *childRow = nullptr, *grandchildRow = nullptr,
                 *secondChildRow = nullptr, *absentRow = nullptr, *orphanRow = nullptr,
                 *deletedRow = nullptr;
};

TEST_F(DayWalkTest, ChartDayListsParentsBeforeChildrenAndSkipsChildrenOfAbsentParents) {
    collectChartPanels(day.model, second, second);
    const std::vector<EventDataRow*> expected = {parentRow, childRow, grandchildRow, secondChildRow,
                                                 deletedRow};
    EXPECT_EQ(day.model.chartPanels, expected);
}

TEST_F(DayWalkTest, ChartRangeCollectsEveryDayTouchedByTheRangeInDayOrder) {
    EventDataRow stale;
    day.model.chartPanels.push_back(&stale);
    collectChartPanels(day.model, at(first, 18 * 60), at(second + 1, 8 * 60));
    const std::vector<EventDataRow*> expected = {
        // 1 March: the grandchild's row is for 2 March only.
        parentRow, childRow, secondChildRow, deletedRow,
        // 2 March
        parentRow, childRow, grandchildRow, secondChildRow, deletedRow,
        // 3 March: the absent parent occurs from here, and with it its sub-appointment.
        parentRow, childRow, secondChildRow, absentRow, orphanRow, deletedRow};
    EXPECT_EQ(day.model.chartPanels, expected);

    collectChartPanels(day.model, second, at(first, 1439));
    EXPECT_TRUE(day.model.chartPanels.empty());
    collectChartPanels(day.model, at(second, 1439), second);
    EXPECT_EQ(day.model.chartPanels.size(), 5u);
}

// The range's rows are those of walking every top-level appointment on every day of it, in the
// same order, however the appointments' spans lie: random appointments over a year, series
// open or closed, some without weekends, with sub-appointments and rows added after the first
// collection (so the spans are taken again), against random ranges.
TEST(ChartCollection, EqualsWalkingEveryAppointmentOnEveryDay) {
    std::mt19937 random(7);
    const DateTime start = dateOf(2024, 1, 1);
    const auto day = [&](int span) {
        return start + std::uniform_int_distribution<int>(0, span)(random);
    };
    DayModel year;
    const auto addRows = [&](int count) {
        for (int i = 0; i < count; ++i) {
            const bool sub = !year.model.events.empty() && random() % 3 == 0;
            Event* parent =
                sub ? year.model.events[random() % year.model.events.size()].get() : nullptr;
            Event& event = random() % 4 == 0 && !year.model.events.empty()
                               ? *year.model.events[random() % year.model.events.size()]
                               : year.appointment(parent);
            const DateTime first = day(360);
            const DateTime last = random() % 3 == 0 ? 0 : first + random() % 60;
            year.row(event, first, last).excludeWeekends = random() % 4 == 0;
        }
    };
    const auto naive = [&](DateTime from, DateTime to) {
        std::vector<EventDataRow*> rows;
        for (DateTime date = from; dayNumber(date) <= dayNumber(to); date = addDays(date, 1)) {
            walkDay(
                year.model.rootEvents, date,
                [&rows](EventDataRow& row, int) {
                    rows.push_back(&row);
                    return 0;
                },
                [](const EventDataRow*) {});
        }
        return rows;
    };
    for (int round = 0; round < 3; ++round) {
        addRows(80);
        for (int range = 0; range < 20; ++range) {
            const DateTime from = day(400) - 20;
            const DateTime to = from + std::uniform_int_distribution<int>(-2, 120)(random);
            collectChartPanels(year.model, from, to);
            ASSERT_EQ(year.model.chartPanels, naive(from, to)) << round << " " << range;
        }
    }
}

// The calendar's bold days over December 2026 (1 December is a Tuesday): a weekday series from
// the 3rd with a deleted Monday, a one-day appointment, one that ended in November, a
// sub-appointment whose parent is absent, and a deleted day alone.
TEST(DaysWithAppointments, AreTheDaysThatShowAnAppointmentThatIsNotDeleted) {
    DayModel day;
    const DateTime december = dateOf(2026, 12, 1);
    EventDataRow& weekdays = day.add(nullptr, december + 2, 0);  // from Thursday the 3rd
    weekdays.excludeWeekends = true;
    day.row(*weekdays.event, december + 6, december + 6).deleted = true;  // Monday the 7th
    weekdays.event->eventData = {weekdays.event->eventData.back(), &weekdays};
    day.add(nullptr, december + 19, december + 19);  // Sunday the 20th
    day.add(nullptr, december - 10, december - 1);   // November only
    EventDataRow& absentParent = day.add(nullptr, december + 27, december + 27);
    day.add(absentParent.event, december + 5, december + 5);        // its child on the 6th
    day.add(nullptr, december + 25, december + 25).deleted = true;  // the 26th, deleted

    std::vector<int> shown;
    for (const std::int64_t shownDay : daysWithAppointments(day.model, december, december + 30)) {
        shown.push_back(static_cast<int>(shownDay - dayNumber(december)) + 1);
    }
    EXPECT_EQ(shown, (std::vector<int>{3,  4,  8,  9,  10, 11, 14, 15, 16, 17, 18,
                                       20, 21, 22, 23, 24, 25, 28, 29, 30, 31}));
    EXPECT_TRUE(daysWithAppointments(day.model, december + 5, december + 5).empty())
        << "a Sunday with only a sub-appointment of an absent parent";
}

}  // namespace
}  // namespace kalvo
