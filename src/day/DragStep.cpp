#include "day/DragStep.h"

#include <vector>

namespace kalvo {
namespace {

bool panelsIntersect(const DragState& state, const EventDataRow& row,
                     const std::vector<EventDataRow*>& siblings, int top, int delta) {
    const int newTop = top + delta;
    const int newBottom = newTop + row.height;
    for (const EventDataRow* sibling : siblings) {
        const auto inside = [sibling](int edge) {
            return sibling->top < edge && edge < sibling->top + sibling->height;
        };
        if ((inside(newTop) && !state.resizingBottom) ||
            (inside(newBottom) && !state.resizingTop)) {
            return false;
        }
    }
    return true;
}

bool subPanelsFit(const EventDataRow& row, const std::vector<EventDataRow*>& subPanels, int top) {
    for (const EventDataRow* child : subPanels) {
        if (top + child->top + child->height > row.top + row.height) {
            return false;
        }
    }
    return true;
}

// The largest part of `delta` that the limits admit, or 0: each limit in turn, once and in the
// order given, shortens it one pixel at a time towards 0. A later limit can pull an edge back
// into a neighbour that an earlier one let the panel pass (a body thrown across a panel near
// the end of the column, then held back by the column's edge); the panel then lies partly over
// that neighbour, and only a drop that covers one completely is put back on release.
template <typename... Limits>
int admissiblePart(int delta, const Limits&... limits) {
    const int step = delta > 0 ? -1 : 1;
    const auto shorten = [&](const auto& admits) {
        while (delta != 0 && !admits(delta)) {
            delta += step;
        }
    };
    (shorten(limits), ...);
    return delta;
}

bool isTwin(TimelineColumn column) {
    return column == TimelineColumn::planned;
}

bool onGrip(const EventDataRow& row, int y) {
    return (0 <= y && y <= DragState::edgeSize) ||
           (row.height - DragState::edgeSize <= y && y <= row.height);
}

// The end of a movement that reached the panel: hint, frame and Appointment page.
void finishMovement(DragResult& result) {
    result.setHint = true;
    result.greyFrame = true;
    result.refreshAppointmentPage = true;
}

// The row's top measured from the top of the Actual column, through its parents.
int columnTopOf(const EventDataRow& row, const DayPlacement& placement) {
    const int index = placement.indexOf(row);
    const int parent =
        index < 0 ? -1 : placement.occurrences()[static_cast<std::size_t>(index)].parent;
    return placement.getParentTop(parent, TimelineColumn::actual) + row.top;
}

void runApply(const ApplyStep& apply) {
    if (apply) {
        apply();
    }
}

}  // namespace

bool checkPanelsIntersect(const DragState& state, const EventDataRow& row,
                          const DayPlacement& placement, int top, int delta) {
    return panelsIntersect(state, row, placement.siblingsOf(row), top, delta);
}

bool checkSubPanelsIntersect(const EventDataRow& row, const DayPlacement& placement, int top) {
    return subPanelsFit(row, placement.subPanelsOf(row), top);
}

bool checkPanelsOverlapping(const EventDataRow& row, const DayPlacement& placement) {
    for (const EventDataRow* sibling : placement.siblingsOf(row)) {
        if (row.top <= sibling->top && row.top + row.height >= sibling->top + sibling->height) {
            return false;
        }
    }
    return true;
}

DragResult dragPress(DragState& state, const EventDataRow& row, TimelineColumn column, int y) {
    DragResult result;
    if (isTwin(column)) {
        return result;
    }
    state.mouseDownY = y;
    state.mouseDownTop = row.top;
    state.mouseDownHeight = row.height;
    state.resizingTop = state.resizingBottom = state.moving = false;
    if (0 <= y && y <= DragState::edgeSize) {
        state.resizingTop = true;
    } else if (y < row.height - DragState::edgeSize || y > row.height) {
        state.moving = true;
    } else {
        state.resizingBottom = true;
    }
    result.greyFrame = true;
    return result;
}

DragResult dragMove(DragState& state, EventDataRow& row, TimelineColumn column,
                    const DayPlacement& placement, int y, const ApplyStep& apply) {
    DragResult result;
    if (isTwin(column)) {
        result.setHint = true;
        return result;
    }
    result.cursor = onGrip(row, y) ? DragCursor::verticalResize : DragCursor::normal;
    if (!state.dragging()) {
        finishMovement(result);
        return result;
    }

    // Snapping lengthens or shortens the movement the mouse asks for so that the edge at
    // `edge` (a pixel of the column) ends on a five-minute mark.
    const int columnTop = state.snapToFiveMinutes ? columnTopOf(row, placement) : 0;
    const auto wanted = [&](int delta, int edge) {
        if (!state.snapToFiveMinutes) {
            return delta;
        }
        const int target = edge + delta;
        return target - ((target % 2) + 2) % 2 - edge;
    };

    const std::vector<EventDataRow*> siblings = placement.siblingsOf(row);
    const std::vector<EventDataRow*> subPanels = placement.subPanelsOf(row);
    const int parentHeight = placement.parentHeight(row);
    const auto neighbours = [&](int delta) {
        return panelsIntersect(state, row, siblings, row.top, delta);
    };
    const auto parentTop = [&](int delta) { return row.top + delta >= 0; };
    const auto parentBottom = [&](int delta) {
        return row.top + delta + row.height <= parentHeight;
    };

    if (state.resizingTop) {
        if (row.height - y > DragState::minSize) {
            // The top edge goes to the mouse; the sub-appointments go with it and must still
            // end above the fixed bottom edge.
            const int delta =
                admissiblePart(wanted(y, columnTop), neighbours, parentTop,
                               [&](int d) { return subPanelsFit(row, subPanels, row.top + d); });
            if (delta == 0) {
                return result;
            }
            row.top += delta;
            row.height -= delta;
            runApply(apply);
            result.applied = true;
        }
    } else if (state.resizingBottom) {
        if (y > DragState::minSize) {
            // Moving the bottom by delta is, for the sub-appointments, the top moving the other
            // way with the bottom fixed.
            const int delta = admissiblePart(
                wanted(y - row.height, columnTop + row.height), neighbours, parentBottom,
                [&](int d) { return subPanelsFit(row, subPanels, row.top - d); });
            // A mark below the start would leave the panel too small: the end stays.
            if (delta == 0 || row.height + delta <= DragState::minSize) {
                return result;
            }
            row.height += delta;
            runApply(apply);
            result.applied = true;
        }
    } else {
        // The sub-appointments keep their offsets and so move along: they are not siblings of
        // their parent and set no limit here.
        const int delta = admissiblePart(wanted(y - state.mouseDownY, columnTop), parentTop,
                                         neighbours, parentBottom);
        if (delta == 0) {
            return result;
        }
        row.top += delta;
        runApply(apply);
        result.applied = true;
    }
    finishMovement(result);
    return result;
}

DragResult dragRelease(DragState& state, EventDataRow& row, TimelineColumn column,
                       const DayPlacement& placement, const ApplyStep& apply) {
    DragResult result;
    if (isTwin(column)) {
        return result;
    }
    // Only a release that ends a press may put the panel back: without one, the remembered
    // position is another drag's.
    const bool pressed = state.dragging();
    state.resizingTop = state.resizingBottom = state.moving = false;
    if (pressed && !checkPanelsOverlapping(row, placement) &&
        (row.top != state.mouseDownTop || row.height != state.mouseDownHeight)) {
        row.top = state.mouseDownTop;
        row.height = state.mouseDownHeight;
        runApply(apply);
        result.applied = true;
        result.undone = true;
    }
    result.cursor = DragCursor::normal;
    result.greyFrame = true;
    return result;
}

namespace {

// The row's panel, pressed at its start or end edge and dragged slowly, a pixel at a time,
// `pixels` down the column (up when negative), then released. Like a slow mouse it stops at
// the first pixel a limit refuses, so it never jumps over a neighbour.
DragResult dragEdgeBy(ShiftCommand command, int pixels, EventDataRow& row,
                      const DayPlacement& placement, const ApplyStep& apply) {
    const bool atEnd = command == ShiftCommand::endEarlier || command == ShiftCommand::endLater;

    DragState state;
    dragPress(state, row, TimelineColumn::actual, atEnd ? row.height : 0);
    if (command == ShiftCommand::shiftUp || command == ShiftCommand::shiftDown) {
        state.resizingTop = false;
        state.moving = true;
    } else if (atEnd) {
        // On a panel of 2 pixels or less a press at its bottom edge lies in the top grip too,
        // and the top wins; the end commands mean the end whatever the height.
        state.resizingTop = false;
        state.resizingBottom = true;
    }
    const int step = pixels < 0 ? -1 : 1;
    DragResult result;
    for (int moved = 0; moved != pixels; moved += step) {
        // The mouse one pixel beyond the edge it holds, which has moved with it.
        const int edge = atEnd ? row.height : 0;
        const DragResult movement =
            dragMove(state, row, TimelineColumn::actual, placement, edge + step, apply);
        if (!movement.applied) {
            if (moved == 0) {
                result = movement;
            }
            break;
        }
        result = movement;
    }
    const DragResult released = dragRelease(state, row, TimelineColumn::actual, placement, apply);
    result.applied = result.applied || released.applied;
    result.undone = released.undone;
    result.greyFrame = true;
    result.cursor = released.cursor;
    return result;
}

int pixelsPerMark(ShiftStep step) {
    switch (step) {
        case ShiftStep::onePixel:
            return 1;
        case ShiftStep::fiveMinutes:
            return timeToPixels(5);
        case ShiftStep::fifteenMinutes:
            return timeToPixels(15);
    }
    return 1;
}

}  // namespace

DragResult shiftOccurrence(ShiftCommand command, EventDataRow& row, const DayPlacement& placement,
                           const ApplyStep& apply, ShiftStep step) {
    const bool earlier = command == ShiftCommand::startEarlier ||
                         command == ShiftCommand::endEarlier || command == ShiftCommand::shiftUp;
    const bool atEnd = command == ShiftCommand::endEarlier || command == ShiftCommand::endLater;
    const int edge = columnTopOf(row, placement) + (atEnd ? row.height : 0);
    const int mark = pixelsPerMark(step);
    // The first mark strictly beyond the edge in the shift's direction.
    const int offset = ((edge % mark) + mark) % mark;
    const int pixels = earlier ? -(offset == 0 ? mark : offset) : mark - offset;
    return dragEdgeBy(command, pixels, row, placement, apply);
}

DragResult setOccurrenceTime(OccurrenceEdge edge, int minuteOfDay, EventDataRow& row,
                             const DayPlacement& placement, const ApplyStep& apply) {
    const bool atEnd = edge == OccurrenceEdge::end;
    const int minute = atEnd && minuteOfDay == 0 ? 24 * 60 : minuteOfDay;
    const int current = columnTopOf(row, placement) + (atEnd ? row.height : 0);
    const int pixels = timeToPixels(minute) - current;
    if (pixels == 0) {
        return {};
    }
    const ShiftCommand command =
        atEnd ? (pixels < 0 ? ShiftCommand::endEarlier : ShiftCommand::endLater)
              : (pixels < 0 ? ShiftCommand::startEarlier : ShiftCommand::startLater);
    return dragEdgeBy(command, pixels, row, placement, apply);
}

}  // namespace kalvo
