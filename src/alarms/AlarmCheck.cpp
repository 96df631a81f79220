#include "alarms/AlarmCheck.h"

#include "day/DateFunctions.h"

namespace kalvo {
namespace {

void giveAlarm(AlarmServices& services, const std::string& fileName, const std::string& text) {
    const bool started = services.playSound(fileName);
    if (!started) {
        services.beep();
    }
    services.showWarning(text);
    // A nested alarm that played a sound of its own has stopped and closed it by now.
    if (started && services.soundOpen()) {
        services.stopSound();
    }
}

}  // namespace

void checkAlarms(const std::vector<EventDataRow*>& dayPanels, AlarmServices& services) {
    // By index: the warnings run the event loop, and the list is read again after each one.
    for (std::size_t i = 0; i < dayPanels.size(); ++i) {
        EventDataRow& row = *dayPanels[i];
        const int now = services.currentMinuteOfDay();
        if (row.event == nullptr || row.event->type == nullptr) {
            continue;
        }
        const EventType& type = *row.event->type;
        if (type.beforeAlarm && !row.beforeAlarmFired && minuteOfDay(row.startTime) == now) {
            row.beforeAlarmFired = true;  // before the sound and the message: checks nest
            giveAlarm(services, type.beforeAlarmFile, "Alarm for " + type.name);
        }
        // Against the same minute: a row that starts and ends in it gives both alarms, the
        // second once the first is dismissed.
        if (type.afterAlarm && !row.afterAlarmFired && minuteOfDay(row.endTime) == now) {
            row.afterAlarmFired = true;
            giveAlarm(services, type.afterAlarmFile, "After Alarm for " + type.name);
        }
    }
}

}  // namespace kalvo
