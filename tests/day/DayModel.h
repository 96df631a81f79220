#pragma once

#include <memory>

#include "model/Model.h"

namespace kalvo::test {

inline DateTime dateOf(int year, int month, int day) {
    return static_cast<DateTime>(daysFromCivil({year, month, day}));
}

// `minutes` after midnight of `date`, computed the way a double naively holds it.
inline DateTime at(DateTime date, double minutes) {
    return date + minutes / 1440.0;
}

// A model put together in code, linked as a load links it.
struct DayModel {
    Model model;

    Event& appointment(Event* parent = nullptr) {
        auto event = std::make_unique<Event>();
        event->id = static_cast<std::int32_t>(model.events.size());
        event->parent = parent;
        if (parent != nullptr) {
            event->parentId = parent->id;
            parent->children.push_back(event.get());
        } else {
            model.rootEvents.push_back(event.get());
        }
        return *model.events.emplace_back(std::move(event));
    }

    // A row over startDate … endDate (0: no end), planned as it is, from startMinute to
    // endMinute of its first day.
    EventDataRow& row(Event& event, DateTime startDate, DateTime endDate, int startMinute = 540,
                      int endMinute = 570) {
        auto row = std::make_unique<EventDataRow>();
        row->id = static_cast<std::int32_t>(model.eventDataPanels.size());
        row->eventId = event.id;
        row->event = &event;
        row->startDate = startDate;
        row->endDate = endDate;
        row->startTime = row->originalStartTime = at(startDate, startMinute);
        row->endTime = row->originalEndTime = at(startDate, endMinute);
        event.eventData.push_back(row.get());
        return *model.eventDataPanels.emplace_back(std::move(row));
    }

    // A new appointment with one row.
    EventDataRow& add(Event* parent, DateTime startDate, DateTime endDate, int startMinute = 540,
                      int endMinute = 570) {
        return row(appointment(parent), startDate, endDate, startMinute, endMinute);
    }
};

}  // namespace kalvo::test
