#include "db/Model.h"

#include <unordered_map>

namespace kalvo {
namespace {

template <typename Element>
std::int32_t nextId(const std::vector<std::unique_ptr<Element>>& list) {
    return list.empty() ? 0 : list.back()->id + 1;
}

}  // namespace

EventType* Model::findType(std::int32_t id) const {
    for (const auto& type : types) {
        if (type->id == id) {
            return type.get();
        }
    }
    return nullptr;
}

std::string Model::typeNameOf(std::int32_t id) const {
    const EventType* type = findType(id);
    return type != nullptr ? type->name : std::string();
}

std::int32_t Model::nextTypeId() const {
    return nextId(types);
}

std::int32_t Model::nextEventId() const {
    return nextId(events);
}

std::int32_t Model::nextEventDataId() const {
    return nextId(eventDataPanels);
}

void Model::link() {
    for (const auto& type : types) {
        type->parent = findType(type->parentId);
    }

    // Appointments by id, each list in `events` order, so that linking stays linear in the
    // number of rows while every appointment with a row's id still receives the row.
    std::unordered_map<std::int32_t, std::vector<Event*>> eventsById;
    eventsById.reserve(events.size());
    for (const auto& event : events) {
        eventsById[event->id].push_back(event.get());
    }
    std::unordered_map<std::int32_t, std::string> typeNames;
    for (const auto& row : eventDataPanels) {
        const auto found = eventsById.find(row->eventId);
        if (found == eventsById.end()) {
            continue;
        }
        for (Event* event : found->second) {
            const auto name = typeNames.try_emplace(event->typeId);
            if (name.second) {
                name.first->second = typeNameOf(event->typeId);
            }
            row->typeName = name.first->second;
            row->event = event;
            event->eventData.push_back(row.get());
        }
    }

    for (const auto& event : events) {
        if (event->parentId == -1) {
            event->parent = nullptr;
            rootEvents.push_back(event.get());
            continue;
        }
        const auto found = eventsById.find(event->parentId);
        if (found == eventsById.end()) {
            continue;
        }
        for (Event* candidate : found->second) {
            if (candidate != event.get()) {
                event->parent = candidate;
                candidate->children.push_back(event.get());
                break;
            }
        }
    }
}

void Model::freeModel() {
    selectedPanel = nullptr;
    hoverPanel = nullptr;
    dayPanels.clear();
    chartPanels.clear();
    chartSlices.clear();
    rootEvents.clear();
    eventDataPanels.clear();
    events.clear();
    types.clear();
}

}  // namespace kalvo
