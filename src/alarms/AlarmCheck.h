#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Model.h"

namespace kalvo {

// The warnings' texts open with these, followed by the type's name.
inline constexpr std::string_view kBeforeAlarmText = "Alarm for ";
inline constexpr std::string_view kAfterAlarmText = "After Alarm for ";

enum class AlarmKind { before, after };

// What an alarm tells the user, and the occurrence whose start or end gave it: the appointment
// and the day it was shown for, so that a snoozed alarm can find it again.
struct AlarmNotice {
    std::string text;  // "Alarm for Work", "After Alarm for Work (due at 12:00)"
    AlarmKind kind = AlarmKind::before;
    std::int32_t eventId = 0;
    DateTime date = 0;
    int startMinute = 0;
    int endMinute = 0;
    std::string comment;

    // The minute of the start or the end that gives this alarm.
    int minute() const { return kind == AlarmKind::before ? startMinute : endMinute; }
    bool operator==(const AlarmNotice&) const = default;
};

// How an alarm was shown: a modal warning has been dismissed by the time it returns; a
// desktop notification stays shown, and ends the sound itself when it ends.
enum class AlarmShown { dismissed, stillShown };

// What giving an alarm takes from the window: the clock, the sound, the beep and the message.
class AlarmServices {
public:
    // The minute of the local day now, 0 to 1439.
    virtual int currentMinuteOfDay() = 0;
    // Starts the sound file; false when it did not start.
    virtual bool playSound(const std::string& fileName) = 0;
    virtual bool soundOpen() const = 0;
    virtual void stopSound() = 0;
    virtual void beep() = 0;
    // Shows the alarm: a modal warning, inside which the checks go on, returns once it is
    // dismissed; a notification returns at once.
    virtual AlarmShown showAlarm(const AlarmNotice& alarm) = 0;

protected:
    AlarmServices() = default;
    AlarmServices(const AlarmServices&) = default;
    AlarmServices& operator=(const AlarmServices&) = default;
    ~AlarmServices() = default;
};

// What the check remembers from one run to the next: the minute it last looked at, so that
// minutes passed without a check (a suspended computer, a busy window) are not lost.
struct AlarmCheckState {
    std::optional<int> lastCheckedMinute;  // none before the first check
};

// The alarm check, run whenever the event queue has become empty. Each row of `dayPanels`,
// the rows shown for `selectedDate`,
// whose start (before alarm) or end (after alarm) falls on the current hour and minute gives
// its type's alarm once: the row is marked fired, the type's sound plays (the beep when it
// cannot), the warning names the type, and the sound stops when the warning is dismissed (a
// notification stops it when it ends).
// Only the hour and minute are compared, whatever date the rows belong to.
//
// A row whose minute passed after the last check and before this one, on the same day, gives
// its alarm now, saying when it was due ("Alarm for Work (due at 09:00)"). The first check
// gives only the current minute: nothing from before the program started.
//
// Checks run again while a warning is open and may give other rows' alarms, whose sound
// replaces the one playing on the one player. A warning dismissed after a later alarm has
// already closed the player leaves it alone, so no "No MCI device open" follows and no sound
// outlives the last warning.
//
// Rows whose appointment or type is missing give nothing. Nothing is allocated unless an
// alarm is given.
void checkAlarms(const Model& model, AlarmServices& services, AlarmCheckState& state);

// Gives one alarm: plays `soundFile` (the beep when it cannot), shows the alarm and, once a
// modal warning is dismissed, stops the sound unless a nested alarm has closed it already.
void giveAlarm(AlarmServices& services, const std::string& soundFile, const AlarmNotice& alarm);

}  // namespace kalvo
