#include "day/DeleteOccurrence.h"

#include <algorithm>
#include <unordered_set>

#include "day/ApplyChanges.h"
#include "day/DateFunctions.h"

namespace kalvo {
namespace {

// The sub-appointments of `root`, deepest first (each after its own sub-appointments), then
// `root` itself. An explicit stack: a hand-edited file may nest deeper than the call stack.
std::vector<Event*> deepestFirst(Event& root, bool lastChildFirst) {
    struct Frame {
        Event* event;
        std::size_t visited;
    };
    std::vector<Event*> order;
    std::vector<Frame> stack = {{&root, 0}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const std::vector<Event*>& children = frame.event->children;
        if (frame.visited == children.size()) {
            order.push_back(frame.event);
            stack.pop_back();
            continue;
        }
        Event* child =
            children[lastChildFirst ? children.size() - 1 - frame.visited : frame.visited];
        ++frame.visited;
        stack.push_back({child, 0});
    }
    return order;
}

template <typename List, typename Element>
void eraseAll(List& list, const Element* element) {
    std::erase_if(list, [element](const auto& item) { return &*item == element; });
}

}  // namespace

DeleteResult deleteOccurrence(Model& model, DayPlacement& placement, EventDataRow& row,
                              bool applyToFuture) {
    DeleteResult result;
    Event* const event = row.event;
    if (event == nullptr) {
        return result;  // a row of no appointment is never shown
    }
    const DateTime date = model.selectedDate;
    const std::int64_t day = dayNumber(date);

    const std::vector<Event*> appointments = deepestFirst(*event, false);
    for (Event* appointment : appointments) {
        const auto covering = std::find_if(
            appointment->eventData.begin(), appointment->eventData.end(),
            [date](const EventDataRow* candidate) { return coversDay(*candidate, date); });
        if (covering != appointment->eventData.end()) {
            splitEvent(model, **covering);
        }
    }

    std::unordered_set<const EventDataRow*> destroyed;
    for (Event* appointment : appointments) {
        std::vector<EventDataRow*>& rows = appointment->eventData;
        for (std::size_t i = rows.size(); i-- > 0;) {
            const std::int64_t firstDay = dayNumber(rows[i]->startDate);
            if (firstDay == day || (applyToFuture && firstDay > day)) {
                destroyed.insert(rows[i]);
                rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(i));
            }
        }
    }

    const auto isDestroyed = [&destroyed](const auto& item) { return destroyed.contains(&*item); };
    if (!destroyed.empty()) {
        // Appointments that share an id share their rows.
        for (const auto& appointment : model.events) {
            std::erase_if(appointment->eventData, isDestroyed);
        }
    }
    const bool wasSelected = model.selectedPanel != nullptr;
    if (model.selectedPanel == model.hoverPanel || destroyed.contains(model.selectedPanel)) {
        model.selectedPanel = nullptr;
    }
    model.hoverPanel = nullptr;
    std::erase_if(model.dayPanels, isDestroyed);
    std::size_t keptEntries = 0;
    for (std::size_t i = 0; i < model.chartPanels.size(); ++i) {
        if (!destroyed.contains(model.chartPanels[i])) {
            model.chartPanels[keptEntries] = model.chartPanels[i];
            model.chartPanelDays[keptEntries++] = model.chartPanelDays[i];
        }
    }
    model.chartPanels.resize(keptEntries);
    model.chartPanelDays.resize(keptEntries);
    removeInto(model.eventDataPanels, model.removed.rows,
               [&destroyed](const EventDataRow& item) { return destroyed.contains(&item); });

    for (Event* appointment : deepestFirst(*event, true)) {
        // One that still has sub-appointments stays: destroying it would leave them pointing
        // at nothing, and its id, given again by the id rule, would adopt them at the next load.
        if (!appointment->eventData.empty() || !appointment->children.empty()) {
            continue;
        }
        if (appointment->parent != nullptr) {
            eraseAll(appointment->parent->children, appointment);
        } else {
            eraseAll(model.rootEvents, appointment);
        }
        removeInto(model.events, model.removed.events,
                   [appointment](const Event& item) { return &item == appointment; });
    }

    const bool selectionCleared = wasSelected && model.selectedPanel == nullptr;
    const bool selectionTaken = buildDay(model, placement);
    result.refreshAppointmentPage = selectionCleared || selectionTaken;
    return result;
}

}  // namespace kalvo
