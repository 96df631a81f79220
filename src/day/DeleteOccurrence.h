#pragma once

#include "day/DayPlacement.h"
#include "model/Model.h"

namespace kalvo {

struct DeleteResult {
    // The selection was cleared or taken by the day build: the Appointment page shows
    // model.selectedPanel (possibly none) again.
    bool refreshAppointmentPage = false;
};

// The Delete Event commands: removes the occurrence of the row's appointment on
// model.selectedDate, and the same day of every sub-appointment under it; with `applyToFuture`
// every later day as well, so the appointments end on the day before. Rows are cut at the day
// first (splitEvent), then the rows starting on it (and later) are destroyed; an appointment
// left without rows is removed from `events` and from its parent's `children` or `rootEvents`.
// No row is ever marked deleted. Destroyed rows and appointments go into model.removed, where
// the edit's undo step finds them.
//
// A destroyed row leaves every list that could still see it: the eventData of each appointment
// that holds it, dayPanels, chartPanels, selectedPanel and hoverPanel. The hover always goes,
// and the selection with it when they were the same row. The day is then built again into
// `placement`, which selects the day's first occurrence when nothing is selected.
//
// Afterwards the window re-places its panels from `placement` and recollects and draws the time
// split chart, as after every day build. `row` may be destroyed: do not use it again.
DeleteResult deleteOccurrence(Model& model, DayPlacement& placement, EventDataRow& row,
                              bool applyToFuture);

}  // namespace kalvo
