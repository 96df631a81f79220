#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <unordered_set>
#include <vector>

#include "day/DateFunctions.h"
#include "day/DayModel.h"
#include "day/DayPlacement.h"

namespace kalvo::test {

inline DateTime march(int day) {
    return dateOf(2024, 3, day);
}

// A day number as the day of March 2024 (0 stays 0: no end), so that expected rows read as
// the calendar does.
inline int dayOfMarch(DateTime t) {
    const std::int64_t day = dayNumber(t);
    return day == 0 ? 0 : static_cast<int>(day - dayNumber(march(1)) + 1);
}

// What a row holds after an edit, in the terms a user checks: its days, its actual and planned
// times of day, its comments.
struct RowState {
    std::int32_t id = 0;
    std::int32_t eventId = 0;
    int firstDay = 0;  // of March
    int lastDay = 0;   // of March, 0: no end
    int start = 0;     // minute of the day
    int end = 0;
    int plannedStart = 0;
    int plannedEnd = 0;
    std::string comment;
    std::string originalComment;

    bool operator==(const RowState&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const RowState& s) {
    return out << "{id " << s.id << ", event " << s.eventId << ", " << s.firstDay << "–"
               << s.lastDay << " March, " << s.start << "–" << s.end << ", planned "
               << s.plannedStart << "–" << s.plannedEnd << ", \"" << s.comment << "\"/\""
               << s.originalComment << "\"}";
}

inline RowState stateOf(const EventDataRow& row) {
    return {row.id,
            row.eventId,
            dayOfMarch(row.startDate),
            dayOfMarch(row.endDate),
            minuteOfDay(row.startTime),
            minuteOfDay(row.endTime),
            minuteOfDay(row.originalStartTime),
            minuteOfDay(row.originalEndTime),
            row.comment,
            row.originalComment};
}

inline std::vector<RowState> statesOf(const Model& model) {
    std::vector<RowState> states;
    for (const auto& row : model.eventDataPanels) {
        states.push_back(stateOf(*row));
    }
    return states;
}

inline std::vector<std::int32_t> idsOf(const std::vector<EventDataRow*>& rows) {
    std::vector<std::int32_t> ids;
    for (const EventDataRow* row : rows) {
        ids.push_back(row->id);
    }
    return ids;
}

// Every view of the model points at an object its owning lists still hold.
inline void expectNoDanglingPointers(const Model& model, const DayPlacement& placement) {
    std::unordered_set<const EventDataRow*> rows;
    for (const auto& row : model.eventDataPanels) {
        rows.insert(row.get());
    }
    std::unordered_set<const Event*> events;
    for (const auto& event : model.events) {
        events.insert(event.get());
    }
    const auto expectRow = [&rows](const EventDataRow* row, const char* where) {
        EXPECT_TRUE(row == nullptr || rows.contains(row)) << "a destroyed row in " << where;
    };
    const auto expectEvent = [&events](const Event* event, const char* where) {
        EXPECT_TRUE(event == nullptr || events.contains(event))
            << "a destroyed appointment in " << where;
    };
    for (const EventDataRow* row : model.dayPanels) {
        expectRow(row, "dayPanels");
    }
    for (const EventDataRow* row : model.chartPanels) {
        expectRow(row, "chartPanels");
    }
    expectRow(model.selectedPanel, "selectedPanel");
    expectRow(model.hoverPanel, "hoverPanel");
    for (const PlacedOccurrence& occurrence : placement.occurrences()) {
        expectRow(occurrence.row, "the placement");
    }
    for (const Event* event : model.rootEvents) {
        expectEvent(event, "rootEvents");
    }
    for (const auto& event : model.events) {
        expectEvent(event->parent, "a parent");
        for (const Event* child : event->children) {
            expectEvent(child, "children");
        }
        for (const EventDataRow* row : event->eventData) {
            expectRow(row, "eventData");
        }
    }
    for (const auto& row : model.eventDataPanels) {
        expectEvent(row->event, "a row's event");
    }
}

// A model edited on the dates of March 2024 (1 March is a Friday).
class EditTest : public ::testing::Test {
protected:
    // A new appointment created on `firstDay` with one row from then to `lastDay` (0: no end),
    // planned as it is.
    EventDataRow& series(Event* parent, int firstDay, int lastDay, int startMinute = 540,
                         int endMinute = 570, const std::string& comment = "") {
        EventDataRow& row = day.add(parent, march(firstDay), lastDay == 0 ? 0 : march(lastDay),
                                    startMinute, endMinute);
        row.event->startDate = march(firstDay);
        row.comment = row.originalComment = comment;
        return row;
    }

    void show(int dayOfMonth) {
        day.model.selectedDate = march(dayOfMonth);
        static_cast<void>(buildDay(day.model, placement));
    }

    DayModel day;
    DayPlacement placement;
};

}  // namespace kalvo::test
