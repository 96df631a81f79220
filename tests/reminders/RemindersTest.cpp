#include "reminders/Reminders.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "day/DayModel.h"

namespace kalvo {
namespace {

constexpr DateTime kOneMinute = 1.0 / 1440;
const DateTime today = test::dateOf(2026, 12, 10);

class RemindersTest : public ::testing::Test {
public:
    // Work from 10:15 to 11:00 every day since a week ago, with both alarms.
    void SetUp() override {
        day = test::DayModel{};
        auto type = std::make_unique<EventType>();
        type->name = "Work";
        type->beforeAlarm = type->afterAlarm = true;
        type->beforeAlarmFile = "bell.wav";
        type->afterAlarmFile = "gong.wav";
        work = model().types.emplace_back(std::move(type)).get();
        row = &day.add(nullptr, today - 7, 0, 615, 660);
        row->event->type = work;
    }

    Model& model() { return day.model; }
    AlarmNotice noticeOf(AlarmKind kind) const {
        return {.text = kind == AlarmKind::before ? "Alarm for Work" : "After Alarm for Work",
                .kind = kind,
                .eventId = row->event->id,
                .date = today,
                .startMinute = 615,
                .endMinute = 660,
                .comment = "Report"};
    }

    test::DayModel day;
    EventType* work = nullptr;
    EventDataRow* row = nullptr;
    Reminders reminders;
};

TEST_F(RemindersTest, OnlyTheAlarmWhoseSoundPlaysStopsItWhenItEndsAndOnlyOnce) {
    const auto first = reminders.shown(noticeOf(AlarmKind::before), true);
    reminders.soundTaken();  // a second alarm's sound replaces the first one's
    const auto second = reminders.shown(noticeOf(AlarmKind::after), true);
    const auto silent = reminders.shown(noticeOf(AlarmKind::before), false);

    EXPECT_FALSE(reminders.end(first)) << "its sound was replaced";
    EXPECT_FALSE(reminders.end(silent));
    EXPECT_EQ(reminders.notice(second)->text, "After Alarm for Work");
    EXPECT_TRUE(reminders.end(second));
    EXPECT_FALSE(reminders.end(second)) << "a closing reported after Dismiss ends nothing";
    EXPECT_EQ(reminders.notice(second), nullptr);
    EXPECT_FALSE(reminders.snooze(second, today)) << "nor is an ended alarm snoozed";
    EXPECT_EQ(reminders.nextDue(), std::nullopt);
}

TEST_F(RemindersTest, ASnoozedAlarmComesBackFiveMinutesLaterOnce) {
    const DateTime pressed = today + (615 + 0.5) * kOneMinute;  // 10:15:30
    const auto alarm = reminders.shown(noticeOf(AlarmKind::before), true);
    EXPECT_TRUE(reminders.snooze(alarm, pressed)) << "snoozing stops its sound";
    EXPECT_EQ(reminders.nextDue(), pressed + 5 * kOneMinute);

    EXPECT_TRUE(reminders.takeDue(pressed + 4.9 * kOneMinute, model()).empty());
    model().selectedDate = today + 3;  // another day shown meanwhile
    const std::vector<DueAlarm> due = reminders.takeDue(pressed + 5 * kOneMinute, model());
    ASSERT_EQ(due.size(), 1U);
    EXPECT_EQ(due[0].notice, noticeOf(AlarmKind::before));
    EXPECT_EQ(due[0].soundFile, "bell.wav");
    EXPECT_TRUE(reminders.takeDue(pressed + 10 * kOneMinute, model()).empty());
    EXPECT_EQ(reminders.nextDue(), std::nullopt);

    // Snoozed again when it comes back, as often as the user presses it.
    const auto again = reminders.shown(due[0].notice, false);
    EXPECT_FALSE(reminders.snooze(again, pressed + 5 * kOneMinute));
    EXPECT_EQ(reminders.takeDue(pressed + 10 * kOneMinute, model()).size(), 1U);
}

TEST_F(RemindersTest, ASnoozedAlarmWhoseOccurrenceChangedIsDropped) {
    struct Case {
        const char* what;
        AlarmKind kind;
        std::function<void(RemindersTest&)> change;
        bool comesBack;
    };
    const Case cases[] = {
        {"unchanged", AlarmKind::before, [](RemindersTest&) {}, true},
        {"the end moved, the before alarm stays", AlarmKind::before,
         [](RemindersTest& t) { t.row->endTime += 15 * kOneMinute; }, true},
        {"the start moved", AlarmKind::before,
         [](RemindersTest& t) { t.row->startTime += kOneMinute; }, false},
        {"the end moved", AlarmKind::after, [](RemindersTest& t) { t.row->endTime -= kOneMinute; },
         false},
        {"the day deleted", AlarmKind::before, [](RemindersTest& t) { t.row->deleted = true; },
         false},
        {"the appointment gone", AlarmKind::after,
         [](RemindersTest& t) { t.model().events.front()->id = 99; }, false},
        {"the type's alarm off", AlarmKind::after,
         [](RemindersTest& t) { t.work->afterAlarm = false; }, false},
        {"the series ends before the day", AlarmKind::before,
         [](RemindersTest& t) { t.row->endDate = today - 1; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        Reminders queue;
        queue.snooze(queue.shown(noticeOf(c.kind), true), today);
        c.change(*this);
        EXPECT_EQ(queue.takeDue(today + 6 * kOneMinute, model()).size(), c.comesBack ? 1U : 0U);
        EXPECT_EQ(queue.nextDue(), std::nullopt) << "taken out either way";
    }
}

TEST_F(RemindersTest, TheNextAppointmentIsTheEarliestStartFromNowOn) {
    day.add(nullptr, today, today, 720, 780).event->type = work;    // 12:00
    EventDataRow& gone = day.add(nullptr, today, today, 690, 700);  // 11:30, deleted
    gone.event->type = work;
    gone.deleted = true;
    EventDataRow& call = day.add(row->event, today, today, 700, 710);  // 11:40, inside Work
    call.event->type = work;
    call.comment = "Call Anna";

    const auto at = [&](int minute) { return nextAppointment(model(), today, minute); };
    EXPECT_EQ(at(600)->startMinute, 615);
    EXPECT_EQ(at(616)->comment, "Call Anna") << "a sub-appointment counts, a deleted day not";
    EXPECT_EQ(at(701)->startMinute, 720);
    EXPECT_EQ(at(721), std::nullopt);
    EXPECT_EQ(nextAppointment(model(), today - 8, 0), std::nullopt) << "before the series";
}

}  // namespace
}  // namespace kalvo
