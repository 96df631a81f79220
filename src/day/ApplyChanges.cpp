#include "day/ApplyChanges.h"

#include <memory>
#include <stdexcept>
#include <utility>

#include "day/DateFunctions.h"

namespace kalvo {
namespace {

void requirePlacementOfShownDay(const Model& model, const DayPlacement& placement) {
    if (!sameDay(placement.date(), model.selectedDate)) {
        throw std::logic_error("The day placement is not the one of the shown date.");
    }
}

int requirePlaced(const DayPlacement& placement, const EventDataRow& row) {
    const int index = placement.indexOf(row);
    if (index < 0) {
        throw std::logic_error("The row is not placed on the shown day.");
    }
    return index;
}

bool hasEnd(const EventDataRow& row) {
    return dayNumber(row.endDate) != 0;
}

// The occurrence at `index` and every occurrence placed under it, parent before its children,
// in day order: exactly the sub-appointments whose panels move with it. One whose parent has no
// occurrence on the day is not among them, so its times are never measured from a panel that
// is not there.
std::vector<EventDataRow*> occurrenceWithSubOccurrences(const DayPlacement& placement, int index) {
    std::vector<EventDataRow*> rows;
    std::vector<int> pending = {index};
    while (!pending.empty()) {
        const PlacedOccurrence& occurrence =
            placement.occurrences()[static_cast<std::size_t>(pending.back())];
        pending.pop_back();
        rows.push_back(occurrence.row);
        pending.insert(pending.end(), occurrence.children.rbegin(), occurrence.children.rend());
    }
    return rows;
}

EventDataRow& appendPiece(Model& model, const EventDataRow& row, DateTime startDate,
                          DateTime endDate, const std::string& comment) {
    auto piece = std::make_unique<EventDataRow>();
    piece->id = model.nextEventDataId();
    piece->eventId = row.eventId;
    piece->event = row.event;
    piece->typeName = row.typeName;
    piece->startDate = startDate;
    piece->endDate = endDate;
    piece->startTime = row.startTime;
    piece->endTime = row.endTime;
    piece->repeatType = row.repeatType;
    piece->repeatValue = row.repeatValue;
    piece->excludeWeekends = row.excludeWeekends;
    piece->comment = comment;
    piece->startDelta = row.startDelta;
    piece->originalStartTime = row.originalStartTime;
    piece->originalEndTime = row.originalEndTime;
    piece->originalStartDelta = row.originalStartDelta;
    piece->originalCompleted = row.originalCompleted;
    piece->originalImportance = row.originalImportance;
    piece->originalProgress = row.originalProgress;
    piece->originalComment = row.originalComment;
    piece->originalFlags = row.originalFlags;
    if (row.event != nullptr) {
        row.event->eventData.push_back(piece.get());
    }
    return *model.eventDataPanels.emplace_back(std::move(piece));
}

// The plan of the day becomes what the row shows now: the series' values, before the edit.
void fixPlanFromActual(EventDataRow& row) {
    row.originalStartTime = row.startTime;
    row.originalEndTime = row.endTime;
    row.originalStartDelta = row.startDelta;
    row.originalCompleted = row.completed;
    row.originalImportance = row.importance;
    row.originalProgress = row.progress;
    row.originalComment = row.comment;
    row.originalFlags = row.flags;
}

std::vector<EventDataRow*> applyOneRow(Model& model, DayPlacement& placement, EventDataRow& row,
                                       bool applyToFuture, const std::string& piecesComment) {
    std::vector<EventDataRow*> created = splitEvent(model, row, piecesComment);
    row.startDelta = row.top;
    placement.syncTimeByPosition(row);
    if (row.event != nullptr && sameDay(row.startDate, row.event->startDate) &&
        model.hoverPanel == &row) {
        syncDiff(placement, row);
    }
    if (applyToFuture) {
        applyChangesToFutureEvents(row);
    }
    return created;
}

// `commentBefore`: what the edited row's comment was before this edit, when the edit changed it.
ChangeResult applyEdit(Model& model, DayPlacement& placement, EventDataRow& row, bool applyToFuture,
                       const std::string* commentBefore) {
    requirePlacementOfShownDay(model, placement);
    ChangeResult result;
    result.applied = occurrenceWithSubOccurrences(placement, requirePlaced(placement, row));
    for (EventDataRow* target : result.applied) {
        const std::string& piecesComment =
            target == &row && commentBefore != nullptr ? *commentBefore : target->comment;
        const std::vector<EventDataRow*> created =
            applyOneRow(model, placement, *target, applyToFuture, piecesComment);
        result.created.insert(result.created.end(), created.begin(), created.end());
    }
    result.chartUpdate = result.created.empty() ? ChartUpdate::redraw : ChartUpdate::recollect;
    result.refreshAppointmentPage = true;
    return result;
}

}  // namespace

bool coversDay(const EventDataRow& row, DateTime date) {
    const std::int64_t day = dayNumber(date);
    return day >= dayNumber(row.startDate) && (!hasEnd(row) || dayNumber(row.endDate) >= day);
}

ChangeResult applyChanges(Model& model, DayPlacement& placement, EventDataRow& row,
                          bool applyToFuture) {
    return applyEdit(model, placement, row, applyToFuture, nullptr);
}

ChangeResult changeComment(Model& model, DayPlacement& placement, EventDataRow& row,
                           std::string comment) {
    requirePlacementOfShownDay(model, placement);
    requirePlaced(placement, row);
    std::string before = std::exchange(row.comment, std::move(comment));
    return applyEdit(model, placement, row, false, &before);
}

std::vector<EventDataRow*> applyChangesSelf(Model& model, DayPlacement& placement,
                                            EventDataRow& row, bool applyToFuture) {
    requirePlacementOfShownDay(model, placement);
    requirePlaced(placement, row);
    return applyOneRow(model, placement, row, applyToFuture, row.comment);
}

std::vector<EventDataRow*> splitEvent(Model& model, EventDataRow& row,
                                      const std::string& piecesComment) {
    const DateTime date = model.selectedDate;
    if ((hasEnd(row) && sameDay(row.startDate, row.endDate)) || !coversDay(row, date)) {
        return {};
    }
    // Taken before the pieces are appended: a comment passed from the row itself stays valid,
    // and the after-row must see the range the row had.
    const std::string comment = piecesComment;
    const DateTime startDate = row.startDate;
    const DateTime endDate = row.endDate;
    std::vector<EventDataRow*> created;
    if (!sameDay(startDate, date)) {
        created.push_back(&appendPiece(model, row, startDate, addDays(date, -1), comment));
    }
    if (!hasEnd(row) || !sameDay(endDate, date)) {
        created.push_back(&appendPiece(model, row, addDays(date, 1), endDate, comment));
    }
    row.startDate = date;
    row.endDate = date;
    fixPlanFromActual(row);
    return created;
}

std::vector<EventDataRow*> splitEvent(Model& model, EventDataRow& row) {
    return splitEvent(model, row, row.comment);
}

void syncDiff(DayPlacement& placement, EventDataRow& row) {
    requirePlaced(placement, row);
    row.plannedTop = row.top;
    row.plannedHeight = row.height;
    row.originalStartDelta = row.startDelta;
    const PanelTimes planned = placement.syncPlannedTimeByPosition(row);
    row.originalStartTime = planned.startTime;
    row.originalEndTime = planned.endTime;
}

void applyChangesToFutureEvents(const EventDataRow& row) {
    if (row.event == nullptr) {
        return;
    }
    const std::int64_t day = dayNumber(row.startDate);
    for (EventDataRow* later : row.event->eventData) {
        if (later == &row || dayNumber(later->startDate) <= day) {
            continue;
        }
        later->startTime = row.startTime;
        later->endTime = row.endTime;
        later->completed = row.completed;
        later->importance = row.importance;
        later->progress = row.progress;
        later->comment = row.comment;
        later->flags = row.flags;
        later->startDelta = row.startDelta;
        fixPlanFromActual(*later);
    }
}

}  // namespace kalvo
