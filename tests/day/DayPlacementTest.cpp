#include <gtest/gtest.h>

#include <stdexcept>

#include "day/DayModel.h"
#include "day/DayPlacement.h"

namespace kalvo {
namespace {

using test::at;
using test::dateOf;
using test::DayModel;

class DayPlacementTest : public ::testing::Test {
protected:
    void SetUp() override { day.model.selectedDate = at(tuesday, 700); }

    bool build() { return buildDay(day.model, placement); }
    const PlacedOccurrence& occurrenceOf(const EventDataRow& row) const {
        return placement.occurrences().at(static_cast<std::size_t>(placement.indexOf(row)));
    }

    const DateTime firstOfMarch = dateOf(2024, 3, 1);
    const DateTime tuesday = dateOf(2024, 3, 5);
    DayModel day;
    DayPlacement placement;
};

TEST_F(DayPlacementTest, BuildKeepsTheDayOrderAndTheNestingOfPanels) {
    EventDataRow& parent = day.add(nullptr, firstOfMarch, 0, 480, 720);
    EventDataRow& child = day.add(parent.event, tuesday, tuesday);
    EventDataRow& grandchild = day.add(child.event, tuesday, tuesday);
    EventDataRow& deletedChild = day.add(parent.event, tuesday, tuesday);
    deletedChild.deleted = true;
    EventDataRow& insideDeleted = day.add(deletedChild.event, tuesday, tuesday);
    EventDataRow& lastChild = day.add(parent.event, tuesday, tuesday);
    EventDataRow& deletedRoot = day.add(nullptr, tuesday, tuesday);
    deletedRoot.deleted = true;
    EventDataRow& tomorrow = day.add(nullptr, tuesday + 1, 0);
    EventDataRow& lastRoot = day.add(nullptr, tuesday, 0, 900, 960);
    for (const auto& row : day.model.eventDataPanels) {
        row->beforeAlarmFired = row->afterAlarmFired = true;
    }

    build();
    build();  // replaces the first build, adds nothing to it

    const std::vector<EventDataRow*> order = {&parent,       &child,         &grandchild,
                                              &deletedChild, &insideDeleted, &lastChild,
                                              &deletedRoot,  &lastRoot};
    EXPECT_EQ(day.model.dayPanels, order);
    std::vector<EventDataRow*> rows;
    std::vector<int> parents;
    std::vector<int> depths;
    std::vector<bool> shown;
    for (const PlacedOccurrence& occurrence : placement.occurrences()) {
        rows.push_back(occurrence.row);
        parents.push_back(occurrence.parent);
        depths.push_back(occurrence.depth);
        shown.push_back(occurrence.shown);
        EXPECT_FALSE(occurrence.row->beforeAlarmFired || occurrence.row->afterAlarmFired);
    }
    EXPECT_EQ(rows, order);
    EXPECT_EQ(parents, (std::vector<int>{-1, 0, 1, 0, 3, 0, -1, -1}));
    EXPECT_EQ(depths, (std::vector<int>{0, 1, 2, 1, 2, 1, 0, 0}));
    EXPECT_EQ(shown, (std::vector<bool>{true, true, true, false, false, true, false, true}));
    EXPECT_EQ(placement.topLevel(), (std::vector<int>{0, 6, 7}));
    EXPECT_EQ(occurrenceOf(parent).children, (std::vector<int>{1, 3, 5}));
    EXPECT_TRUE(tomorrow.beforeAlarmFired && tomorrow.afterAlarmFired);

    // What the drag checks compare with: the drawn panels of the same parent.
    EXPECT_EQ(placement.siblingsOf(parent), std::vector<EventDataRow*>{&lastRoot});
    EXPECT_EQ(placement.siblingsOf(child), std::vector<EventDataRow*>{&lastChild});
    EXPECT_EQ(placement.subPanelsOf(parent), (std::vector<EventDataRow*>{&child, &lastChild}));
    EXPECT_EQ(placement.parentHeight(parent), kColumnHeight);
    EXPECT_EQ(placement.parentHeight(child), 96);
}

TEST_F(DayPlacementTest, PlacementSnapsRowsAndTwinsToTheGrid) {
    // A piece of a series carries the series' first date in its times until it is placed.
    EventDataRow& topLevel = day.add(nullptr, firstOfMarch, 0);
    const DateTime seriesStart = dateOf(2024, 2, 20);
    topLevel.startTime = at(seriesStart, 541);
    topLevel.endTime = at(seriesStart, 571);
    topLevel.originalStartTime = at(seriesStart, 600);
    topLevel.originalEndTime = at(seriesStart, 660);

    EventDataRow& parent = day.add(nullptr, tuesday, tuesday, 250, 490);
    parent.originalStartTime = at(tuesday, 120);
    parent.originalEndTime = at(tuesday, 180);
    EventDataRow& child = day.add(parent.event, tuesday, tuesday, 0, 50);
    child.startDelta = 10;
    child.originalStartDelta = 4;
    child.originalEndTime = at(tuesday, 20);
    EventDataRow& grandchild = day.add(child.event, tuesday, tuesday, 0, 5);
    grandchild.startDelta = grandchild.originalStartDelta = 2;
    EventDataRow& late = day.add(nullptr, tuesday, tuesday, 1380, 1440);

    struct Expected {
        const char* what;
        const EventDataRow& row;
        int top, height;
        DateTime startTime, endTime;
        int plannedTop, plannedHeight;
        double plannedStartMinute, plannedEndMinute;
    };
    const Expected cases[] = {
        {"top level", topLevel, 216, 12, at(firstOfMarch, 540), at(firstOfMarch, 570), 240, 24, 600,
         660},
        {"parent", parent, 100, 96, at(tuesday, 250), at(tuesday, 490), 48, 24, 120, 180},
        // 25 + 250 minutes; the twin 10 + 120 inside the parent's twin.
        {"sub-appointment", child, 10, 20, at(tuesday, 275), at(tuesday, 325), 4, 8, 130, 150},
        {"nested twice", grandchild, 2, 2, at(tuesday, 280), at(tuesday, 285), 2, 2, 135, 140},
        {"ends at 24:00", late, 552, 24, at(tuesday, 1380), tuesday + 1, 552, 24, 1380, 1440},
    };
    // The second build starts from the snapped times and must not drift.
    for (int pass = 1; pass <= 2; ++pass) {
        build();
        for (const Expected& c : cases) {
            SCOPED_TRACE(testing::Message() << c.what << ", build " << pass);
            EXPECT_EQ(c.row.top, c.top);
            EXPECT_EQ(c.row.height, c.height);
            EXPECT_EQ(c.row.startTime, c.startTime);
            EXPECT_EQ(c.row.endTime, c.endTime);
            EXPECT_EQ(c.row.plannedTop, c.plannedTop);
            EXPECT_EQ(c.row.plannedHeight, c.plannedHeight);
            // A twin has no date of its own.
            EXPECT_EQ(occurrenceOf(c.row).planned.startTime, at(0, c.plannedStartMinute));
            EXPECT_EQ(occurrenceOf(c.row).planned.endTime, at(0, c.plannedEndMinute));
        }
    }
}

TEST_F(DayPlacementTest, SubAppointmentKeepsItsOffsetWhenItsParentMoves) {
    EventDataRow& parent = day.add(nullptr, tuesday, tuesday, 540, 660);
    EventDataRow& child = day.add(parent.event, tuesday, tuesday, 565, 585);
    child.startDelta = 10;
    build();

    parent.top += 24;
    placement.syncTimeByPosition(parent);
    placement.syncTimeByPosition(child);
    EXPECT_EQ(parent.startTime, at(tuesday, 600));
    for (int pass = 1; pass <= 2; ++pass) {
        SCOPED_TRACE(pass);
        EXPECT_EQ(child.top, 10);
        EXPECT_EQ(child.startTime, at(tuesday, 625));
        EXPECT_EQ(child.endTime, at(tuesday, 645));
        build();
    }
    EventDataRow elsewhere;
    EXPECT_THROW(placement.syncTimeByPosition(elsewhere), std::logic_error);
}

TEST_F(DayPlacementTest, DeletedSubAppointmentIsMeasuredFromItsParent) {
    EventDataRow& parent = day.add(nullptr, tuesday, tuesday, 540, 660);
    EventDataRow& deleted = day.add(parent.event, tuesday, tuesday, 565, 585);
    deleted.startDelta = 10;
    deleted.deleted = true;
    EventDataRow& inside = day.add(deleted.event, tuesday, tuesday, 575, 580);
    inside.startDelta = 4;

    for (int pass = 1; pass <= 2; ++pass) {
        SCOPED_TRACE(pass);
        build();
        EXPECT_EQ(deleted.startTime, at(tuesday, 565));
        EXPECT_EQ(deleted.endTime, at(tuesday, 585));
        EXPECT_EQ(inside.startTime, at(tuesday, 575));
        EXPECT_EQ(inside.endTime, at(tuesday, 580));
    }
    EXPECT_TRUE(placement.subPanelsOf(parent).empty());
}

TEST_F(DayPlacementTest, EmptySelectionTakesEachTopLevelLookupUntilOneIsFound) {
    day.add(nullptr, tuesday + 1, 0);
    EventDataRow& first = day.add(nullptr, tuesday, 0);
    day.add(nullptr, tuesday, 0);
    EventDataRow other;

    struct Case {
        const char* what;
        DateTime date;
        EventDataRow *selected, *hover, *expectedSelected, *expectedHover;
        bool refresh;
    };
    const Case cases[] = {
        {"nothing selected", tuesday, nullptr, &other, &first, &first, true},
        {"nothing on the day clears the hover", tuesday - 1, nullptr, &other, nullptr, nullptr,
         true},
        {"a selection stays", tuesday, &other, nullptr, &other, nullptr, false},
    };
    for (const Case& c : cases) {
        day.model.selectedDate = c.date;
        day.model.selectedPanel = c.selected;
        day.model.hoverPanel = c.hover;
        EXPECT_EQ(build(), c.refresh) << c.what;
        EXPECT_EQ(day.model.selectedPanel, c.expectedSelected) << c.what;
        EXPECT_EQ(day.model.hoverPanel, c.expectedHover) << c.what;
    }

    DayModel empty;
    empty.model.hoverPanel = &other;
    EXPECT_FALSE(buildDay(empty.model, placement));
    EXPECT_EQ(empty.model.hoverPanel, &other);
}

}  // namespace
}  // namespace kalvo
