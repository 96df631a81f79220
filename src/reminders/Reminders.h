#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "alarms/AlarmCheck.h"
#include "model/Model.h"

namespace kalvo {

inline constexpr int kSnoozeMinutes = 5;

// A snoozed alarm that has come round again, with the sound its type now asks for.
struct DueAlarm {
    AlarmNotice notice;
    std::string soundFile;
};

// The alarms shown as desktop notifications, which stay on screen while the window goes on:
// which of them owns the one player's sound, and which were snoozed to come again. The window
// tells it what the user did with each notification and gives what it says.
class Reminders {
public:
    using AlarmId = std::uint64_t;

    // Another alarm's sound has started on the one player: no shown alarm's sound plays now.
    void soundTaken() { soundOwner_.reset(); }
    // An alarm is now shown until the user ends it; its sound, if it started, is its own.
    AlarmId shown(AlarmNotice notice, bool soundStarted);
    // What a shown alarm says; none once it has ended.
    const AlarmNotice* notice(AlarmId alarm) const;
    // The alarm ended (dismissed, closed, timed out). True when the sound playing is its own
    // and is to stop. An alarm that has already ended ends nothing.
    bool end(AlarmId alarm);
    // The alarm ends and comes again kSnoozeMinutes after `now`. True when its sound is to
    // stop. An alarm that has already ended is not snoozed.
    bool snooze(AlarmId alarm, DateTime now);

    // Takes the snoozed alarms due at `now` out of the queue, in the order they fall due, and
    // returns those whose occurrence still exists with the same start (before alarm) or end
    // (after alarm) and whose type still asks for the alarm; the others, deleted or moved
    // since, are dropped.
    std::vector<DueAlarm> takeDue(DateTime now, const Model& model);
    // When the next snoozed alarm is due, if any is.
    std::optional<DateTime> nextDue() const;

private:
    struct Snoozed {
        AlarmNotice notice;
        DateTime due = 0;
    };
    std::map<AlarmId, AlarmNotice> shown_;
    std::optional<AlarmId> soundOwner_;
    std::vector<Snoozed> snoozed_;
    AlarmId nextId_ = 1;
};

// The first occurrence of `date` (day order) that starts at `fromMinute` or later, for the
// tray's "next appointment"; deleted rows do not count.
struct UpcomingAppointment {
    std::string typeName;
    std::string comment;
    int startMinute = 0;
    int endMinute = 0;
};
std::optional<UpcomingAppointment> nextAppointment(const Model& model, DateTime date,
                                                   int fromMinute);

}  // namespace kalvo
