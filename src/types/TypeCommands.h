#pragma once

#include <cstdint>
#include <string>

#include "history/EditHistory.h"
#include "model/Model.h"

namespace kalvo {

inline constexpr char kNewTypeName[] = "New Type";

// The refusals of the type commands, shown as warnings.
inline constexpr char kSelectTypeFirst[] =
    "Please select an appointment type in the appointment tree first.";
inline constexpr char kRemoveChildTypesFirst[] = "Please remove the existing child types first.";
inline constexpr char kTypeInUse[] =
    "This event type already used in the database. Please remove all events of this type first.";

// Add Event Type: appends a type named "New Type", green, under `parent` (none: top level),
// with the next type id; every other member is 0, false or empty.
EventType& createType(Model& model, EventType* parent);

// Edit Event Type needs a type node: `selected` is the selected node's type, none for the root
// or when nothing is selected. Empty when the command may go on.
std::string editTypeRefusal(const EventType* selected);

// Whether any event-data row in memory belongs to an appointment of a type with this id: rows
// of every date count, deleted ones included.
bool typeInUse(const Model& model, std::int32_t typeId);

// Delete Event Type on the selected node, whose type is `selected` (none for the root): first
// a node with child nodes is refused, then a type in use. Empty when nothing refuses it; with
// no type there is then nothing to delete.
std::string deleteTypeRefusal(const Model& model, const EventType* selected,
                              bool nodeHasChildNodes);

// Moves `type` (found by identity) from `types` into model.removed. An appointment without rows
// may still point at it, and a hand-edited file may give another type its id as parent: those
// links are made again as a load makes them, so nothing in the model points at the type.
void removeType(Model& model, const EventType& type);

// What a type command may change: every type (a removed one's children are linked again), and
// the appointments of `type`.
EditScope typeEditScope(const Model& model, const EventType* type);

}  // namespace kalvo
