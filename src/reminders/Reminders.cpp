#include "reminders/Reminders.h"

#include <algorithm>

#include "day/DateFunctions.h"
#include "day/Occurrences.h"

namespace kalvo {
namespace {

inline constexpr DateTime kMinute = 1.0 / (24 * 60);

const Event* findEvent(const Model& model, std::int32_t id) {
    for (const auto& event : model.events) {
        if (event->id == id) {
            return event.get();
        }
    }
    return nullptr;
}

// The sound of the alarm as the occurrence now stands, or none when the occurrence is gone,
// has moved its start (before alarm) or end (after alarm), or its type no longer asks.
std::optional<std::string> soundOfStillDue(const AlarmNotice& notice, const Model& model) {
    const Event* event = findEvent(model, notice.eventId);
    if (event == nullptr || event->type == nullptr) {
        return std::nullopt;
    }
    const EventDataRow* row = findOccurrence(*event, notice.date);
    if (row == nullptr || row->deleted) {
        return std::nullopt;
    }
    const EventType& type = *event->type;
    if (notice.kind == AlarmKind::before) {
        if (!type.beforeAlarm || minuteOfDay(row->startTime) != notice.minute()) {
            return std::nullopt;
        }
        return type.beforeAlarmFile;
    }
    if (!type.afterAlarm || minuteOfDay(row->endTime) != notice.minute()) {
        return std::nullopt;
    }
    return type.afterAlarmFile;
}

}  // namespace

Reminders::AlarmId Reminders::shown(AlarmNotice notice, bool soundStarted) {
    const AlarmId alarm = nextId_++;
    shown_.emplace(alarm, std::move(notice));
    if (soundStarted) {
        soundOwner_ = alarm;
    }
    return alarm;
}

const AlarmNotice* Reminders::notice(AlarmId alarm) const {
    const auto found = shown_.find(alarm);
    return found != shown_.end() ? &found->second : nullptr;
}

bool Reminders::end(AlarmId alarm) {
    if (shown_.erase(alarm) == 0 || soundOwner_ != alarm) {
        return false;
    }
    soundOwner_.reset();
    return true;
}

bool Reminders::snooze(AlarmId alarm, DateTime now) {
    const auto found = shown_.find(alarm);
    if (found == shown_.end()) {
        return false;
    }
    const DateTime due = now + kSnoozeMinutes * kMinute;
    // Kept in due order, also should the clock have been set back between two snoozes.
    const auto place =
        std::upper_bound(snoozed_.begin(), snoozed_.end(), due,
                         [](DateTime time, const Snoozed& entry) { return time < entry.due; });
    snoozed_.insert(place, {std::move(found->second), due});
    return end(alarm);
}

std::vector<DueAlarm> Reminders::takeDue(DateTime now, const Model& model) {
    std::vector<DueAlarm> due;
    if (snoozed_.empty()) {
        return due;
    }
    const auto firstLater = std::find_if(snoozed_.begin(), snoozed_.end(),
                                         [now](const Snoozed& entry) { return entry.due > now; });
    for (auto entry = snoozed_.begin(); entry != firstLater; ++entry) {
        if (std::optional<std::string> sound = soundOfStillDue(entry->notice, model)) {
            due.push_back({std::move(entry->notice), std::move(*sound)});
        }
    }
    snoozed_.erase(snoozed_.begin(), firstLater);
    return due;
}

std::optional<DateTime> Reminders::nextDue() const {
    if (snoozed_.empty()) {
        return std::nullopt;
    }
    return snoozed_.front().due;
}

std::optional<UpcomingAppointment> nextAppointment(const Model& model, DateTime date,
                                                   int fromMinute) {
    const EventDataRow* next = nullptr;
    walkDay(
        model.rootEvents, date,
        [&](const EventDataRow& row, int) {
            const int start = minuteOfDay(row.startTime);
            if (!row.deleted && start >= fromMinute &&
                (next == nullptr || start < minuteOfDay(next->startTime))) {
                next = &row;
            }
            return 0;
        },
        [](const EventDataRow*) {});
    if (next == nullptr) {
        return std::nullopt;
    }
    return UpcomingAppointment{.typeName = next->event != nullptr && next->event->type != nullptr
                                               ? next->event->type->name
                                               : next->typeName,
                               .comment = next->comment,
                               .startMinute = minuteOfDay(next->startTime),
                               .endMinute = minuteOfDay(next->endTime)};
}

}  // namespace kalvo
