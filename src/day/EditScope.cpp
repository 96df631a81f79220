#include "day/EditScope.h"

#include <unordered_set>

namespace kalvo {

EditScope dayEditScope(const Model& model, const DayPlacement& placement) {
    EditScope scope;
    std::unordered_set<const Event*> inScope;
    const auto add = [&](Event* event) {
        if (event != nullptr && inScope.insert(event).second) {
            scope.events.push_back(event);
        }
    };
    for (const PlacedOccurrence& occurrence : placement.occurrences()) {
        add(occurrence.row->event);
    }
    for (std::size_t i = 0; i < scope.events.size(); ++i) {  // grows while it is read
        for (Event* child : scope.events[i]->children) {
            add(child);
        }
    }
    std::unordered_set<std::int32_t> ids;
    for (const Event* event : scope.events) {
        ids.insert(event->id);
    }
    for (const auto& event : model.events) {
        if (ids.contains(event->id)) {
            add(event.get());
        }
    }
    std::unordered_set<const EventDataRow*> rows;
    for (const Event* event : scope.events) {
        for (EventDataRow* row : event->eventData) {
            if (rows.insert(row).second) {
                scope.rows.push_back(row);
            }
        }
    }
    // A row placed on the day belongs to an appointment in scope, unless it has none.
    for (const PlacedOccurrence& occurrence : placement.occurrences()) {
        if (rows.insert(occurrence.row).second) {
            scope.rows.push_back(occurrence.row);
        }
    }
    return scope;
}

}  // namespace kalvo
