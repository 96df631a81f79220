#include "day/DeleteOccurrence.h"

#include <gtest/gtest.h>

#include "day/EditModel.h"
#include "day/Occurrences.h"

namespace kalvo {
namespace {

using test::EditTest;
using test::expectNoDanglingPointers;
using test::march;
using test::RowState;
using test::statesOf;

class DeleteOccurrenceTest : public EditTest {
protected:
    DeleteResult remove(EventDataRow& row, bool applyToFuture) {
        const DeleteResult result = deleteOccurrence(day.model, placement, row, applyToFuture);
        expectNoDanglingPointers(day.model, placement);
        return result;
    }

    std::vector<Event*> events() const {
        std::vector<Event*> events;
        for (const auto& event : day.model.events) {
            events.push_back(event.get());
        }
        return events;
    }
};

TEST_F(DeleteOccurrenceTest, DeletingOneDayOfASeries) {
    struct Case {
        const char* what;
        int shownDay;
        bool applyToFuture;
        std::vector<RowState> expected;
    };
    const Case cases[] = {
        {"a later day",
         5,
         false,
         {{2, 0, 1, 4, 540, 570, 540, 570, "gym", "gym"},
          {3, 0, 6, 0, 540, 570, 540, 570, "gym", "gym"}}},
        {"a later day, Apply to Future", 5, true, {{2, 0, 1, 4, 540, 570, 540, 570, "gym", "gym"}}},
        {"the first day", 1, false, {{2, 0, 2, 0, 540, 570, 540, 570, "gym", "gym"}}},
        {"the first day, Apply to Future", 1, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        day = {};
        EventDataRow& row = series(nullptr, 1, 0, 540, 570, "gym");
        series(nullptr, 1, 0, 840, 900);
        show(c.shownDay);
        day.model.selectedPanel = day.model.hoverPanel = &row;
        Event* const appointment = row.event;

        remove(row, c.applyToFuture);

        std::vector<RowState> remaining = statesOf(day.model);
        ASSERT_FALSE(remaining.empty());
        EXPECT_EQ(remaining.front().id, 1);  // the other appointment's row
        remaining.erase(remaining.begin());
        EXPECT_EQ(remaining, c.expected);
        if (c.expected.empty()) {
            EXPECT_EQ(day.model.events.size(), 1u);
            EXPECT_EQ(day.model.rootEvents.size(), 1u);
        } else {
            EXPECT_EQ(day.model.rootEvents.front(), appointment);
            EXPECT_EQ(appointment->eventData.size(), c.expected.size());
            EXPECT_EQ(findOccurrence(*appointment, march(c.shownDay)), nullptr);
        }
        // The day is built again: only the other appointment is left on it.
        ASSERT_EQ(day.model.dayPanels.size(), 1u);
        EXPECT_EQ(day.model.dayPanels[0]->id, 1);
    }
}

class DeleteTreeTest : public DeleteOccurrenceTest {
protected:
    void SetUp() override {
        parent = &series(nullptr, 1, 0, 480, 720);
        child = &series(parent->event, 1, 0, 540, 570);
        grandchild = &series(child->event, 5, 5, 545, 550);
        oneDayChild = &series(parent->event, 5, 5, 600, 630);
        other = &series(nullptr, 1, 0, 840, 900);
        // Offsets that put each sub-appointment at its own times.
        child->startDelta = child->originalStartDelta = 24;
        grandchild->startDelta = grandchild->originalStartDelta = 2;
        oneDayChild->startDelta = oneDayChild->originalStartDelta = 48;
    }

    EventDataRow* parent = nullptr;
    EventDataRow* child = nullptr;
    EventDataRow* grandchild = nullptr;
    EventDataRow* oneDayChild = nullptr;
    EventDataRow* other = nullptr;
};

TEST_F(DeleteTreeTest, DeletingAParentDeletesTheDayOfItsSubAppointments) {
    Event* const parentEvent = parent->event;
    Event* const childEvent = child->event;
    Event* const otherEvent = other->event;
    show(5);

    remove(*parent, false);

    // Cut deepest first: the child's pieces get their ids before the parent's.
    const std::vector<RowState> expected = {
        {4, 4, 1, 0, 840, 900, 840, 900, "", ""}, {5, 1, 1, 4, 540, 570, 540, 570, "", ""},
        {6, 1, 6, 0, 540, 570, 540, 570, "", ""}, {7, 0, 1, 4, 480, 720, 480, 720, "", ""},
        {8, 0, 6, 0, 480, 720, 480, 720, "", ""},
    };
    EXPECT_EQ(statesOf(day.model), expected);
    EXPECT_EQ(events(), (std::vector<Event*>{parentEvent, childEvent, otherEvent}));
    EXPECT_EQ(parentEvent->children, std::vector<Event*>{childEvent});
    EXPECT_TRUE(childEvent->children.empty());
    EXPECT_EQ(day.model.rootEvents, (std::vector<Event*>{parentEvent, otherEvent}));
}

TEST_F(DeleteTreeTest, DeletingTheFirstDayWithApplyToFutureRemovesTheWholeTree) {
    Event* const otherEvent = other->event;
    show(1);
    remove(*parent, true);
    EXPECT_EQ(events(), std::vector<Event*>{otherEvent});
    EXPECT_EQ(day.model.rootEvents, std::vector<Event*>{otherEvent});
    EXPECT_EQ(statesOf(day.model),
              (std::vector<RowState>{{4, 4, 1, 0, 840, 900, 840, 900, "", ""}}));
}

TEST_F(DeleteTreeTest, DeletingTheLastRowOfASubAppointmentTakesItFromItsParent) {
    Event* const parentEvent = parent->event;
    Event* const childEvent = child->event;
    show(5);
    day.model.hoverPanel = oneDayChild;

    remove(*oneDayChild, false);

    EXPECT_EQ(parentEvent->children, std::vector<Event*>{childEvent});
    EXPECT_EQ(day.model.events.size(), 4u);
    // Nothing above the deleted appointment is cut.
    EXPECT_EQ(day.model.eventDataPanels.size(), 4u);
    EXPECT_EQ(parent->endDate, 0);
    EXPECT_EQ(grandchild->startDate, march(5));
}

TEST_F(DeleteOccurrenceTest, SelectionAndHoverNeverOutliveTheirRow) {
    struct Case {
        const char* what;
        bool selectDeleted, hoverDeleted;
        bool selectedIsFirst, hoverIsFirst;  // after: the day's first occurrence, else none
        bool refresh;
    };
    const Case cases[] = {
        {"Delete Event on the selection, another panel under the mouse", true, false, true, true,
         true},
        {"the context menu on the hovered panel, another one selected", false, true, true, false,
         false},
        {"the selected panel under the mouse", true, true, true, true, true},
        // The hover always goes, and a selection that was the hover with it: the page is
        // shown again for the day's first occurrence.
        {"another panel both selected and under the mouse", false, false, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        day = {};
        EventDataRow& first = series(nullptr, 1, 0);
        EventDataRow& doomed = series(nullptr, 5, 5, 720, 750);
        show(5);
        day.model.selectedPanel = c.selectDeleted ? &doomed : &first;
        day.model.hoverPanel = c.hoverDeleted ? &doomed : &first;

        const DeleteResult result = remove(doomed, false);

        EXPECT_EQ(day.model.selectedPanel, c.selectedIsFirst ? &first : nullptr);
        EXPECT_EQ(day.model.hoverPanel, c.hoverIsFirst ? &first : nullptr);
        EXPECT_EQ(result.refreshAppointmentPage, c.refresh);
        EXPECT_EQ(day.model.dayPanels, std::vector<EventDataRow*>{&first});
    }

    // The last appointment goes: the page must be emptied although the day build, with no
    // appointment to look up, selects nothing.
    day = {};
    EventDataRow& only = series(nullptr, 5, 5);
    show(5);
    ASSERT_EQ(day.model.selectedPanel, &only);
    EXPECT_TRUE(remove(only, false).refreshAppointmentPage);
    EXPECT_EQ(day.model.selectedPanel, nullptr);
}

TEST_F(DeleteOccurrenceTest, DestroyedRowsLeaveTheChartAndEveryAppointmentHoldingThem) {
    EventDataRow& row = series(nullptr, 1, 0);
    Event* const appointment = row.event;
    // A hand-edited file may give two appointments one id: both hold its rows.
    Event* const sameId =
        day.model.events.emplace_back(std::make_unique<Event>(*appointment)).get();
    day.model.rootEvents.push_back(sameId);
    EventDataRow& other = series(nullptr, 1, 0, 840, 900);
    show(5);
    collectChartPanels(day.model, march(1), march(10));
    ASSERT_EQ(day.model.chartPanels.size(), 30u);

    remove(row, true);

    // The chart keeps the rows that are left, until the window collects it again.
    EXPECT_EQ(day.model.chartPanels, std::vector<EventDataRow*>(10, &other));
    ASSERT_EQ(day.model.eventDataPanels.size(), 2u);
    EXPECT_EQ(appointment->eventData,
              std::vector<EventDataRow*>{day.model.eventDataPanels[1].get()});
    EXPECT_TRUE(sameId->eventData.empty());
}

TEST_F(DeleteOccurrenceTest, AppointmentLeftWithSubAppointmentsIsKept) {
    // Only a hand-edited file has a sub-appointment on a day its parent does not cover.
    EventDataRow& parent = series(nullptr, 5, 5);
    EventDataRow& child = series(parent.event, 6, 0);
    Event* const parentEvent = parent.event;
    Event* const childEvent = child.event;
    show(5);

    remove(parent, false);

    EXPECT_TRUE(parentEvent->eventData.empty());
    EXPECT_EQ(day.model.rootEvents, std::vector<Event*>{parentEvent});
    EXPECT_EQ(childEvent->parent, parentEvent);
    EXPECT_EQ(parentEvent->children, std::vector<Event*>{childEvent});
}

}  // namespace
}  // namespace kalvo
