#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Calendar.h"
#include "model/ChartData.h"

namespace kalvo {

inline constexpr std::int32_t kDefaultTypeColor = 0x008000;  // green, as 0x00BBGGRR

struct Event;
struct EventDataRow;

// One appointment type, a row of "Type.xml".
struct EventType {
    std::int32_t id = 0;
    std::int32_t parentId = -1;
    EventType* parent = nullptr;
    std::string name;
    std::int16_t importance = 0;
    std::string comment;
    std::string longComment;
    bool beforeAlarm = false;
    std::int16_t beforeAlarmDelay = 0;
    std::int16_t beforeAlarmRepeatType = 0;
    std::string beforeAlarmFile;
    bool afterAlarm = false;
    std::int16_t afterAlarmDelay = 0;
    std::int16_t afterAlarmRepeatType = 0;
    std::string afterAlarmFile;
    bool excludeWeekends = false;
    std::int32_t flags = 0;
    std::int32_t color = kDefaultTypeColor;

    bool operator==(const EventType&) const = default;
};

// One appointment, a row of "Event.xml".
struct Event {
    std::vector<EventDataRow*> eventData;
    std::vector<Event*> children;
    Event* parent = nullptr;
    std::int32_t id = 0;
    std::int32_t parentId = -1;
    std::int32_t typeId = 0;
    EventType* type = nullptr;
    DateTime startDate = 0;
    DateTime endDate = 0;
    DateTime startTime = 0;
    DateTime endTime = 0;
    std::int32_t repeatType = 0;
    std::int32_t repeatValue = 0;
    bool excludeWeekends = false;

    // The days the appointment's rows may cover, so that a day build can pass over the years of
    // appointments that ended long ago without reading their rows. Taken again whenever the
    // number of rows changes: rows only ever gain days by being added, so a span that rows lost
    // days from still holds every day they cover.
    struct Coverage {
        std::size_t rows = static_cast<std::size_t>(-1);
        std::int64_t firstDay = 0;
        std::int64_t lastDay = 0;  // valid when not open-ended
        bool openEnded = false;

        bool operator==(const Coverage&) const = default;
    };
    mutable Coverage coverage;

    bool operator==(const Event&) const = default;
};

// One row of "EventData.xml": an appointment over a range of dates with its actual and
// planned values, and where the timeline draws it. The original* members are the planned
// values, drawn in the Planned column.
struct EventDataRow {
    bool deleted = false;
    std::string typeName;
    std::int32_t id = 0;
    std::int32_t eventId = 0;
    Event* event = nullptr;
    DateTime startDate = 0;
    DateTime endDate = 0;  // 0: the row has no last date
    DateTime startTime = 0;
    DateTime endTime = 0;
    std::int32_t repeatType = 0;
    std::int32_t repeatValue = 0;
    bool completed = false;
    std::int32_t importance = 0;
    double progress = 0;
    std::string comment;
    bool excludeWeekends = false;
    std::int32_t flags = 0;
    DateTime originalStartTime = 0;
    DateTime originalEndTime = 0;
    std::int32_t originalStartDelta = 0;
    bool originalCompleted = false;
    std::int32_t originalImportance = 0;
    double originalProgress = 0;
    std::string originalComment;
    std::int32_t originalFlags = 0;
    std::int32_t startDelta = 0;  // offset of a sub-appointment inside its parent, in pixels
    bool beforeAlarmFired = false;
    bool afterAlarmFired = false;

    // Placement on the timeline, in whole pixels: the Actual column and the Planned column.
    int top = 0;
    int height = 0;
    int plannedTop = 0;
    int plannedHeight = 0;

    bool operator==(const EventDataRow&) const = default;
};

// Everything the planner holds in memory. The owning lists keep file row order after a load
// and append new objects; the views point into them and are rebuilt, never deleted through.
struct Model {
    std::vector<std::unique_ptr<EventType>> types;
    std::vector<std::unique_ptr<Event>> events;
    std::vector<std::unique_ptr<EventDataRow>> eventDataPanels;
    std::vector<Event*> rootEvents;
    std::vector<EventDataRow*> dayPanels;
    std::vector<EventDataRow*> chartPanels;
    std::vector<std::int32_t> chartPanelDays;  // the day number each entry was collected for
    std::vector<ChartData> chartSlices;        // the time split of chartPanels
    DateTime selectedDate = 0;
    EventDataRow* selectedPanel = nullptr;
    EventDataRow* hoverPanel = nullptr;

    // Objects an edit took out of the owning lists, kept alive rather than destroyed: the undo
    // step of the edit takes them, and the links it restores point at them again.
    struct Removed {
        std::vector<std::unique_ptr<EventType>> types;
        std::vector<std::unique_ptr<Event>> events;
        std::vector<std::unique_ptr<EventDataRow>> rows;
    };
    Removed removed;

    EventType* findType(std::int32_t id) const;
    std::string typeNameOf(std::int32_t id) const;
    // The id of the last element plus 1, or 0 for an empty list: after the last element is
    // removed its id is given again.
    std::int32_t nextTypeId() const;
    std::int32_t nextEventId() const;
    std::int32_t nextEventDataId() const;

    // Links the objects read from the tables: each type to its parent, each row to every
    // appointment with its event id (the last one is its `event`), each appointment to the
    // first other appointment with its parent id. Objects that link to nothing are kept.
    void link();

    void freeModel();
};

// The names of `type` and its parents, the top-level type first. A hand-edited file may make
// the parents a ring: no path is longer than 64 names.
std::vector<std::string> typePath(const EventType& type);

// The first type whose path is `path`, or none.
EventType* typeAtPath(const Model& model, const std::vector<std::string>& path);

// The first line of a comment without its line break and the blanks around it: the name an
// occurrence shows after its type's ("Meeting · Call with Anna").
std::string commentHeadline(const std::string& comment);

// An occurrence as its panel names it: the type's name, then the comment's headline after a
// middle dot when there is one and the type has a name.
std::string occurrenceCaption(const std::string& typeName, const std::string& comment);

// Moves the objects of `list` that `remove` picks into `removed`, the others keeping their
// order.
template <typename Element, typename Predicate>
void removeInto(std::vector<std::unique_ptr<Element>>& list,
                std::vector<std::unique_ptr<Element>>& removed, Predicate remove) {
    std::size_t kept = 0;
    for (std::unique_ptr<Element>& element : list) {
        if (remove(*element)) {
            removed.push_back(std::move(element));
        } else {
            list[kept++] = std::move(element);
        }
    }
    list.resize(kept);
}

// A model of copies of `model`'s types, appointments and rows, linked as they are and with the
// same views, so that building days or collecting the chart on it leaves `model` as it is.
Model copyOf(const Model& model);

}  // namespace kalvo
