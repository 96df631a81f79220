#include "day/CreateAppointment.h"

#include <memory>
#include <stdexcept>
#include <utility>

#include "day/ApplyChanges.h"
#include "day/DateFunctions.h"
#include "day/Timeline.h"

namespace kalvo {
namespace {

constexpr char kWeekendRefusal[] =
    "This appointment doesn't allow to place it into weekend.\r (It has 'Exclude Weekends' "
    "option turned on)";

void requireTargetPlaced(const Model& model, const DayPlacement& placement,
                         const DropTarget& target) {
    if (target.row == nullptr) {
        return;
    }
    if (!sameDay(placement.date(), model.selectedDate) || placement.indexOf(*target.row) < 0) {
        throw std::logic_error("The drop target is not placed on the shown day.");
    }
}

}  // namespace

bool acceptsDrop(const Model& model, std::int32_t typeId, const DropTarget& target) {
    const EventType* type = model.findType(typeId);
    if (type == nullptr || target.column != TimelineColumn::actual) {
        return false;
    }
    if (target.row == nullptr) {
        return type->parent == nullptr;
    }
    const Event* appointment = target.row->event;
    return appointment != nullptr && appointment->type != nullptr && type->parent != nullptr &&
           type->parent->id == appointment->type->id;
}

DropResult dropAppointment(Model& model, DayPlacement& placement, std::int32_t typeId,
                           const DropTarget& target, int y, bool applyToFuture) {
    requireTargetPlaced(model, placement, target);
    DropResult result;
    if (!acceptsDrop(model, typeId, target)) {
        return result;
    }
    EventType& type = *model.findType(typeId);
    if (type.excludeWeekends && isWeekend(model.selectedDate)) {
        result.refusal = kWeekendRefusal;
        return result;
    }

    EventDataRow& row = createAppointment(model, target.row, type, applyToFuture);
    result.refreshAppointmentPage = buildDay(model, placement);
    result.created = true;
    result.row = &row;
    // The build places the new row from its empty times; only now that it is placed can its
    // position give it times measured from its parent's panel. A parent row shared by two
    // appointments of one id (a hand-edited file) may leave it unplaced: it then keeps no times.
    if (placement.indexOf(row) >= 0) {
        row.top = y;
        row.startDelta = y;
        row.height = timeToPixels(kNewAppointmentMinutes);
        placement.syncTimeByPosition(row);
        syncDiff(placement, row);
    }
    return result;
}

EventDataRow& createAppointment(Model& model, EventDataRow* parentRow, EventType& type,
                                bool applyToFuture) {
    Event* parent = nullptr;
    if (parentRow != nullptr) {
        parent = parentRow->event;
        if (parent == nullptr) {
            throw std::invalid_argument("The parent row belongs to no appointment.");
        }
    }

    // Each list by its own rule. Giving the row 0 whenever there is no appointment would repeat
    // the id of a row a hand-edited file kept without one.
    auto row = std::make_unique<EventDataRow>();
    row->id = model.nextEventDataId();
    row->startDate = model.selectedDate;
    row->endDate = applyToFuture ? 0 : static_cast<DateTime>(dayNumber(model.selectedDate));
    row->excludeWeekends = type.excludeWeekends;
    row->typeName = type.name;

    auto appointment = std::make_unique<Event>();
    appointment->id = model.nextEventId();
    appointment->parentId = parent != nullptr ? parent->id : -1;
    appointment->parent = parent;
    appointment->typeId = type.id;
    appointment->type = &type;
    appointment->startDate = row->startDate;
    appointment->endDate = row->endDate;
    appointment->startTime = row->startTime;
    appointment->endTime = row->endTime;
    appointment->excludeWeekends = row->excludeWeekends;

    row->eventId = appointment->id;
    row->event = appointment.get();
    appointment->eventData.push_back(row.get());
    if (parent != nullptr) {
        parent->children.push_back(appointment.get());
    } else {
        model.rootEvents.push_back(appointment.get());
    }
    model.events.push_back(std::move(appointment));
    return *model.eventDataPanels.emplace_back(std::move(row));
}

}  // namespace kalvo
