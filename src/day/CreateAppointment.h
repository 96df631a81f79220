#pragma once

#include <cstdint>
#include <string>

#include "day/DayPlacement.h"
#include "model/Model.h"

namespace kalvo {

// Creating appointments by dropping a type from the type tree on the timeline of
// model.selectedDate.
//
// A type without a parent type goes on the Actual column and becomes a top-level appointment;
// a sub-type goes on an occurrence of its parent type and becomes a sub-appointment inside it.
// So each level of the type tree drops only into occurrences of the level above it.

// Where the dragged type is: a column itself (no row), or the panel of an occurrence (its row)
// in the Actual column or its planned twin in the Planned column. Only the Actual column and
// its panels take drops; a twin draws a plan, and a plan is not created by hand.
struct DropTarget {
    TimelineColumn column = TimelineColumn::actual;
    EventDataRow* row = nullptr;
};

// What a drop leaves for the window to do.
struct DropResult {
    // A new appointment with one row was appended and the day was built again into the
    // placement: the window re-places its panels from it and recollects and draws the time
    // split chart, as after every day build.
    bool created = false;
    // Not empty when the drop was refused: show it with showWarning. Nothing was created.
    std::string refusal;
    // The new row, placed on the shown day where it was dropped; none unless created.
    EventDataRow* row = nullptr;
    // The day build took the selection: the Appointment page shows model.selectedPanel again.
    bool refreshAppointmentPage = false;
};

// How long a dropped appointment lasts.
inline constexpr int kNewAppointmentMinutes = 30;

// Whether the type with `typeId` (the first type with that id) may be dropped on `target`: on
// the Actual column when it has no parent type; on an Actual panel when it has one and the
// panel's appointment is of that parent type. Any other target, and an id that names no type
// (the tree's root node), refuses. Evaluated on every movement of a drag.
bool acceptsDrop(const Model& model, std::int32_t typeId, const DropTarget& target);

// The drop of the type with `typeId` on `target` at `y`, in the target's own coordinates (the
// column's, or the panel's for a sub-appointment): one call does the whole drop.
//
// A drop that acceptsDrop refuses has no effect. A type that excludes weekends is refused on a
// Saturday or a Sunday with the message in `refusal`. Otherwise createAppointment appends the
// appointment, the day is built again, and the new panel is put at `y` for 30 minutes, its
// times snapped to the pixel grid and its plan equal to them. Neither the neighbours nor the
// column's bottom are checked: a panel may overlap others, and one dropped near the bottom ends
// after midnight until the next day build cuts it at 24:00.
//
// `placement` must be the current build of model.selectedDate and a target row placed on it;
// otherwise std::logic_error is thrown before anything changes.
DropResult dropAppointment(Model& model, DayPlacement& placement, std::int32_t typeId,
                           const DropTarget& target, int y, bool applyToFuture);

// Appends a new appointment of `type` with one row for model.selectedDate: inside the
// appointment of `parentRow`, or at the top level when it is none. The row covers that date
// alone, or every day from it on with `applyToFuture`; it excludes weekends when the type does,
// and has no times yet (the caller places and positions it). Ids by the id rule of each list:
// a model without appointments and rows gives 0 to both.
//
// Throws std::invalid_argument for a parent row that belongs to no appointment.
EventDataRow& createAppointment(Model& model, EventDataRow* parentRow, EventType& type,
                                bool applyToFuture);

}  // namespace kalvo
