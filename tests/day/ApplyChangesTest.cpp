#include "day/ApplyChanges.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "day/EditModel.h"
#include "db/Database.h"
#include "support/DatabaseFiles.h"

namespace kalvo {
namespace {

using test::at;
using test::EditTest;
using test::idsOf;
using test::march;
using test::RowState;
using test::stateOf;
using test::statesOf;

class ApplyChangesTest : public EditTest {
protected:
    // One drag step as the mouse handler makes it: the panel under the mouse gets its new top
    // and height, then the change is applied.
    ChangeResult drag(EventDataRow& row, int topDelta, int heightDelta, bool applyToFuture) {
        day.model.hoverPanel = &row;
        row.top += topDelta;
        row.height += heightDelta;
        return applyChanges(day.model, placement, row, applyToFuture);
    }
};

TEST_F(ApplyChangesTest, EditOfOneDayCutsTheSeriesAroundIt) {
    struct Case {
        const char* what;
        int lastDay;  // of the series from 1 March, 0: no end
        int shownDay;
        bool applyToFuture;
        std::vector<RowState> expected;
        std::vector<std::int32_t> created;
    };
    // The edit moves 09:00–09:30 by 24 pixels to 10:00–10:30.
    const Case cases[] = {
        {"a later day",
         0,
         5,
         false,
         {{0, 0, 5, 5, 600, 630, 540, 570, "gym", "gym"},
          {1, 0, 1, 4, 540, 570, 540, 570, "gym", "gym"},
          {2, 0, 6, 0, 540, 570, 540, 570, "gym", "gym"}},
         {1, 2}},
        {"a later day, Apply to Future",
         0,
         5,
         true,
         {{0, 0, 5, 5, 600, 630, 540, 570, "gym", "gym"},
          {1, 0, 1, 4, 540, 570, 540, 570, "gym", "gym"},
          {2, 0, 6, 0, 600, 630, 600, 630, "gym", "gym"}},
         {1, 2}},
        {"the first day: the plan follows",
         0,
         1,
         false,
         {{0, 0, 1, 1, 600, 630, 600, 630, "gym", "gym"},
          {1, 0, 2, 0, 540, 570, 540, 570, "gym", "gym"}},
         {1}},
        {"the first day, Apply to Future",
         0,
         1,
         true,
         {{0, 0, 1, 1, 600, 630, 600, 630, "gym", "gym"},
          {1, 0, 2, 0, 600, 630, 600, 630, "gym", "gym"}},
         {1}},
        {"the last day of a range",
         10,
         10,
         false,
         {{0, 0, 10, 10, 600, 630, 540, 570, "gym", "gym"},
          {1, 0, 1, 9, 540, 570, 540, 570, "gym", "gym"}},
         {1}},
        {"a one-day appointment",
         1,
         1,
         false,
         {{0, 0, 1, 1, 600, 630, 600, 630, "gym", "gym"}},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        day = {};
        EventDataRow& row = series(nullptr, 1, c.lastDay, 540, 570, "gym");
        show(c.shownDay);

        const ChangeResult result = drag(row, 24, 0, c.applyToFuture);

        EXPECT_EQ(statesOf(day.model), c.expected);
        EXPECT_EQ(idsOf(result.created), c.created);
        EXPECT_EQ(result.applied, std::vector<EventDataRow*>{&row});
        EXPECT_TRUE(result.refreshAppointmentPage);
        EXPECT_NE(result.chartUpdate, ChartUpdate::none);
        EXPECT_EQ(row.event->eventData.size(), c.expected.size());
        // The pieces stand for other days: the shown day's list is untouched.
        EXPECT_EQ(day.model.dayPanels, std::vector<EventDataRow*>{&row});
    }
}

TEST_F(ApplyChangesTest, CutKeepsThePiecesWholeAndDatesTheDayRow) {
    EventDataRow& row = series(nullptr, 1, 0);
    row.repeatType = 3;
    row.repeatValue = 7;
    row.excludeWeekends = true;
    row.typeName = "Work";
    row.completed = true;
    row.importance = 2;
    row.progress = 0.5;
    row.flags = 9;
    show(5);

    drag(row, 24, 0, false);

    ASSERT_EQ(day.model.eventDataPanels.size(), 3u);
    const EventDataRow& before = *day.model.eventDataPanels[1];
    const EventDataRow& after = *day.model.eventDataPanels[2];
    EXPECT_EQ(before.startDate, march(1));
    EXPECT_EQ(before.endDate, march(4));
    EXPECT_EQ(after.startDate, march(6));
    EXPECT_EQ(after.endDate, 0);
    EXPECT_EQ(row.startDate, march(5));
    EXPECT_EQ(row.endDate, march(5));
    // The shown day's times are on its own date; the pieces keep the series' times whole.
    EXPECT_EQ(row.startTime, at(march(5), 600));
    EXPECT_EQ(row.endTime, at(march(5), 630));
    for (const EventDataRow* piece : {&before, &after}) {
        EXPECT_EQ(piece->startTime, at(march(1), 540));
        EXPECT_EQ(piece->event, row.event);
        EXPECT_EQ(piece->eventId, row.eventId);
        EXPECT_EQ(piece->typeName, "Work");
        EXPECT_EQ(piece->repeatType, 3);
        EXPECT_EQ(piece->repeatValue, 7);
        EXPECT_TRUE(piece->excludeWeekends);
        EXPECT_FALSE(piece->deleted);
        // Values nothing stores are not carried into rows of their own.
        EXPECT_FALSE(piece->completed);
        EXPECT_EQ(piece->importance, 0);
        EXPECT_EQ(piece->progress, 0);
        EXPECT_EQ(piece->flags, 0);
    }
    // The day's plan is what the series showed before the edit, unstored values included.
    EXPECT_TRUE(row.originalCompleted);
    EXPECT_EQ(row.originalImportance, 2);
    EXPECT_EQ(row.originalProgress, 0.5);
    EXPECT_EQ(row.originalFlags, 9);
    EXPECT_EQ(row.event->eventData,
              (std::vector<EventDataRow*>{&row, day.model.eventDataPanels[1].get(),
                                          day.model.eventDataPanels[2].get()}));
}

TEST_F(ApplyChangesTest, LaterStepsOfTheDayChangeOnlyItsRow) {
    struct Case {
        const char* what;
        int shownDay;
        std::size_t rows;
        bool planFollows;
    };
    const Case cases[] = {
        {"a later day: the plan stays as the first step fixed it", 5, 3, false},
        {"the first day: the plan follows every step", 1, 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        day = {};
        EventDataRow& row = series(nullptr, 1, 0);
        show(c.shownDay);

        // The bottom edge from 228 down to 231, pixel by pixel, on the even-tie grid.
        const int ends[] = {572, 575, 578};
        for (const int end : ends) {
            const ChangeResult result = drag(row, 0, 1, false);
            EXPECT_EQ(day.model.eventDataPanels.size(), c.rows);
            EXPECT_EQ(minuteOfDay(row.endTime), end);
            EXPECT_EQ(minuteOfDay(row.originalEndTime), c.planFollows ? end : 570);
            if (end != ends[0]) {
                EXPECT_TRUE(result.created.empty());
            }
        }
        // A drop undone on release goes through the same apply: the row stays cut, with the
        // values it had.
        drag(row, 0, -3, false);
        EXPECT_EQ(day.model.eventDataPanels.size(), c.rows);
        EXPECT_EQ(stateOf(row),
                  (RowState{0, 0, c.shownDay, c.shownDay, 540, 570, 540, 570, "", ""}));
    }
}

TEST_F(ApplyChangesTest, ApplyToFutureCopiesIntoLaterRowsOfTheAppointmentOnly) {
    EventDataRow& early = series(nullptr, 1, 4, 540, 570, "a");
    EventDataRow& fifth = day.row(*early.event, march(5), march(5), 600, 630);
    fifth.comment = fifth.originalComment = "dentist";
    EventDataRow& rest = day.row(*early.event, march(6), 0, 540, 570);
    rest.comment = rest.originalComment = "a";
    rest.startDelta = rest.originalStartDelta = 5;
    series(nullptr, 1, 0, 840, 900, "other");
    show(3);

    // The end from 09:30 to 10:00.
    drag(early, 0, 12, true);

    // The cut piece after 3 March is a later row too, and the comment goes with the times.
    const std::vector<RowState> expected = {
        {0, 0, 3, 3, 540, 600, 540, 570, "a", "a"},
        {1, 0, 5, 5, 540, 600, 540, 600, "a", "a"},
        {2, 0, 6, 0, 540, 600, 540, 600, "a", "a"},
        {3, 1, 1, 0, 840, 900, 840, 900, "other", "other"},
        {4, 0, 1, 2, 540, 570, 540, 570, "a", "a"},
        {5, 0, 4, 4, 540, 600, 540, 600, "a", "a"},
    };
    EXPECT_EQ(statesOf(day.model), expected);
    // A top-level panel's offset is its place in the column.
    EXPECT_EQ(rest.startDelta, 216);
    EXPECT_EQ(rest.originalStartDelta, 216);
    // Copied whole: a later row's times carry the edited day's date until it is placed.
    EXPECT_EQ(rest.startTime, at(march(3), 540));
    show(7);
    EXPECT_EQ(rest.startTime, at(march(6), 540));
}

TEST_F(ApplyChangesTest, SubAppointmentsMoveWithTheirParentAndAreCutWithIt) {
    EventDataRow& parent = series(nullptr, 1, 0, 480, 720);
    EventDataRow& child = series(parent.event, 1, 0, 540, 570);
    child.startDelta = child.originalStartDelta = 24;
    // A sub-appointment whose own parent has no occurrence on the day has no panel to move.
    EventDataRow& absent = series(parent.event, 6, 6);
    EventDataRow& underAbsent = series(absent.event, 1, 0, 545, 550);
    show(5);

    const ChangeResult result = drag(parent, 24, 0, false);

    EXPECT_EQ(result.applied, (std::vector<EventDataRow*>{&parent, &child}));
    // Consecutive ids, each appointment's before-row first.
    EXPECT_EQ(idsOf(result.created), (std::vector<std::int32_t>{4, 5, 6, 7}));
    const std::vector<RowState> expected = {
        {0, 0, 5, 5, 540, 780, 480, 720, "", ""}, {1, 1, 5, 5, 600, 630, 540, 570, "", ""},
        {2, 2, 6, 6, 540, 570, 540, 570, "", ""}, {3, 3, 1, 0, 545, 550, 545, 550, "", ""},
        {4, 0, 1, 4, 480, 720, 480, 720, "", ""}, {5, 0, 6, 0, 480, 720, 480, 720, "", ""},
        {6, 1, 1, 4, 540, 570, 540, 570, "", ""}, {7, 1, 6, 0, 540, 570, 540, 570, "", ""},
    };
    EXPECT_EQ(statesOf(day.model), expected);
    EXPECT_EQ(child.startDelta, 24);
    EXPECT_EQ(day.model.eventDataPanels[7]->startDelta, 24);
    EXPECT_EQ(day.model.eventDataPanels[7]->originalStartDelta, 24);
    EXPECT_EQ(underAbsent.startTime, at(march(1), 545));
}

TEST_F(ApplyChangesTest, FirstDayPlanOfASubAppointmentIsMeasuredInThePlannedColumn) {
    EventDataRow& parent = series(nullptr, 1, 1, 480, 720);
    parent.originalStartTime = at(march(1), 420);
    parent.originalEndTime = at(march(1), 660);
    EventDataRow& child = series(parent.event, 1, 1, 540, 570);
    child.startDelta = child.originalStartDelta = 24;
    show(1);

    drag(child, 12, 0, false);

    // 30 minutes inside the parent at 08:00 in the Actual column, at 07:00 in the Planned one.
    EXPECT_EQ(child.startTime, at(march(1), 570));
    EXPECT_EQ(child.endTime, at(march(1), 600));
    EXPECT_EQ(child.originalStartTime, at(0, 510));
    EXPECT_EQ(child.originalEndTime, at(0, 540));
    EXPECT_EQ(child.originalStartDelta, 36);
    EXPECT_EQ(child.plannedTop, 36);
    EXPECT_EQ(child.plannedHeight, 12);

    // Moving the parent carries the child, but only the panel under the mouse fixes its plan.
    drag(parent, 24, 0, false);
    EXPECT_EQ(parent.originalStartTime, at(0, 540));
    EXPECT_EQ(child.startTime, at(march(1), 630));
    EXPECT_EQ(child.originalStartTime, at(0, 510));
}

TEST_F(ApplyChangesTest, CommentIsStoredForTheShownDayOnly) {
    struct Case {
        const char* what;
        int shownDay;
        std::vector<RowState> expected;
    };
    const Case cases[] = {
        {"the fifth day",
         5,
         {{0, 0, 5, 5, 540, 570, 540, 570, "ne", "n"},
          {1, 0, 1, 4, 540, 570, 540, 570, "old", "old"},
          {2, 0, 6, 0, 540, 570, 540, 570, "old", "old"}}},
        {"the first day",
         1,
         {{0, 0, 1, 1, 540, 570, 540, 570, "ne", "n"},
          {1, 0, 2, 0, 540, 570, 540, 570, "old", "old"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        day = {};
        EventDataRow& row = series(nullptr, 1, 0, 540, 570, "old");
        show(c.shownDay);
        day.model.selectedPanel = &row;

        // Two keystrokes: the first cuts the series and fixes the day's planned comment.
        changeComment(day.model, placement, row, "n");
        const ChangeResult result = changeComment(day.model, placement, row, "ne");

        EXPECT_EQ(statesOf(day.model), c.expected);
        EXPECT_TRUE(result.created.empty());
        EXPECT_TRUE(result.refreshAppointmentPage);
        EXPECT_NE(result.chartUpdate, ChartUpdate::none);
    }
}

TEST_F(ApplyChangesTest, RowNotPlacedOnTheShownDayIsRefusedUntouched) {
    EventDataRow& row = series(nullptr, 1, 0);
    EventDataRow& tomorrow = series(nullptr, 6, 0);
    show(5);
    EXPECT_THROW(applyChanges(day.model, placement, tomorrow, false), std::logic_error);
    EXPECT_THROW(changeComment(day.model, placement, tomorrow, "x"), std::logic_error);
    EXPECT_EQ(tomorrow.comment, "");
    // A placement left from another day would measure the row against the wrong panels.
    day.model.selectedDate = march(6);
    EXPECT_THROW(applyChanges(day.model, placement, row, false), std::logic_error);
    EXPECT_EQ(day.model.eventDataPanels.size(), 2u);
    EXPECT_EQ(row.endDate, 0);
}

TEST_F(ApplyChangesTest, CutSeriesReadsBackFromTheTableFiles) {
    test::TemporaryFolder folder;
    test::writeDatabase(folder.path(), "<ROW Id=\"0\" Name=\"Work\"/>", "", "");
    Database database(folder.path().string() + "/");
    std::string errors;
    const auto reportError = [&errors](const std::string& text) { errors += text; };
    ASSERT_TRUE(database.openDatabase("", reportError)) << errors;
    day.model = database.readModel();
    EventDataRow& parent = series(nullptr, 1, 0, 480, 720, "désolé");
    EventDataRow& child = series(parent.event, 1, 0, 540, 570, "inside");
    child.startDelta = child.originalStartDelta = 24;
    show(5);
    drag(parent, 24, 0, true);
    changeComment(day.model, placement, parent, "moved");

    database.saveDatabase(day.model);
    ASSERT_TRUE(database.openDatabase("", reportError)) << errors;
    Model back = database.readModel();

    EXPECT_EQ(statesOf(back), statesOf(day.model));
    ASSERT_EQ(back.eventDataPanels.size(), 6u);
    for (std::size_t i = 0; i < back.eventDataPanels.size(); ++i) {
        const EventDataRow& read = *back.eventDataPanels[i];
        const EventDataRow& written = *day.model.eventDataPanels[i];
        EXPECT_EQ(read.startDate, written.startDate);
        EXPECT_EQ(read.endDate, written.endDate);
        EXPECT_EQ(read.startTime, written.startTime);
        EXPECT_EQ(read.originalStartTime, written.originalStartTime);
        EXPECT_EQ(read.startDelta, written.startDelta);
        EXPECT_EQ(read.originalStartDelta, written.originalStartDelta);
    }
    ASSERT_EQ(back.rootEvents.size(), 1u);
    ASSERT_EQ(back.rootEvents[0]->children.size(), 1u);
    EXPECT_EQ(back.rootEvents[0]->eventData.size(), 3u);
    EXPECT_EQ(back.rootEvents[0]->children[0]->eventData.size(), 3u);
}

}  // namespace
}  // namespace kalvo
