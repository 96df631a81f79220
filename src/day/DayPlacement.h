#pragma once

#include <unordered_map>
#include <vector>

#include "day/Timeline.h"
#include "model/Model.h"

namespace kalvo {

// The two columns of the timeline: the Actual column draws a row's times, the Planned column
// its planned twin drawn from the row's original* values.
enum class TimelineColumn { actual, planned };

// One occurrence of the shown day: which row, and where it sits in the nesting of panels.
// Its position itself is on the row (top, height, plannedTop, plannedHeight, startDelta).
struct PlacedOccurrence {
    EventDataRow* row = nullptr;
    // Index of the parent's occurrence in the placement, -1 for a top-level appointment.
    int parent = -1;
    // 0 at the top level; each level is indented by kPanelIndent (panelWidth).
    int depth = 0;
    // Indices of the sub-appointments' occurrences, in day order.
    std::vector<int> children;
    // Drawn in the Actual column: neither the row nor any of its parents is deleted. The
    // planned twin is always drawn.
    bool shown = true;
    // The planned twin's own times. A twin has no date, so they fall on 30 December 1899; only
    // their time of day is shown.
    PanelTimes planned;
};

// Where the occurrences of one day sit on the timeline: the result of a day build, and what the
// panels, their hints and the drag checks read instead of asking the widgets.
//
// It points into the model's rows: after rows are destroyed it must be built again before it
// is read. The operations that take a row expect one placed on this day and throw
// std::logic_error for any other, rather than measure it from midnight.
class DayPlacement {
public:
    // Forgets every occurrence; the placement then stands for `date`.
    void reset(DateTime date);

    DateTime date() const { return date_; }
    // Day order: the order of Model::dayPanels.
    const std::vector<PlacedOccurrence>& occurrences() const { return occurrences_; }
    // Indices of the top-level occurrences, in day order.
    const std::vector<int>& topLevel() const { return topLevel_; }

    // The index of the row's occurrence, or -1 when the row is not placed on this day. A row
    // that two appointments share (a duplicate appointment id) is placed twice; its panel is
    // where it was placed last.
    int indexOf(const EventDataRow& row) const;

    // Appends the row's occurrence inside the occurrence at `parentIndex` (-1: top level),
    // clears its alarm flags and snaps it and its planned twin to the pixel grid: positions
    // from the times, then the times back from the positions, so a row's times take the date
    // of its startDate. The parent must be placed already. Returns the new index.
    int placeOccurrence(EventDataRow& row, int parentIndex);

    // The column offset of a panel placed inside the occurrence at `parentIndex`: the sum of
    // the tops of that occurrence and of its ancestors, in the given column; 0 at the top
    // level. A deleted ancestor counts like any other, drawn or not.
    int getParentTop(int parentIndex, TimelineColumn column) const;

    // The row's startTime and endTime from its top and height, measured from its parent's
    // occurrence, on the day of its startDate. The row must be placed on this day.
    void syncTimeByPosition(EventDataRow& row) const;
    // The same for the row's planned twin from plannedTop and plannedHeight; the times are
    // the twin's own and are kept in its occurrence, not on the row.
    PanelTimes syncPlannedTimeByPosition(const EventDataRow& row);

    // The drawn occurrence panels beside the row's in its parent (the Actual column at the
    // top level), itself excluded: what its panel must not run into.
    std::vector<EventDataRow*> siblingsOf(const EventDataRow& row) const;
    // The drawn sub-appointment panels inside the row's panel.
    std::vector<EventDataRow*> subPanelsOf(const EventDataRow& row) const;
    // The height of the panel the row's panel lies in: its parent's, or the column's.
    int parentHeight(const EventDataRow& row) const;

private:
    int requireIndex(const EventDataRow& row) const;
    std::vector<EventDataRow*> shownRows(const std::vector<int>& indices,
                                         const EventDataRow* except) const;

    DateTime date_ = 0;
    std::vector<PlacedOccurrence> occurrences_;
    std::vector<int> topLevel_;
    std::unordered_map<const EventDataRow*, int> indexByRow_;
};

// The row's top and height from its times. A sub-appointment keeps its offset inside its
// parent (startDelta) wherever the parent is, so it moves with it; a top-level row sits at its
// start time. The height stops at 24:00.
void syncPositionByTime(EventDataRow& row);
// The same for its planned twin, from originalStartTime, originalEndTime and
// originalStartDelta, into plannedTop and plannedHeight.
void syncPlannedPositionByTime(EventDataRow& row);

// Rebuilds model.dayPanels and `placement` for model.selectedDate: the occurrences in day order
// (see walkDay), each placed inside its parent's occurrence. While nothing is selected, each
// top-level lookup sets selectedPanel and hoverPanel to its row, even to none, so the day's
// first top-level occurrence becomes selected; an existing selection stays.
//
// Returns true when the selection was taken this way, and so the Appointment page must show
// it. The chart is not collected here: the window runs collectChartPanels after the build.
[[nodiscard]] bool buildDay(Model& model, DayPlacement& placement);

}  // namespace kalvo
