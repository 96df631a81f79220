#include "types/TypeCommands.h"

#include <gtest/gtest.h>

#include "types/TypeList.h"

namespace kalvo {
namespace {

using test::typeList;

// An appointment of `type` with one row per given start date.
Event& appointmentOf(Model& model, EventType* type, std::initializer_list<DateTime> rowDates,
                     bool deleted = false) {
    auto event = std::make_unique<Event>();
    event->id = model.nextEventId();
    event->typeId = type != nullptr ? type->id : 99;
    event->type = type;
    for (const DateTime date : rowDates) {
        auto row = std::make_unique<EventDataRow>();
        row->id = model.nextEventDataId();
        row->eventId = event->id;
        row->event = event.get();
        row->startDate = row->endDate = date;
        row->deleted = deleted;
        event->eventData.push_back(row.get());
        model.eventDataPanels.push_back(std::move(row));
    }
    model.rootEvents.push_back(event.get());
    return *model.events.emplace_back(std::move(event));
}

TEST(CreateType, StartsAsANewGreenTypeUnderItsParent) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::int32_t, std::int32_t>> types;
        int parent;  // index in the list, -1: added at the top level
        std::int32_t id;
    };
    const Case cases[] = {
        {"FirstTypeOfAnEmptyList", {}, -1, 0},
        {"UnderASelectedType", {{0, -1}, {1, 0}}, 1, 2},
        // The id rule looks at the last element, not at the largest id.
        {"AfterALastTypeWithASmallId", {{5, -1}, {2, -1}}, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Model model;
        model.types = typeList(c.types);
        EventType* parent =
            c.parent >= 0 ? model.types[static_cast<std::size_t>(c.parent)].get() : nullptr;
        const EventType& type = createType(model, parent);
        ASSERT_EQ(model.types.size(), c.types.size() + 1);
        EXPECT_EQ(model.types.back().get(), &type) << "a new type is appended";
        EXPECT_EQ(type.id, c.id);
        EXPECT_EQ(type.parent, parent);
        EXPECT_EQ(type.parentId, parent != nullptr ? parent->id : -1);
        EXPECT_EQ(type.name, "New Type");
        EXPECT_EQ(type.color, 0x008000);
        EXPECT_EQ(type.importance, 0);
        EXPECT_TRUE(type.comment.empty() && type.longComment.empty());
        EXPECT_FALSE(type.beforeAlarm || type.afterAlarm || type.excludeWeekends);
        EXPECT_TRUE(type.beforeAlarmFile.empty() && type.afterAlarmFile.empty());
        EXPECT_EQ(type.flags, 0);
    }
}

TEST(CreateType, AfterTheLastTypeIsDeletedItsIdIsGivenAgain) {
    Model model;
    createType(model, nullptr);
    const std::int32_t lastId = createType(model, model.types.front().get()).id;
    removeType(model, *model.types.back());
    EXPECT_EQ(createType(model, nullptr).id, lastId);
}

// Why Delete Event Type refuses, in the order the checks run.
TEST(DeleteTypeRefusal, ChildNodesFirstThenRowsOfAnyDate) {
    const DateTime monday = 45292;
    struct Case {
        const char* name;
        bool root;  // the root node is selected rather than the type
        bool nodeHasChildNodes;
        bool rowsElsewhere;  // the type's only rows lie on dates other than the shown one
        bool onlyDeletedRows;
        bool appointmentWithoutRows;
        const char* refusal;
    };
    const Case cases[] = {
        {"RootWithTypesBelow", true, true, false, false, false, kRemoveChildTypesFirst},
        {"RootAlone", true, false, false, false, false, ""},
        {"ChildTypesBeforeUse", false, true, true, false, false, kRemoveChildTypesFirst},
        {"RowsOnOtherDates", false, false, true, false, false, kTypeInUse},
        {"OnlyDeletedRows", false, false, false, true, false, kTypeInUse},
        {"AppointmentWithoutRows", false, false, false, false, true, ""},
        {"Unused", false, false, false, false, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Model model;
        model.types = typeList({{0, -1}, {1, -1}});
        EventType& type = *model.types[1];
        model.selectedDate = monday;
        appointmentOf(model, model.types[0].get(), {monday});  // another type's appointment
        if (c.rowsElsewhere) {
            appointmentOf(model, &type, {monday - 7, monday + 30});
        }
        if (c.onlyDeletedRows) {
            appointmentOf(model, &type, {monday}, true);
        }
        if (c.appointmentWithoutRows) {
            appointmentOf(model, &type, {});
        }
        EXPECT_EQ(deleteTypeRefusal(model, c.root ? nullptr : &type, c.nodeHasChildNodes),
                  c.refusal);
    }
}

TEST(DeleteTypeRefusal, ComparesTheRowsTypeById) {
    Model model;
    model.types = typeList({{4, -1}, {4, -1}});  // a hand-edited file gave two types one id
    appointmentOf(model, model.types[0].get(), {45292});
    EXPECT_EQ(deleteTypeRefusal(model, model.types[1].get(), false), kTypeInUse);
}

TEST(EditTypeRefusal, OnlyATypeNodeCanBeEdited) {
    EventType type;
    EXPECT_EQ(editTypeRefusal(nullptr), kSelectTypeFirst);
    EXPECT_EQ(editTypeRefusal(&type), "");
}

TEST(RemoveType, RemovesThatObjectAndLeavesNoLinkToIt) {
    Model model;
    model.types = typeList({{3, -1}, {3, -1}, {8, 3}});
    EventType* first = model.types[0].get();
    EventType* second = model.types[1].get();
    EventType* child = model.types[2].get();
    child->parent = second;  // as if its node hung under the second one
    Event& rowless = appointmentOf(model, second, {});
    Event& orphaned = appointmentOf(model, child, {});

    removeType(model, *second);
    ASSERT_EQ(model.types.size(), 2u);
    EXPECT_EQ(model.types[0].get(), first) << "removed by identity, not by id";
    EXPECT_EQ(child->parent, first);
    EXPECT_EQ(rowless.type, first);

    removeType(model, *child);
    EXPECT_EQ(orphaned.type, nullptr);
    EXPECT_EQ(orphaned.typeId, 8) << "the appointment keeps what the file says";
}

}  // namespace
}  // namespace kalvo
