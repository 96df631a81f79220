#pragma once

#include <functional>

#include "day/DayPlacement.h"
#include "model/Model.h"

namespace kalvo {

// Mouse editing of an occurrence panel, as data: which part of the panel a press grabbed, how
// far each movement may take it, and the undo of a drop that covers a neighbour.
//
// Every position is a y in the panel's own coordinates (0 is its top edge), as the mouse
// events of the panel deliver it; the panel's row.top and row.height are inside its parent
// (for a sub-appointment: its offset inside the parent's panel). Neither the scroll position
// of the timeline nor the column's place on screen enters, so scrolling never changes a time.
//
// The step does not know what storing an edit means: after it has set the row's new top and
// height it calls the `apply` the caller gives (the window passes one that runs applyChanges
// and redraws what changed).

// The drag of one panel, from a press to the next release. The window keeps one for the panel
// being dragged; a shift command runs its own.
struct DragState {
    // Height of the grip zones inside the top and the bottom edge: the top three pixel rows
    // (0, 1, 2) grab the start, the bottom three the end.
    static constexpr int edgeSize = 2;
    // A resize must leave the panel higher than this: every panel keeps at least 2 pixels
    // (5 minutes), so an occurrence never shrinks to nothing under the mouse.
    static constexpr int minSize = 1;

    // At most one of the three is set, between a press and the next release.
    bool resizingTop = false;
    bool resizingBottom = false;
    bool moving = false;
    // The dragged edges land on five-minute marks (even pixels of the column), the mark at or
    // before the mouse; a neighbour or the parent's edge still stops them where it stands.
    bool snapToFiveMinutes = false;
    int mouseDownY = 0;
    int mouseDownTop = 0;
    int mouseDownHeight = 0;

    bool dragging() const { return resizingTop || resizingBottom || moving; }
};

enum class DragCursor { unchanged, normal, verticalResize };

// What the panel's widget must show after a press, a movement or a release.
struct DragResult {
    // The row got a new top or height and `apply` has run for it.
    bool applied = false;
    // The release put a covering drop back where it was pressed (applied is set as well).
    bool undone = false;
    // Set the panel's hint: a twin's from its own position, an occurrence's from its row.
    bool setHint = false;
    // Make the panel's frame grey and repaint it.
    bool greyFrame = false;
    // Show model.selectedPanel on the Appointment page again.
    bool refreshAppointmentPage = false;
    DragCursor cursor = DragCursor::unchanged;
};

using ApplyStep = std::function<void()>;

// A press at `y` on the row's panel in `column`: remembers where the panel was and chooses the
// mode by the grip zones (where they meet on a very small panel the top zone wins; below the
// bottom edge the body is grabbed). A planned twin ignores the press.
DragResult dragPress(DragState& state, const EventDataRow& row, TimelineColumn column, int y);

// A movement to `y`: one step of the drag, or plain hovering when nothing is pressed. The
// movement is shortened pixel by pixel until the neighbours, the edges of the parent (0 and
// parentHeight) and the panel's own sub-appointments admit it; a step that admits nothing
// leaves without any update. A planned twin only refreshes its hint.
//
// The caller first makes the row model.hoverPanel, as every movement over an occurrence panel
// does: on an appointment's first day only the hovered row's plan follows an edit.
DragResult dragMove(DragState& state, EventDataRow& row, TimelineColumn column,
                    const DayPlacement& placement, int y, const ApplyStep& apply);

// The release: ends the drag, and when the panel now covers a neighbour completely (a fast
// movement carried it across a smaller one) puts it back where the press found it and applies
// that again, so the stored times return with the panel. A planned twin ignores the release.
DragResult dragRelease(DragState& state, EventDataRow& row, TimelineColumn column,
                       const DayPlacement& placement, const ApplyStep& apply);

// False when the row's panel, shifted to `top` + `delta`, would have an edge strictly inside a
// drawn sibling: the new top edge unless the bottom is being resized, the new bottom edge
// unless the top is. Panels may touch.
bool checkPanelsIntersect(const DragState& state, const EventDataRow& row,
                          const DayPlacement& placement, int top, int delta);
// False when, with the panel's top at `top` and its bottom edge where it is, a drawn
// sub-appointment (which keeps its offset from the top) would end below the bottom edge.
bool checkSubPanelsIntersect(const EventDataRow& row, const DayPlacement& placement, int top);
// False when the row's panel covers a drawn sibling completely, equal edges included: the
// case the edge test cannot see.
bool checkPanelsOverlapping(const EventDataRow& row, const DayPlacement& placement);

// The keyboard and arrow-button edits of the selected occurrence, under exactly the limits of
// a drag, as a press, one movement and a release.
enum class ShiftCommand { startEarlier, startLater, endEarlier, endLater, shiftUp, shiftDown };

// How far one shift goes: one column pixel (2 or 3 minutes), or to the next five- or
// fifteen-minute mark of the clock in the shift's direction.
enum class ShiftStep { onePixel, fiveMinutes, fifteenMinutes };

// Runs the command on the row's panel in the Actual column with a drag state of its own, so
// that a drag in progress keeps its own. As with dragMove, the caller first makes the row
// model.hoverPanel. The result is the movement's, with the release's cursor and undo. A whole
// occurrence moves its start to the mark.
DragResult shiftOccurrence(ShiftCommand command, EventDataRow& row, const DayPlacement& placement,
                           const ApplyStep& apply, ShiftStep step = ShiftStep::onePixel);

// A start or an end typed as a time of day: the edge is dragged to the column pixel of that
// minute, as far as a drag of it would go. An end typed as 00:00 means the end of the day.
enum class OccurrenceEdge { start, end };
DragResult setOccurrenceTime(OccurrenceEdge edge, int minuteOfDay, EventDataRow& row,
                             const DayPlacement& placement, const ApplyStep& apply);

}  // namespace kalvo
