#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "day/DayModel.h"
#include "day/DragStep.h"

namespace kalvo {
namespace {

using test::at;
using test::dateOf;
using test::DayModel;

struct Box {
    int top, height;
};

class DragStepTest : public ::testing::Test {
protected:
    void SetUp() override { fresh(); }

    // Starts again with an empty day.
    void fresh() {
        day = DayModel{};
        day.model.selectedDate = at(tuesday, 700);
        state = DragState{};
        applies.clear();
        expected.clear();
    }

    // A one-day occurrence of the shown day at `box` inside its parent's panel.
    EventDataRow& panel(Box box, EventDataRow* parent = nullptr) {
        const int columnTop = (parent != nullptr ? columnTopOf(*parent) : 0) + box.top;
        EventDataRow& row = day.add(parent != nullptr ? parent->event : nullptr, tuesday, tuesday,
                                    pixelsToTime(columnTop), pixelsToTime(columnTop + box.height));
        row.startDelta = box.top;  // what places a sub-appointment
        expected.push_back({&row, box, columnTop});
        return row;
    }

    void build() {
        (void)buildDay(day.model, placement);
        for (const Expected& e : expected) {
            ASSERT_EQ(e.row->top, e.box.top);
            ASSERT_EQ(e.row->height, e.box.height);
        }
    }

    // Stores the times as the window's apply does, and remembers where the panel was.
    ApplyStep recorder(EventDataRow& row) {
        return [this, &row] {
            row.startDelta = row.top;
            placement.syncTimeByPosition(row);
            applies.push_back({row.top, row.height});
        };
    }

    DragResult drag(EventDataRow& row, int pressY, int moveY) {
        dragPress(state, row, TimelineColumn::actual, pressY);
        return dragMove(state, row, TimelineColumn::actual, placement, moveY, recorder(row));
    }
    DragResult release(EventDataRow& row) {
        return dragRelease(state, row, TimelineColumn::actual, placement, recorder(row));
    }

    const DateTime tuesday = dateOf(2024, 3, 5);
    DayModel day;
    DayPlacement placement;
    DragState state;
    std::vector<std::pair<int, int>> applies;

private:
    struct Expected {
        EventDataRow* row;
        Box box;
        int columnTop;
    };
    int columnTopOf(const EventDataRow& row) const {
        for (const Expected& e : expected) {
            if (e.row == &row) {
                return e.columnTop;
            }
        }
        return 0;
    }

