#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Model.h"

namespace kalvo {

// The warnings' texts open with these, followed by the type's name.
inline constexpr std::string_view kBeforeAlarmText = "Alarm for ";
inline constexpr std::string_view kAfterAlarmText = "After Alarm for ";

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
    // Shows the modal warning and returns once it is dismissed. The checks go on inside it.
    virtual void showWarning(const std::string& text) = 0;

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

// The alarm check, run whenever the event queue has become empty. Each row of `dayPanels`
// whose start (before alarm) or end (after alarm) falls on the current hour and minute gives
// its type's alarm once: the row is marked fired, the type's sound plays (the beep when it
// cannot), the warning names the type, and the sound stops when the warning is dismissed.
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
void checkAlarms(const std::vector<EventDataRow*>& dayPanels, AlarmServices& services,
                 AlarmCheckState& state);

}  // namespace kalvo
