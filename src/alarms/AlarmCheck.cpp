#include "alarms/AlarmCheck.h"

#include <string_view>

#include "day/DateFunctions.h"

namespace kalvo {
namespace {

enum class Due { no, onTime, late };

std::string alarmText(std::string_view kind, const std::string& typeName, Due when, int minute) {
    std::string text = std::string(kind) + typeName;
    if (when == Due::late) {
        text += " (due at " + clockText(minute) + ")";
    }
    return text;
}

AlarmNotice noticeOf(const EventDataRow& row, DateTime date, AlarmKind kind, std::string text) {
    return {.text = std::move(text),
            .kind = kind,
            .eventId = row.event->id,
            .date = date,
            .startMinute = minuteOfDay(row.startTime),
            .endMinute = minuteOfDay(row.endTime),
            .comment = row.comment};
}

}  // namespace

void giveAlarm(AlarmServices& services, const std::string& soundFile, const AlarmNotice& alarm) {
    const bool started = services.playSound(soundFile);
    if (!started) {
        services.beep();
    }
    // A nested alarm that played a sound of its own has stopped and closed it by now.
    if (services.showAlarm(alarm) == AlarmShown::dismissed && started && services.soundOpen()) {
        services.stopSound();
    }
}

void checkAlarms(const Model& model, AlarmServices& services, AlarmCheckState& state) {
    const std::vector<EventDataRow*>& dayPanels = model.dayPanels;
    const int checkedAt = services.currentMinuteOfDay();
    // The first minute no check has seen; past midnight, or at the first check, none is missed.
    const int firstMissed = state.lastCheckedMinute && *state.lastCheckedMinute <= checkedAt
                                ? *state.lastCheckedMinute + 1
                                : checkedAt;
    // Set before any warning: the checks that run inside it start from here.
    state.lastCheckedMinute = checkedAt;
    // By index: the warnings run the event loop, and the list is read again after each one.
    for (std::size_t i = 0; i < dayPanels.size(); ++i) {
        EventDataRow& row = *dayPanels[i];
        const int now = services.currentMinuteOfDay();
        if (row.event == nullptr || row.event->type == nullptr) {
            continue;
        }
        const EventType& type = *row.event->type;
        const auto due = [&](int minute) {
            if (minute == now) {
                return Due::onTime;
            }
            return firstMissed <= minute && minute < now ? Due::late : Due::no;
        };
        if (type.beforeAlarm && !row.beforeAlarmFired) {
            const int minute = minuteOfDay(row.startTime);
            if (const Due when = due(minute); when != Due::no) {
                row.beforeAlarmFired = true;  // before the sound and the message: checks nest
                giveAlarm(services, type.beforeAlarmFile,
                          noticeOf(row, model.selectedDate, AlarmKind::before,
                                   alarmText(kBeforeAlarmText, type.name, when, minute)));
            }
        }
        // Against the same minute: a row that starts and ends in it gives both alarms, the
        // second once the first is dismissed.
        if (type.afterAlarm && !row.afterAlarmFired) {
            const int minute = minuteOfDay(row.endTime);
            if (const Due when = due(minute); when != Due::no) {
                row.afterAlarmFired = true;
                giveAlarm(services, type.afterAlarmFile,
                          noticeOf(row, model.selectedDate, AlarmKind::after,
                                   alarmText(kAfterAlarmText, type.name, when, minute)));
            }
        }
    }
}

}  // namespace kalvo
