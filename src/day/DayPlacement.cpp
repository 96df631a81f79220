#include "day/DayPlacement.h"

#include <stdexcept>
#include <utility>

#include "day/DateFunctions.h"
#include "day/Occurrences.h"

namespace kalvo {
namespace {

bool isSubAppointment(const EventDataRow& row) {
    return row.event != nullptr && row.event->parent != nullptr;
}

}  // namespace

void syncPositionByTime(EventDataRow& row) {
    row.top = isSubAppointment(row) ? row.startDelta : timeToPixels(minuteOfDay(row.startTime));
    row.height = timeToPixels(durationMinutes(row.startTime, row.endTime));
}

void syncPlannedPositionByTime(EventDataRow& row) {
    row.plannedTop = isSubAppointment(row) ? row.originalStartDelta
                                           : timeToPixels(minuteOfDay(row.originalStartTime));
    row.plannedHeight = timeToPixels(durationMinutes(row.originalStartTime, row.originalEndTime));
}

void DayPlacement::reset(DateTime date) {
    date_ = date;
    occurrences_.clear();
    topLevel_.clear();
    indexByRow_.clear();
}

int DayPlacement::indexOf(const EventDataRow& row) const {
    const auto found = indexByRow_.find(&row);
    return found != indexByRow_.end() ? found->second : -1;
}

int DayPlacement::requireIndex(const EventDataRow& row) const {
    const int index = indexOf(row);
    if (index < 0) {
        throw std::logic_error("The row is not placed on the shown day.");
    }
    return index;
}

int DayPlacement::placeOccurrence(EventDataRow& row, int parentIndex) {
    const int index = static_cast<int>(occurrences_.size());
    if (parentIndex < -1 || parentIndex >= index) {
        throw std::out_of_range("The parent occurrence is not placed.");
    }
    row.beforeAlarmFired = false;
    row.afterAlarmFired = false;

    PlacedOccurrence occurrence;
    occurrence.row = &row;
    occurrence.parent = parentIndex;
    occurrence.shown = !row.deleted;
    if (parentIndex >= 0) {
        PlacedOccurrence& parent = occurrences_[static_cast<std::size_t>(parentIndex)];
        occurrence.depth = parent.depth + 1;
        occurrence.shown = occurrence.shown && parent.shown;
        parent.children.push_back(index);
    } else {
        topLevel_.push_back(index);
    }
    occurrences_.push_back(std::move(occurrence));
    indexByRow_[&row] = index;

    syncPositionByTime(row);
    syncTimeByPosition(row);
    syncPlannedPositionByTime(row);
    syncPlannedTimeByPosition(row);
    return index;
}

int DayPlacement::getParentTop(int parentIndex, TimelineColumn column) const {
    int offset = 0;
    for (int index = parentIndex; index >= 0;) {
        const PlacedOccurrence& occurrence = occurrences_.at(static_cast<std::size_t>(index));
        offset += column == TimelineColumn::actual ? occurrence.row->top : occurrence.row->plannedTop;
        index = occurrence.parent;
    }
    return offset;
}

void DayPlacement::syncTimeByPosition(EventDataRow& row) const {
    // Measured through the placement rather than the drawn panels, so that a deleted
    // sub-appointment, which has no panel on screen, and its own sub-appointments keep their
    // times relative to the parent instead of being rewritten relative to midnight.
    const PlacedOccurrence& occurrence = occurrences_[static_cast<std::size_t>(requireIndex(row))];
    const PanelTimes times = timeByPosition(
        row.top, row.height, getParentTop(occurrence.parent, TimelineColumn::actual), row.startDate);
    row.startTime = times.startTime;
    row.endTime = times.endTime;
}

PanelTimes DayPlacement::syncPlannedTimeByPosition(const EventDataRow& row) {
    PlacedOccurrence& occurrence = occurrences_[static_cast<std::size_t>(requireIndex(row))];
    occurrence.planned = timeByPosition(row.plannedTop, row.plannedHeight,
                                        getParentTop(occurrence.parent, TimelineColumn::planned), 0);
    return occurrence.planned;
}

std::vector<EventDataRow*> DayPlacement::shownRows(const std::vector<int>& indices,
                                                   const EventDataRow* except) const {
    std::vector<EventDataRow*> rows;
    for (const int index : indices) {
        const PlacedOccurrence& occurrence = occurrences_[static_cast<std::size_t>(index)];
        if (occurrence.shown && occurrence.row != except) {
            rows.push_back(occurrence.row);
        }
    }
    return rows;
}

std::vector<EventDataRow*> DayPlacement::siblingsOf(const EventDataRow& row) const {
    const int parent = occurrences_[static_cast<std::size_t>(requireIndex(row))].parent;
    return shownRows(
        parent < 0 ? topLevel_ : occurrences_[static_cast<std::size_t>(parent)].children, &row);
}

std::vector<EventDataRow*> DayPlacement::subPanelsOf(const EventDataRow& row) const {
    return shownRows(occurrences_[static_cast<std::size_t>(requireIndex(row))].children, nullptr);
}

int DayPlacement::parentHeight(const EventDataRow& row) const {
    const int parent = occurrences_[static_cast<std::size_t>(requireIndex(row))].parent;
    return parent < 0 ? kColumnHeight : occurrences_[static_cast<std::size_t>(parent)].row->height;
}

bool buildDay(Model& model, DayPlacement& placement) {
    placement.reset(model.selectedDate);
    model.dayPanels.clear();
    bool selectionTaken = false;
    walkDay(
        model.rootEvents, model.selectedDate,
        [&](EventDataRow& row, int parentIndex) {
            model.dayPanels.push_back(&row);
            return placement.placeOccurrence(row, parentIndex);
        },
        [&](EventDataRow* row) {
            if (model.selectedPanel == nullptr) {
                model.selectedPanel = row;
                model.hoverPanel = row;
                selectionTaken = true;
            }
        });
    return selectionTaken;
}

}  // namespace kalvo
