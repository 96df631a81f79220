#include "model/Model.h"

#include <string_view>

#include <unordered_map>

namespace kalvo {
namespace {

// The copy of each object of an owning list, by the address of its original.
template <typename Element>
std::unordered_map<const Element*, Element*> copyList(
    const std::vector<std::unique_ptr<Element>>& from, std::vector<std::unique_ptr<Element>>& to) {
    std::unordered_map<const Element*, Element*> copies;
    copies.reserve(from.size());
    to.reserve(from.size());
    for (const auto& original : from) {
        copies.emplace(original.get(), to.emplace_back(std::make_unique<Element>(*original)).get());
    }
    return copies;
}

// The copy of `original`; null stays null, and so does an object the lists do not hold.
template <typename Element>
Element* copyOf(const std::unordered_map<const Element*, Element*>& copies,
                const Element* original) {
    const auto found = copies.find(original);
    return found == copies.end() ? nullptr : found->second;
}

template <typename Element>
void relink(const std::unordered_map<const Element*, Element*>& copies,
            std::vector<Element*>& list) {
    for (Element*& element : list) {
        element = copyOf(copies, element);
    }
}

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

std::vector<std::string> typePath(const EventType& type) {
    std::vector<std::string> path;
    for (const EventType* named = &type; named != nullptr && path.size() < 64;
         named = named->parent) {
        path.insert(path.begin(), named->name);
    }
    return path;
}

EventType* typeAtPath(const Model& model, const std::vector<std::string>& path) {
    for (const auto& type : model.types) {
        if (typePath(*type) == path) {
            return type.get();
        }
    }
    return nullptr;
}

std::string commentHeadline(const std::string& comment) {
    const std::string_view line =
        std::string_view(comment).substr(0, comment.find_first_of("\r\n"));
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(line.substr(first, line.find_last_not_of(" \t") + 1 - first));
}

std::string occurrenceCaption(const std::string& typeName, const std::string& comment) {
    const std::string headline = commentHeadline(comment);
    if (typeName.empty() || headline.empty()) {
        return typeName;
    }
    return typeName + " \u00B7 " + headline;
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
    chartPanelDays.clear();
    chartSlices.clear();
    rootEvents.clear();
    eventDataPanels.clear();
    events.clear();
    types.clear();
    removed = {};
}

Model copyOf(const Model& model) {
    Model copy;
    const auto types = copyList(model.types, copy.types);
    const auto events = copyList(model.events, copy.events);
    const auto rows = copyList(model.eventDataPanels, copy.eventDataPanels);
    for (const auto& type : copy.types) {
        type->parent = copyOf(types, type->parent);
    }
    for (const auto& event : copy.events) {
        event->type = copyOf(types, event->type);
        event->parent = copyOf(events, event->parent);
        relink(events, event->children);
        relink(rows, event->eventData);
    }
    for (const auto& row : copy.eventDataPanels) {
        row->event = copyOf(events, row->event);
    }
    copy.rootEvents = model.rootEvents;
    relink(events, copy.rootEvents);
    copy.dayPanels = model.dayPanels;
    relink(rows, copy.dayPanels);
    copy.chartPanels = model.chartPanels;
    relink(rows, copy.chartPanels);
    copy.chartPanelDays = model.chartPanelDays;
    copy.chartSlices = model.chartSlices;
    copy.selectedDate = model.selectedDate;
    copy.selectedPanel = copyOf(rows, model.selectedPanel);
    copy.hoverPanel = copyOf(rows, model.hoverPanel);
    return copy;
}

}  // namespace kalvo
