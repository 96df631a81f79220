#pragma once

#include <string>
#include <vector>

#include "day/DayPlacement.h"
#include "model/Model.h"

namespace kalvo {

// Storing an edit of the occurrence shown on model.selectedDate.
//
// A row may stand for many days. Before a change is stored, the row of the shown day is cut
// off its series (splitEvent), so the change reaches that day only; with "Apply to Future" the
// change is then copied into every later row of the same appointment. The cut is also where a
// day's plan is fixed: the values the series had before the change become the day's original*
// values, which the Planned column shows.
//
// Every entry point expects `placement` to be the current build of model.selectedDate (buildDay)
// and the row to be placed on it; otherwise it throws std::logic_error before changing
// anything.

// What an edit asks of the time split chart.
enum class ChartUpdate {
    none,
    // Recompute and draw the chart from model.chartPanels as they are: the rows in it may have
    // new times, but which rows apply on which day has not changed.
    redraw,
    // A split gave other days rows of their own, so which rows apply on which day changed:
    // collect the chart's rows again before drawing, or the edited row would count its new
    // times on every day of the range it was collected for.
    recollect,
};

// What an applied change leaves for the window to show.
struct ChangeResult {
    // The placed rows whose times were stored: the edited row first, then the occurrences of
    // its sub-appointments in day order, which move with it. Each panel goes in front of its
    // siblings at the row's top and height, its twin at plannedTop and plannedHeight.
    std::vector<EventDataRow*> applied;
    // Rows that splits appended to the model, in creation order. They stand for other days
    // and are not placed.
    std::vector<EventDataRow*> created;
    ChartUpdate chartUpdate = ChartUpdate::none;
    // Show model.selectedPanel on the Appointment page again.
    bool refreshAppointmentPage = false;
};

// One edit of the shown day: the window has set the new row.top and row.height of the edited
// panel (one admitted drag step, a shift command, or the undo of a covering drop on release);
// sub-appointment panels keep their top inside it and so move with it. The edited row and every
// placed sub-appointment occurrence under it are applied with applyChangesSelf.
//
// The drag handler makes the panel model.hoverPanel before it calls this, as every mouse
// movement over a panel does: on an appointment's first day only the hovered row's plan
// follows the edit.
ChangeResult applyChanges(Model& model, DayPlacement& placement, EventDataRow& row,
                          bool applyToFuture);

// The comment editor: stores `comment` in the row and applies it to the shown day only, whatever
// "Apply to Future" says. A series cut here leaves the other days with the comment they had, and
// the day's originalComment becomes the new text.
ChangeResult changeComment(Model& model, DayPlacement& placement, EventDataRow& row,
                           std::string comment);

// The row's range covers the day of `date`, whether the row excludes weekends or not.
bool coversDay(const EventDataRow& row, DateTime date);

// Applies one placed row: splits it off its series, stores its offset and its times from its
// position, lets the plan follow on the appointment's first day (hovered row only) and copies
// the result into the later rows with `applyToFuture`. Returns the rows the split created.
std::vector<EventDataRow*> applyChangesSelf(Model& model, DayPlacement& placement,
                                            EventDataRow& row, bool applyToFuture);

// Cuts the row so that it covers model.selectedDate alone: a before-row from its startDate to
// the day before, then an after-row from the day after to its endDate (open when the row is
// open), each appended with the id rule. The pieces keep the row's times, offset and plan;
// its own plan becomes its current actual values. A row of one day, or one that does not cover
// the date, is left as it is. Returns the new rows, the before-row first.
//
// The pieces take `piecesComment`: the comment the row had before the edit being stored, so no
// text appears on days the user did not touch and none is lost.
std::vector<EventDataRow*> splitEvent(Model& model, EventDataRow& row,
                                      const std::string& piecesComment);
// The same where the edit did not touch the comment: the pieces keep the row's.
std::vector<EventDataRow*> splitEvent(Model& model, EventDataRow& row);

// The planned twin takes the row's position and offset, and the row's planned start, end and
// offset are read back from it: times on 30 December 1899, as a twin has no date. The other
// planned values are left alone. The row must be placed.
void syncDiff(DayPlacement& placement, EventDataRow& row);

// Copies the row's actual values into the actual and the planned values of every row of its
// appointment that starts on a later day. Ranges, earlier rows and other appointments are not
// touched; the times keep their date part, which the next placement sets from each row's own
// startDate.
void applyChangesToFutureEvents(const EventDataRow& row);

}  // namespace kalvo