    std::vector<Expected> expected;
};

TEST_F(DragStepTest, PressChoosesTheModeByTheGripZones) {
    enum Mode { top, body, bottom };
    struct Case {
        int height, y;
        Mode mode;
    };
    const Case cases[] = {
        {12, 0, top},     {12, 2, top},     {12, 3, body},  {12, 9, body},
        {12, 10, bottom}, {12, 12, bottom}, {12, 13, body}, {3, 2, top},
        {3, 3, bottom},   {2, 2, top},      {0, 0, top},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "height " << c.height << ", y " << c.y);
        EventDataRow row;
        row.top = 216;
        row.height = c.height;
        state.moving = state.resizingTop = state.resizingBottom = true;
        const DragResult result = dragPress(state, row, TimelineColumn::actual, c.y);
        EXPECT_EQ(state.resizingTop, c.mode == top);
        EXPECT_EQ(state.moving, c.mode == body);
        EXPECT_EQ(state.resizingBottom, c.mode == bottom);
        EXPECT_EQ(state.mouseDownY, c.y);
        EXPECT_EQ(state.mouseDownTop, 216);
        EXPECT_EQ(state.mouseDownHeight, c.height);
        EXPECT_TRUE(result.greyFrame);
    }
}

TEST_F(DragStepTest, EachMovementGoesAsFarAsNeighboursEdgesAndMinimumHeightAllow) {
    struct Case {
        const char* what;
        Box panel;
        std::vector<Box> siblings;
        int pressY, moveY;
        Box after;
        bool applied, refreshed;
    };
    const Case cases[] = {
        {"body stops at 00:00", {4, 12}, {}, 5, -20, {0, 12}, true, true},
        {"body at 00:00 does not go up", {0, 12}, {}, 5, 3, {0, 12}, false, false},
        {"body stops with its bottom at 24:00", {560, 12}, {}, 5, 25, {564, 12}, true, true},
        {"body still under the mouse", {100, 12}, {}, 5, 5, {100, 12}, false, false},
        {"body stops on a neighbour below", {100, 12}, {{117, 12}}, 5, 15, {105, 12}, true, true},
        {"body touching one above", {112, 12}, {{100, 12}}, 5, 4, {112, 12}, false, false},
        {"body wholly past a smaller one", {100, 10}, {{120, 4}}, 5, 35, {130, 10}, true, true},
        // Clear of the neighbours at first, then held back by 24:00 partly over one: each limit
        // runs once, so the panel stays where the last one put it.
        {"body thrown past one at 24:00", {500, 10}, {{560, 12}}, 5, 81, {566, 10}, true, true},
        {"body 11:28-14:42 thrown 300 px down past 20:07-23:07",
         {275, 78},
         {{483, 72}},
         5,
         305,
         {498, 78},
         true,
         true},
        {"body thrown past two near 24:00",
         {400, 20},
         {{520, 10}, {550, 10}},
         5,
         175,
         {556, 20},
         true,
         true},
        {"start stops on a neighbour", {100, 12}, {{80, 12}}, 1, -15, {92, 20}, true, true},
        {"start stops at 00:00", {10, 12}, {}, 0, -30, {0, 22}, true, true},
        {"end stops on a neighbour", {100, 12}, {{120, 12}}, 12, 25, {100, 20}, true, true},
        {"end stops at 24:00", {560, 10}, {}, 10, 30, {560, 16}, true, true},
        {"end up to y 1 is refused", {100, 12}, {}, 12, 1, {100, 12}, false, true},
        {"end up to y 2", {100, 12}, {}, 12, 2, {100, 2}, true, true},
        {"3 pixels: start to 2 pixels", {100, 3}, {}, 0, 1, {101, 2}, true, true},
        {"3 pixels: start to 1 pixel is refused", {100, 3}, {}, 0, 2, {100, 3}, false, true},
        {"3 pixels: end to 2 pixels", {100, 3}, {}, 3, 2, {100, 2}, true, true},
        {"3 pixels: end to 1 pixel is refused", {100, 3}, {}, 3, 1, {100, 3}, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        EventDataRow& row = panel(c.panel);
        for (const Box& sibling : c.siblings) {
            panel(sibling);
        }
        build();

        const DragResult result = drag(row, c.pressY, c.moveY);
        EXPECT_EQ(row.top, c.after.top);
        EXPECT_EQ(row.height, c.after.height);
        EXPECT_EQ(result.applied, c.applied);
        EXPECT_EQ(result.refreshAppointmentPage, c.refreshed);
        EXPECT_EQ(result.setHint, c.refreshed);
        std::vector<std::pair<int, int>> appliedAt;
        if (c.applied) {
            appliedAt.emplace_back(c.after.top, c.after.height);
        }
        EXPECT_EQ(applies, appliedAt);
    }
}

// With snapping the dragged edge lands on the five-minute mark (an even pixel of the column) at
// or before the mouse; neighbours, the parent and the smallest height still win.
TEST_F(DragStepTest, SnappedEdgesLandOnFiveMinuteMarks) {
    struct Case {
        const char* what;
        Box parent;  // none when its height is 0
        Box panel;
        std::vector<Box> siblings;
        int pressY, moveY;
        Box after;
        bool applied;
    };
    const Case cases[] = {
        {"body from an odd pixel", {}, {101, 12}, {}, 5, 9, {104, 12}, true},
        {"body one pixel on stays", {}, {100, 12}, {}, 5, 6, {100, 12}, false},
        {"body three pixels on", {}, {100, 12}, {}, 5, 8, {102, 12}, true},
        {"body one pixel up", {}, {100, 12}, {}, 5, 4, {98, 12}, true},
        {"start from an odd pixel", {}, {101, 12}, {}, 0, -4, {96, 17}, true},
        {"end to an even pixel", {}, {100, 11}, {}, 11, 14, {100, 14}, true},
        {"end to the mark before the mouse", {}, {100, 12}, {}, 12, 15, {100, 14}, true},
        {"end above the smallest height stays", {}, {101, 3}, {}, 3, 2, {101, 3}, false},
        {"a neighbour stops it off the marks", {}, {100, 12}, {{117, 12}}, 5, 20, {105, 12}, true},
        {"sub-appointment on the column's marks", {101, 40}, {2, 10}, {}, 5, 6, {3, 10}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        EventDataRow* parent = c.parent.height > 0 ? &panel(c.parent) : nullptr;
        EventDataRow& row = panel(c.panel, parent);
        for (const Box& sibling : c.siblings) {
            panel(sibling);
        }
        build();

        dragPress(state, row, TimelineColumn::actual, c.pressY);
        state.snapToFiveMinutes = true;
        const DragResult result =
            dragMove(state, row, TimelineColumn::actual, placement, c.moveY, recorder(row));
        EXPECT_EQ(row.top, c.after.top);
        EXPECT_EQ(row.height, c.after.height);
        EXPECT_EQ(result.applied, c.applied);
    }
}

TEST_F(DragStepTest, SubAppointmentsStayInsideTheirParentAndMoveWithIt) {
    struct Case {
        const char* what;
        int dragged;  // 0: the parent {100, 100}; 1, 2: its sub-appointments {10, 20}, {60, 20}
        int pressY, moveY;
        Box after;
    };
    const Case cases[] = {
        {"parent's start down stops where one would stick out", 0, 0, 25, {120, 80}},
        {"parent's start up takes them along", 0, 0, -20, {80, 120}},
        {"parent's end up stops at the end of one", 0, 100, 70, {100, 80}},
        {"parent moves, they keep their offsets", 0, 50, 80, {130, 100}},
        {"one stops touching the other", 1, 5, 45, {40, 20}},
        {"one stops at the parent's bottom", 2, 5, 45, {80, 20}},
        {"one stops at the parent's top", 1, 5, -15, {0, 20}},
        {"an end stops at the parent's bottom", 2, 20, 60, {60, 40}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        EventDataRow& parent = panel({100, 100});
        EventDataRow& first = panel({10, 20}, &parent);
        EventDataRow& second = panel({60, 20}, &parent);
        // A neighbour of the parent where, counted in the parent's pixels, the first
        // sub-appointment would run into it: it is not theirs.
        panel({32, 20});
        build();
        EventDataRow* rows[] = {&parent, &first, &second};

        drag(*rows[c.dragged], c.pressY, c.moveY);
        EXPECT_EQ(rows[c.dragged]->top, c.after.top);
        EXPECT_EQ(rows[c.dragged]->height, c.after.height);
        if (c.dragged == 0) {
            EXPECT_EQ(first.top, 10);
            EXPECT_EQ(second.top, 60);
        }
    }
}

TEST_F(DragStepTest, ReleaseUndoesADropThatCoversANeighbour) {
    struct Case {
        const char* what;
        int pressY, moveY;
        bool undone;
    };
    const Case cases[] = {
        {"body over the neighbour", 5, 17, true},
        {"end over the neighbour", 10, 25, true},
        {"end onto the neighbour's end", 10, 19, true},
        {"body wholly past the neighbour", 5, 35, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        EventDataRow& row = panel({100, 10});
        panel({115, 4});
        build();
        const DateTime startTime = row.startTime;
        const DateTime endTime = row.endTime;

        ASSERT_TRUE(drag(row, c.pressY, c.moveY).applied);
        const std::pair<int, int> dropped = applies.back();
        const DragResult result = release(row);
        EXPECT_EQ(result.undone, c.undone);
        EXPECT_EQ(result.applied, c.undone);
        EXPECT_FALSE(state.dragging());
        EXPECT_EQ(result.cursor, DragCursor::normal);
        if (c.undone) {
            // Applied again at the press position, so the stored times come back too.
            EXPECT_EQ(applies, (std::vector<std::pair<int, int>>{dropped, {100, 10}}));
            EXPECT_EQ(row.startTime, startTime);
            EXPECT_EQ(row.endTime, endTime);
        } else {
            EXPECT_EQ(applies.size(), 1u);
            EXPECT_EQ((std::pair{row.top, row.height}), dropped);
        }
        // A second release has no press to go back to.
        applies.clear();
        row.top = 112;
        EXPECT_FALSE(release(row).undone);
        EXPECT_TRUE(applies.empty());
    }
}

TEST_F(DragStepTest, TwinsIgnorePressesMovementsAndReleases) {
    EventDataRow& row = panel({100, 12});
    panel({80, 10});
    build();
    bool applied = false;
    const ApplyStep apply = [&applied] { applied = true; };

    const DragResult pressed = dragPress(state, row, TimelineColumn::planned, 5);
    EXPECT_FALSE(state.dragging());
    EXPECT_FALSE(pressed.greyFrame);

    state.moving = true;  // even while the occurrence itself is being dragged
    state.mouseDownY = 5;
    const DragResult moved = dragMove(state, row, TimelineColumn::planned, placement, -30, apply);
    EXPECT_TRUE(moved.setHint);
    EXPECT_FALSE(moved.applied || moved.greyFrame || moved.refreshAppointmentPage);
    EXPECT_EQ(moved.cursor, DragCursor::unchanged);

    row.top = 85;  // covering the neighbour, as a drop the release would undo
    const DragResult released = dragRelease(state, row, TimelineColumn::planned, placement, apply);
    EXPECT_FALSE(released.undone || released.greyFrame);
    EXPECT_TRUE(state.moving);
    EXPECT_EQ(row.top, 85);
    EXPECT_EQ(row.height, 12);
    EXPECT_FALSE(applied);
}

TEST_F(DragStepTest, HoveringChangesNothingStoredAndRefreshesThePanel) {
    EventDataRow& row = panel({100, 12});
    build();
    const DateTime startTime = row.startTime;
    const std::pair<int, DragCursor> cursors[] = {
        {-1, DragCursor::normal},         {0, DragCursor::verticalResize},
        {2, DragCursor::verticalResize},  {3, DragCursor::normal},
        {9, DragCursor::normal},          {10, DragCursor::verticalResize},
        {12, DragCursor::verticalResize}, {13, DragCursor::normal},
    };
    for (const auto& [y, cursor] : cursors) {
        SCOPED_TRACE(y);
        const DragResult result =
            dragMove(state, row, TimelineColumn::actual, placement, y, recorder(row));
        EXPECT_EQ(result.cursor, cursor);
        EXPECT_FALSE(result.applied);
        EXPECT_TRUE(result.setHint && result.greyFrame && result.refreshAppointmentPage);
    }
    EXPECT_TRUE(applies.empty());
    EXPECT_EQ(row.top, 100);
    EXPECT_EQ(row.startTime, startTime);
}

TEST_F(DragStepTest, DragFollowsThePanelLocalMouseWhateverTheScroll) {
    // The window hands on the event's position in the panel; here the mouse runs down the
    // screen one pixel an event towards a neighbour 5 pixels below, with the timeline scrolled.
    for (const int scroll : {0, 240}) {
        SCOPED_TRACE(scroll);
        fresh();
        EventDataRow& row = panel({100, 12});
        panel({117, 12});
        build();
        const int columnOnScreen = 74 - scroll;
        const auto local = [&](int screenY) { return screenY - columnOnScreen - row.top; };
        int screenY = columnOnScreen + 105;
        dragPress(state, row, TimelineColumn::actual, local(screenY));
        const auto moveOn = [&](int events) {
            for (int i = 0; i < events; ++i) {
                dragMove(state, row, TimelineColumn::actual, placement, local(++screenY),
                         recorder(row));
            }
        };

        moveOn(10);
        EXPECT_EQ(applies.size(), 5u);  // one pixel a step until the panels touch
        EXPECT_EQ(row.top, 105);
        EXPECT_EQ(row.startTime, at(tuesday, 262));  // 262.5 minutes, to the even minute
        EXPECT_EQ(row.endTime, at(tuesday, 292));

        // Held touching until the mouse is a whole neighbour further: then onto it (edges
        // equal, so no edge is inside; a release there would undo it), then past it.
        moveOn(20);
        std::vector<int> tops;
        for (const auto& [top, height] : applies) {
            tops.push_back(top);
        }
        EXPECT_EQ(tops, (std::vector<int>{101, 102, 103, 104, 105, 117, 129, 130}));
    }
}

TEST_F(DragStepTest, ShiftCommandsMoveOnePixelUnderTheLimitsOfADrag) {
    struct Case {
        const char* what;
        ShiftCommand command;
        Box panel;
        std::vector<Box> siblings;
        Box after;
    };
    const Case cases[] = {
        {"start earlier", ShiftCommand::startEarlier, {216, 12}, {}, {215, 13}},
        {"start later", ShiftCommand::startLater, {216, 12}, {}, {217, 11}},
        {"end earlier", ShiftCommand::endEarlier, {216, 12}, {}, {216, 11}},
        {"end later", ShiftCommand::endLater, {216, 12}, {}, {216, 13}},
        {"shift up", ShiftCommand::shiftUp, {216, 12}, {}, {215, 12}},
        {"shift down", ShiftCommand::shiftDown, {216, 12}, {}, {217, 12}},
        {"start later on 2 pixels", ShiftCommand::startLater, {216, 2}, {}, {216, 2}},
        {"end earlier on 2 pixels", ShiftCommand::endEarlier, {216, 2}, {}, {216, 2}},
        {"end later on 2 pixels", ShiftCommand::endLater, {216, 2}, {}, {216, 3}},
        {"end later at 24:00", ShiftCommand::endLater, {564, 12}, {}, {564, 12}},
        {"shift up touching the one above",
         ShiftCommand::shiftUp,
         {216, 12},
         {{204, 12}},
         {216, 12}},
        {"shift down touching the one below",
         ShiftCommand::shiftDown,
         {216, 12},
         {{228, 12}},
         {216, 12}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        EventDataRow& row = panel(c.panel);
        for (const Box& sibling : c.siblings) {
            panel(sibling);
        }
        build();
        state.moving = true;  // a drag in progress keeps its own state

        const DragResult result = shiftOccurrence(c.command, row, placement, recorder(row));
        EXPECT_EQ(row.top, c.after.top);
        EXPECT_EQ(row.height, c.after.height);
        const bool changed = c.after.top != c.panel.top || c.after.height != c.panel.height;
        EXPECT_EQ(result.applied, changed);
        EXPECT_EQ(applies.size(), changed ? 1u : 0u);
        EXPECT_FALSE(result.undone);
        EXPECT_TRUE(state.moving);
    }

    // One pixel is 2 or 3 minutes: 09:00 becomes 08:58, then 08:55.
    fresh();
    EventDataRow& row = panel({216, 12});
    build();
    shiftOccurrence(ShiftCommand::startEarlier, row, placement, recorder(row));
    EXPECT_EQ(row.startTime, at(tuesday, 538));
    shiftOccurrence(ShiftCommand::startEarlier, row, placement, recorder(row));
    EXPECT_EQ(row.startTime, at(tuesday, 535));
    EXPECT_EQ(row.endTime, at(tuesday, 570));
}

// The larger shift steps and the typed times run as a drag of one edge does: to the next mark
// of the step (a typed time: to its own pixel), stopped by the same neighbours and parents.
TEST_F(DragStepTest, ShiftStepsAndTypedTimesGoAsFarAsADragOfThatEdge) {
    struct Case {
        const char* what;
        std::function<DragResult(EventDataRow&, const DayPlacement&, const ApplyStep&)> edit;
        Box panel;
        bool inParent;  // the panel is a sub-appointment of {200, 40}
        std::vector<Box> siblings;
        Box after;
    };
    const auto shift = [](ShiftCommand command, ShiftStep step) {
        return
            [command, step](EventDataRow& row, const DayPlacement& shown, const ApplyStep& apply) {
                return shiftOccurrence(command, row, shown, apply, step);
            };
    };
    const auto typed = [](OccurrenceEdge edge, int hour, int minute) {
        return [edge, hour, minute](EventDataRow& row, const DayPlacement& shown,
                                    const ApplyStep& apply) {
            return setOccurrenceTime(edge, hour * 60 + minute, row, shown, apply);
        };
    };
    using enum ShiftCommand;
    using enum ShiftStep;
    const Case cases[] = {
        {"5 min: 09:02 starts at 09:05",
         shift(startLater, fiveMinutes),
         {217, 12},
         false,
         {},
         {218, 11}},
        {"5 min: 09:02 starts at 09:00",
         shift(startEarlier, fiveMinutes),
         {217, 12},
         false,
         {},
         {216, 13}},
        {"5 min: 09:30 ends at 09:35",
         shift(endLater, fiveMinutes),
         {216, 12},
         false,
         {},
         {216, 14}},
        {"15 min: 09:02 moves to 09:15",
         shift(shiftDown, fifteenMinutes),
         {217, 12},
         false,
         {},
         {222, 12}},
        {"15 min: 09:00 moves to 08:45",
         shift(shiftUp, fifteenMinutes),
         {216, 12},
         false,
         {},
         {210, 12}},
        {"15 min: the end stops at the next one",
         shift(endLater, fifteenMinutes),
         {216, 12},
         false,
         {{230, 12}},
         {216, 14}},
        {"15 min: a 5-minute panel keeps its end",
         shift(startLater, fifteenMinutes),
         {216, 2},
         false,
         {},
         {216, 2}},
        {"15 min: a sub-appointment stops at its parent's end",
         shift(shiftDown, fifteenMinutes),
         {30, 8},
         true,
         {},
         {32, 8}},
        {"typed start 08:00", typed(OccurrenceEdge::start, 8, 0), {216, 12}, false, {}, {192, 36}},
        {"typed start 09:01 is 09:00",
         typed(OccurrenceEdge::start, 9, 1),
         {210, 18},
         false,
         {},
         {216, 12}},
        {"typed end 00:00 is the day's end",
         typed(OccurrenceEdge::end, 0, 0),
         {564, 6},
         false,
         {},
         {564, 12}},
        {"typed start after the end stops 5 minutes before it",
         typed(OccurrenceEdge::start, 10, 0),
         {216, 12},
         false,
         {},
         {226, 2}},
        {"typed end at the start stops 5 minutes after it",
         typed(OccurrenceEdge::end, 9, 0),
         {216, 12},
         false,
         {},
         {216, 2}},
        {"typed start stops at the one before",
         typed(OccurrenceEdge::start, 7, 0),
         {216, 12},
         false,
         {{190, 12}},
         {202, 26}},
        {"typed start of a sub-appointment, in the day's time",
         typed(OccurrenceEdge::start, 8, 25),
         {4, 8},
         true,
         {},
         {2, 10}},
        {"typed start before its parent stops at the parent",
         typed(OccurrenceEdge::start, 7, 0),
         {4, 8},
         true,
         {},
         {0, 12}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        EventDataRow* parent = c.inParent ? &panel({200, 40}) : nullptr;
        EventDataRow& row = panel(c.panel, parent);
        for (const Box& sibling : c.siblings) {
            panel(sibling);
        }
        build();

        const DragResult result = c.edit(row, placement, recorder(row));
        EXPECT_EQ(row.top, c.after.top);
        EXPECT_EQ(row.height, c.after.height);
        const bool changed = c.after.top != c.panel.top || c.after.height != c.panel.height;
        EXPECT_EQ(result.applied, changed);
        EXPECT_FALSE(result.undone);
    }
}

// Zooming scales the drawing only: every column pixel starts on a screen pixel of its own and
// every screen pixel falls back into the column pixel it was drawn for.
TEST(TimelineScaleTest, ScreenAndColumnPixelsMapBackAtEveryZoom) {
    for (int pixelsPerHour = TimelineScale::smallest; pixelsPerHour <= TimelineScale::largest;
         ++pixelsPerHour) {
        const TimelineScale scale(pixelsPerHour);
        ASSERT_EQ(scale.columnHeight(), 24 * pixelsPerHour);
        for (int column = -2; column < kColumnHeight; ++column) {
            const int top = scale.toScreen(column);
            const int next = scale.toScreen(column + 1);
            ASSERT_GT(next, top) << pixelsPerHour << " px/h, column " << column;
            for (int screen = top; screen < next; ++screen) {
                ASSERT_EQ(scale.toColumn(screen), column) << pixelsPerHour << " px/h, " << screen;
            }
        }
    }
    EXPECT_EQ(TimelineScale(24).toScreen(216), 216);
    EXPECT_EQ(TimelineScale(60).toScreen(216), 540);  // 09:00 at a pixel a minute
    EXPECT_EQ(TimelineScale(10).pixelsPerHour(), 24);
    EXPECT_EQ(TimelineScale(1000).pixelsPerHour(), 240);
}

TEST(TimelineScaleTest, ZoomStepsAlongTheLadderAndFillsTheGivenHeight) {
    std::vector<int> in{24};
    while (in.back() != TimelineScale::largest) {
        in.push_back(TimelineScale(in.back()).zoomedIn().pixelsPerHour());
    }
    EXPECT_EQ(in, (std::vector<int>{24, 30, 36, 48, 60, 72, 96, 120, 144, 180, 240}));
    EXPECT_EQ(TimelineScale(240).zoomedIn().pixelsPerHour(), 240);
    EXPECT_EQ(TimelineScale(50).zoomedIn().pixelsPerHour(), 60);
    EXPECT_EQ(TimelineScale(50).zoomedOut().pixelsPerHour(), 48);
    EXPECT_EQ(TimelineScale(24).zoomedOut().pixelsPerHour(), 24);
    EXPECT_EQ(TimelineScale(24).filling(558).pixelsPerHour(), 24);
    EXPECT_EQ(TimelineScale(24).filling(970).pixelsPerHour(), 40);
    EXPECT_EQ(TimelineScale(96).filling(970).pixelsPerHour(), 96);
    EXPECT_EQ(TimelineScale(24).filling(9000).pixelsPerHour(), 240);
}

}  // namespace
}  // namespace kalvo
