#include "day/CreateAppointment.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "day/EditModel.h"

namespace kalvo {
namespace {

using test::EditTest;
using test::march;
using test::RowState;
using test::stateOf;

// 1 March 2024 is a Friday.
class CreateAppointmentTest : public EditTest {
protected:
    EventType& type(std::int32_t id, const char* name, EventType* parent = nullptr,
                    bool excludeWeekends = false) {
        auto type = std::make_unique<EventType>();
        type->id = id;
        type->name = name;
        type->parent = parent;
        type->parentId = parent != nullptr ? parent->id : -1;
        type->excludeWeekends = excludeWeekends;
        return *day.model.types.emplace_back(std::move(type));
    }

    // An appointment of `type` occurring every day from 1 March.
    EventDataRow& occurrence(EventType& type, Event* parent, int startMinute, int endMinute) {
        EventDataRow& row = series(parent, 1, 0, startMinute, endMinute);
        row.event->type = &type;
        row.event->typeId = type.id;
        row.typeName = type.name;
        return row;
    }

    DropResult drop(std::int32_t typeId, EventDataRow* onto, int y, bool applyToFuture = false) {
        return dropAppointment(day.model, placement, typeId, {TimelineColumn::actual, onto}, y,
                               applyToFuture);
    }

    const PlacedOccurrence& placed(const EventDataRow& row) const {
        return placement.occurrences().at(static_cast<std::size_t>(placement.indexOf(row)));
    }
};

TEST_F(CreateAppointmentTest, IdsFollowTheLastElementOfEachList) {
    struct Case {
        const char* what;
        std::vector<std::int32_t> eventIds;
        std::vector<std::int32_t> rowIds;
        std::int32_t eventId;
        std::int32_t rowId;
    };
    const Case cases[] = {
        {"an empty model", {}, {}, 0, 0},
        {"the last element, not the largest", {5, 2}, {7, 3}, 3, 4},
        {"rows kept without an appointment keep their ids unique", {}, {4}, 0, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        day = {};
        type(10, "Work");
        for (const std::int32_t id : c.eventIds) {
            day.model.events.emplace_back(std::make_unique<Event>())->id = id;
        }
        for (const std::int32_t id : c.rowIds) {
            day.model.eventDataPanels.emplace_back(std::make_unique<EventDataRow>())->id = id;
        }
        show(6);

        for (const std::int32_t next : {0, 1}) {
            const DropResult result = drop(10, nullptr, 216);
            ASSERT_TRUE(result.created);
            EXPECT_EQ(result.row->event->id, c.eventId + next);
            EXPECT_EQ(result.row->eventId, c.eventId + next);
            EXPECT_EQ(result.row->id, c.rowId + next);
        }
    }
}

TEST_F(CreateAppointmentTest, DropOnTheColumnGivesThirtyMinutesPlannedAsDropped) {
    struct Case {
        const char* what;
        int y;
        bool applyToFuture;
        RowState expected;
    };
    const Case cases[] = {
        {"one day", 216, false, {0, 0, 6, 6, 540, 570, 540, 570, "", ""}},
        {"Apply to Future: no last date", 216, true, {0, 0, 6, 0, 540, 570, 540, 570, "", ""}},
        {"a pixel off the hour snaps to the grid",
         217,
         false,
         {0, 0, 6, 6, 542, 572, 542, 572, "", ""}},
        {"at midnight", 0, false, {0, 0, 6, 6, 0, 30, 0, 30, "", ""}},
        {"near the bottom: ends after midnight",
         570,
         false,
         {0, 0, 6, 6, 1425, 15, 1425, 15, "", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        day = {};
        type(10, "Work");
        show(6);

        const DropResult result = drop(10, nullptr, c.y, c.applyToFuture);

        ASSERT_TRUE(result.created);
        EXPECT_TRUE(result.refusal.empty());
        const EventDataRow& row = *result.row;
        EXPECT_EQ(stateOf(row), c.expected);
        EXPECT_EQ(dayNumber(row.startTime), dayNumber(march(6)));
        EXPECT_EQ(row.top, c.y);
        EXPECT_EQ(row.height, 12);
        EXPECT_EQ(row.plannedTop, c.y);
        EXPECT_EQ(row.plannedHeight, 12);
        EXPECT_EQ(row.typeName, "Work");

        const Event& appointment = *row.event;
        EXPECT_EQ(appointment.typeId, 10);
        EXPECT_EQ(appointment.parentId, -1);
        EXPECT_EQ(appointment.startDate, row.startDate);
        EXPECT_EQ(appointment.endDate, row.endDate);
        EXPECT_EQ(day.model.rootEvents, std::vector<Event*>{row.event});
        EXPECT_EQ(appointment.eventData, std::vector<EventDataRow*>{result.row});
        EXPECT_EQ(day.model.dayPanels, std::vector<EventDataRow*>{result.row});
    }
}

TEST_F(CreateAppointmentTest, LaterDayBuildsShowTheAppointmentWhereItWasDropped) {
    struct Case {
        const char* what;
        bool excludesWeekends;
        bool applyToFuture;
        int y;
        int shownDay;
        bool shown;
        int top;
        int height;
    };
    // Dropped on Friday 1 March.
    const Case cases[] = {
        {"the day of the drop", false, false, 217, 1, true, 217, 12},
        {"the next day without Apply to Future", false, false, 216, 4, false, 0, 0},
        {"a later day with Apply to Future", false, true, 217, 6, true, 217, 12},
        {"a Saturday, weekends excluded", true, true, 216, 2, false, 0, 0},
        {"a Sunday, weekends excluded", true, true, 216, 3, false, 0, 0},
        {"the Monday after", true, true, 216, 4, true, 216, 12},
        {"the Saturday, weekends not excluded", false, true, 216, 2, true, 216, 12},
        {"dropped near the bottom: cut at 24:00", false, false, 570, 1, true, 570, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        day = {};
        type(10, "Work", nullptr, c.excludesWeekends);
        show(1);
        EventDataRow* const row = drop(10, nullptr, c.y, c.applyToFuture).row;
        ASSERT_NE(row, nullptr);

        show(c.shownDay);

        if (!c.shown) {
            EXPECT_TRUE(day.model.dayPanels.empty());
            continue;
        }
        EXPECT_EQ(day.model.dayPanels, std::vector<EventDataRow*>{row});
        EXPECT_EQ(row->top, c.top);
        EXPECT_EQ(row->height, c.height);
        EXPECT_EQ(row->plannedTop, c.top);
        EXPECT_EQ(row->plannedHeight, c.height);
    }
}

TEST_F(CreateAppointmentTest, SubTypeDropsInsideAnOccurrenceOfItsParentType) {
    struct Case {
        const char* what;
        bool intoSubAppointment;  // else into the top-level occurrence at 04:10 (top 100)
        int y;
        int start;
        int end;
    };
    const Case cases[] = {
        {"into a top-level occurrence", false, 4, 260, 290},
        {"into a sub-appointment at 4 pixels inside it", true, 8, 280, 310},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        day = {};
        EventType& work = type(10, "Work");
        EventType& meeting = type(11, "Meeting", &work);
        type(12, "Call", &meeting);
        EventDataRow& parentRow = occurrence(work, nullptr, 250, 400);
        occurrence(work, nullptr, 600, 660);
        const std::vector<Event*> rootEvents = day.model.rootEvents;
        show(6);
        EventDataRow* target = &parentRow;
        if (c.intoSubAppointment) {
            target = drop(11, &parentRow, 4).row;
            ASSERT_NE(target, nullptr);
        }
        Event* const parent = target->event;
        const int parentDepth = placed(*target).depth;

        const DropResult result = drop(c.intoSubAppointment ? 12 : 11, target, c.y);

        ASSERT_TRUE(result.created);
        EventDataRow& row = *result.row;
        EXPECT_EQ(row.event->parent, parent);
        EXPECT_EQ(row.event->parentId, parent->id);
        EXPECT_EQ(parent->children, std::vector<Event*>{row.event});
        EXPECT_EQ(day.model.rootEvents, rootEvents);
        const std::vector<int> nesting = {placed(row).parent, placed(row).depth};
        EXPECT_EQ(nesting, (std::vector<int>{placement.indexOf(*target), parentDepth + 1}));
        EXPECT_EQ(row.startDelta, c.y);
        EXPECT_EQ(row.originalStartDelta, c.y);

        show(6);  // the offset inside the parent survives a day build, and so do the times
        EXPECT_EQ(row.top, c.y);
        EXPECT_EQ(row.height, 12);
        EXPECT_EQ(stateOf(row),
                  (RowState{row.id, row.eventId, 6, 6, c.start, c.end, c.start, c.end, "", ""}));
    }
}

TEST_F(CreateAppointmentTest, EachLevelOfTheTreeDropsOnlyIntoTheLevelAbove) {
    enum class Target { column, plannedColumn, work, workTwin, meeting, home, untyped };
    struct Case {
        const char* what;
        std::int32_t typeId;
        Target target;
        bool accepted;
    };
    const Case cases[] = {
        {"top-level type on the column", 10, Target::column, true},
        {"top-level type on the Planned column", 10, Target::plannedColumn, false},
        {"top-level type on a panel", 10, Target::work, false},
        {"sub-type on the column", 11, Target::column, false},
        {"sub-type on its parent type's panel", 11, Target::work, true},
        {"sub-type on that panel's planned twin", 11, Target::workTwin, false},
        {"sub-type on another type's panel", 11, Target::home, false},
        {"sub-type on a panel whose type is missing", 11, Target::untyped, false},
        {"sub-sub-type on its grandparent type's panel", 12, Target::work, false},
        {"sub-sub-type on its parent type's panel", 12, Target::meeting, true},
        {"the tree's root, which has no type", 99, Target::column, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        day = {};
        EventType& work = type(10, "Work");
        EventType& meeting = type(11, "Meeting", &work);
        type(12, "Call", &meeting);
        EventType& home = type(20, "Home");
        EventDataRow& workRow = occurrence(work, nullptr, 480, 720);
        EventDataRow& meetingRow = occurrence(meeting, workRow.event, 540, 600);
        EventDataRow& homeRow = occurrence(home, nullptr, 1080, 1200);
        EventDataRow& untypedRow = series(nullptr, 1, 0, 1260, 1320);
        untypedRow.event->typeId = 10;  // a type deleted in a hand-edited file: not linked
        show(6);

        DropTarget target;
        switch (c.target) {
            case Target::column:
                break;
            case Target::plannedColumn:
                target.column = TimelineColumn::planned;
                break;
            case Target::work:
                target.row = &workRow;
                break;
            case Target::workTwin:
                target = {TimelineColumn::planned, &workRow};
                break;
            case Target::meeting:
                target.row = &meetingRow;
                break;
            case Target::home:
                target.row = &homeRow;
                break;
            case Target::untyped:
                target.row = &untypedRow;
                break;
        }
        const std::size_t eventsBefore = day.model.events.size();

        EXPECT_EQ(acceptsDrop(day.model, c.typeId, target), c.accepted);
        const DropResult result = dropAppointment(day.model, placement, c.typeId, target, 4, false);
        EXPECT_EQ(result.created, c.accepted);
        EXPECT_TRUE(result.refusal.empty());
        EXPECT_EQ(day.model.events.size(), eventsBefore + (c.accepted ? 1 : 0));
    }
}

TEST_F(CreateAppointmentTest, TypeExcludingWeekendsIsRefusedOnSaturdayAndSunday) {
    struct Case {
        const char* what;
        bool excludesWeekends;
        int shownDay;
        bool refused;
    };
    const Case cases[] = {
        {"Saturday", true, 2, true},
        {"Sunday", true, 3, true},
        {"Friday", true, 1, false},
        {"Saturday, weekends allowed", false, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        day = {};
        type(10, "Work", nullptr, c.excludesWeekends);
        show(c.shownDay);

        const DropResult result = drop(10, nullptr, 216, true);

        if (c.refused) {
            EXPECT_EQ(result.refusal,
                      "This appointment doesn't allow to place it into weekend.\r (It has "
                      "'Exclude Weekends' option turned on)");
            EXPECT_FALSE(result.created);
            EXPECT_TRUE(day.model.events.empty());
            EXPECT_TRUE(day.model.eventDataPanels.empty());
            continue;
        }
        EXPECT_TRUE(result.refusal.empty());
        ASSERT_TRUE(result.created);
        EXPECT_EQ(result.row->excludeWeekends, c.excludesWeekends);
        EXPECT_EQ(result.row->event->excludeWeekends, c.excludesWeekends);
    }
}

TEST_F(CreateAppointmentTest, DropKeepsTheSelectionOrLetsTheDayBuildTakeOne) {
    struct Case {
        const char* what;
        bool otherAppointment;
        bool selectedBefore;
        bool refreshAppointmentPage;
        bool newRowSelected;
    };
    const Case cases[] = {
        {"a selection stays", true, true, false, false},
        {"nothing selected: the day's first occurrence", true, false, true, false},
        {"nothing selected on an empty day: the new one", false, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        day = {};
        EventType& work = type(10, "Work");
        EventDataRow* other = c.otherAppointment ? &occurrence(work, nullptr, 480, 510) : nullptr;
        show(6);
        if (!c.selectedBefore) {
            day.model.selectedPanel = day.model.hoverPanel = nullptr;
        }

        const DropResult result = drop(10, nullptr, 300);

        EXPECT_EQ(result.refreshAppointmentPage, c.refreshAppointmentPage);
        EXPECT_EQ(day.model.selectedPanel, c.newRowSelected ? result.row : other);
    }
}

TEST_F(CreateAppointmentTest, DropOnAPanelOfAnotherDayIsAnError) {
    EventType& work = type(10, "Work");
    type(11, "Meeting", &work);
    EventDataRow& parentRow = occurrence(work, nullptr, 480, 720);
    show(6);
    day.model.selectedDate = march(7);  // the calendar moved on, the day was not built again

    EXPECT_THROW(drop(11, &parentRow, 4), std::logic_error);
    EXPECT_EQ(day.model.events.size(), 1U);
    EXPECT_TRUE(parentRow.event->children.empty());
}

}  // namespace
}  // namespace kalvo
