#include "types/TypeCommands.h"

#include <algorithm>

namespace kalvo {

EventType& createType(Model& model, EventType* parent) {
    auto type = std::make_unique<EventType>();
    type->id = model.nextTypeId();
    type->parent = parent;
    type->parentId = parent != nullptr ? parent->id : -1;
    type->name = kNewTypeName;
    type->color = kDefaultTypeColor;
    return *model.types.emplace_back(std::move(type));
}

std::string editTypeRefusal(const EventType* selected) {
    return selected == nullptr ? kSelectTypeFirst : std::string();
}

bool typeInUse(const Model& model, std::int32_t typeId) {
    return std::any_of(model.eventDataPanels.begin(), model.eventDataPanels.end(),
                       [typeId](const std::unique_ptr<EventDataRow>& row) {
                           return row->event != nullptr && row->event->type != nullptr &&
                                  row->event->type->id == typeId;
                       });
}

std::string deleteTypeRefusal(const Model& model, const EventType* selected,
                              bool nodeHasChildNodes) {
    if (nodeHasChildNodes) {
        return kRemoveChildTypesFirst;
    }
    if (selected != nullptr && typeInUse(model, selected->id)) {
        return kTypeInUse;
    }
    return {};
}

void removeType(Model& model, const EventType& type) {
    const auto found = std::find_if(
        model.types.begin(), model.types.end(),
        [&type](const std::unique_ptr<EventType>& candidate) { return candidate.get() == &type; });
    if (found == model.types.end()) {
        return;
    }
    const EventType* removed = found->get();
    removeInto(model.types, model.removed.types,
               [removed](const EventType& candidate) { return &candidate == removed; });
    for (const auto& event : model.events) {
        if (event->type == removed) {
            event->type = model.findType(event->typeId);
        }
    }
    for (const auto& other : model.types) {
        if (other->parent == removed) {
            other->parent = model.findType(other->parentId);
        }
    }
}

EditScope typeEditScope(const Model& model, const EventType* type) {
    EditScope scope;
    for (const auto& each : model.types) {
        scope.types.push_back(each.get());
    }
    for (const auto& event : model.events) {
        if (type != nullptr && event->type == type) {
            scope.events.push_back(event.get());
        }
    }
    return scope;
}

}  // namespace kalvo
