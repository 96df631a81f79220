#include "alarms/AlarmCheck.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "FakeSoundPlayer.h"
#include "alarms/Sound.h"
#include "day/DayModel.h"
#include "day/DayPlacement.h"
#include "support/TemporaryFolder.h"

namespace kalvo {
namespace {

using Calls = std::vector<std::string>;

// The window's side of the alarms over a fake player and a clock set by the test; what the
// user would hear and see is recorded in order.
class RecordingServices final : public AlarmServices {
public:
    int minute = 0;
    Calls calls;
    test::FakeSoundPlayer player;
    std::function<void()> whileWarningOpen;  // the checks that run inside the modal message

    int currentMinuteOfDay() override { return minute; }
    bool playSound(const std::string& fileName) override {
        const bool started = kalvo::playSound(player, fileName);
        calls.push_back((started ? "play " : "cannot play ") + fileName);
        return started;
    }
    bool soundOpen() const override { return player.isOpen(); }
    void stopSound() override {
        const auto report = kalvo::stopSound(player);
        calls.push_back(report ? "stop failed: " + *report : "stop");
    }
    void beep() override { calls.push_back("beep"); }
    AlarmShown showAlarm(const AlarmNotice& alarm) override {
        calls.push_back("warning " + alarm.text);
        if (whileWarningOpen) {
            std::function<void()> nested = std::move(whileWarningOpen);
            nested();
        }
        calls.push_back("dismissed " + alarm.text);
        return AlarmShown::dismissed;
    }
};

class AlarmCheckTest : public ::testing::Test {
protected:
    EventType& type(const std::string& name, bool before, bool after) {
        auto type = std::make_unique<EventType>();
        type->name = name;
        type->beforeAlarm = before;
        type->afterAlarm = after;
        type->beforeAlarmFile = type->afterAlarmFile = bell;
        return *day.model.types.emplace_back(std::move(type));
    }

    EventDataRow& watch(EventType& type, int startMinute, int endMinute, DateTime date = today) {
        EventDataRow& row = day.add(nullptr, date, date, startMinute, endMinute);
        row.event->type = &type;
        day.model.dayPanels.push_back(&row);
        return row;
    }

    Calls checkAt(int minute) {
        services.minute = minute;
        services.calls.clear();
        checkAlarms(day.model, services, state);
        return services.calls;
    }

    static constexpr int at10_15 = 10 * 60 + 15;
    static inline const DateTime today = test::dateOf(2026, 12, 9);
    test::TemporaryFolder folder;
    const std::string bell = folder.file("bell.wav");
    test::DayModel day;
    RecordingServices services;
    AlarmCheckState state;

    void SetUp() override { test::writeFileText(bell, "RIFF"); }
};

TEST_F(AlarmCheckTest, ABeforeAlarmComesOnceInItsMinute) {
    watch(type("Meeting", true, false), at10_15, at10_15 + 30);
    const Calls alarm = {"play " + bell, "warning Alarm for Meeting", "dismissed Alarm for Meeting",
                         "stop"};
    EXPECT_EQ(checkAt(at10_15 - 1), Calls{});
    EXPECT_EQ(checkAt(at10_15), alarm);
    EXPECT_EQ(checkAt(at10_15), Calls{}) << "later checks in the minute give nothing";
    EXPECT_EQ(checkAt(at10_15 + 30), Calls{}) << "the type asks for no after alarm";

    // A day build puts the row in place again and so lets its alarm come again.
    DayPlacement placement;
    day.model.selectedDate = today;
    static_cast<void>(buildDay(day.model, placement));
    ASSERT_EQ(day.model.dayPanels.size(), 1U);
    EXPECT_EQ(checkAt(at10_15), alarm);
}

TEST_F(AlarmCheckTest, OnlyHourAndMinuteAreCompared) {
    EventType& review = type("Review", false, true);
    watch(review, 600, 23 * 60, today - 30);  // a row of another date
    EventDataRow& row = watch(review, 600, 23 * 60);
    row.endTime += 59.0 / 86400;  // seconds do not count
    EXPECT_EQ(checkAt(23 * 60), (Calls{"play " + bell, "warning After Alarm for Review",
                                       "dismissed After Alarm for Review", "stop", "play " + bell,
                                       "warning After Alarm for Review",
                                       "dismissed After Alarm for Review", "stop"}));
}

TEST_F(AlarmCheckTest, ARowStartingAndEndingInOneMinuteGivesBothAlarmsInTurn) {
    EventType& both = type("Call", true, true);
    watch(both, at10_15, at10_15);
    EXPECT_EQ(checkAt(at10_15),
              (Calls{"play " + bell, "warning Alarm for Call", "dismissed Alarm for Call", "stop",
                     "play " + bell, "warning After Alarm for Call",
                     "dismissed After Alarm for Call", "stop"}));
}

TEST_F(AlarmCheckTest, ASoundThatCannotPlayGivesTheBeep) {
    EventType& quiet = type("Quiet", true, false);
    quiet.beforeAlarmFile = "";
    watch(quiet, at10_15, at10_15 + 5);
    EXPECT_EQ(checkAt(at10_15), (Calls{"cannot play ", "beep", "warning Alarm for Quiet",
                                       "dismissed Alarm for Quiet"}));
}

TEST_F(AlarmCheckTest, RowsWithoutAppointmentOrTypeGiveNothing) {
    EventDataRow& untyped = watch(type("Gone", true, true), at10_15, at10_15);
    untyped.event->type = nullptr;
    EventDataRow& orphan = watch(type("Orphan", true, true), at10_15, at10_15);
    orphan.event = nullptr;
    EXPECT_EQ(checkAt(at10_15), Calls{});
}

TEST_F(AlarmCheckTest, NestedChecksShareThePlayerWithoutSpuriousReports) {
    // One appointment ends and the next begins at 10:00; the second alarm comes from a check
    // that runs while the first message is open.
    watch(type("Study", false, true), 540, 600);
    EventDataRow& next = watch(type("Lunch", true, false), 600, 660);
    const std::string other = folder.file("gong.mp3");
    test::writeFileText(other, "ID3");
    next.event->type->beforeAlarmFile = other;
    services.whileWarningOpen = [this] {
        EXPECT_TRUE(day.model.dayPanels[0]->afterAlarmFired) << "fired before the message";
        checkAlarms(day.model, services, state);
    };
    EXPECT_EQ(checkAt(600), (Calls{"play " + bell, "warning After Alarm for Study", "play " + other,
                                   "warning Alarm for Lunch", "dismissed Alarm for Lunch", "stop",
                                   "dismissed After Alarm for Study"}));
    EXPECT_FALSE(services.player.isOpen()) << "no sound outlives the last message";

    // When the nested alarm could not play, the first sound is still open and is stopped by
    // its own message.
    DayPlacement placement;
    day.model.selectedDate = today;
    static_cast<void>(buildDay(day.model, placement));
    next.event->type->beforeAlarmFile = folder.file("missing.wav");
    services.whileWarningOpen = [this] { checkAlarms(day.model, services, state); };
    EXPECT_EQ(checkAt(600),
              (Calls{"play " + bell, "warning After Alarm for Study",
                     "cannot play " + folder.file("missing.wav"), "beep", "warning Alarm for Lunch",
                     "dismissed Alarm for Lunch", "dismissed After Alarm for Study", "stop"}));
}

TEST_F(AlarmCheckTest, AlarmsWhoseMinutePassedBetweenChecksComeLateOnce) {
    struct Case {
        const char* what;
        std::vector<int> checks;  // minutes of the day, in the order the checks run
        std::vector<std::string> warnings;
    };
    const Case cases[] = {
        {"every minute checked", {539, 540, 541, 720}, {"Alarm for Work", "After Alarm for Work"}},
        {"suspended over 09:00", {538, 545, 546}, {"Alarm for Work (due at 09:00)"}},
        {"blocked over both",
         {539, 725, 726},
         {"Alarm for Work (due at 09:00)", "After Alarm for Work (due at 12:00)"}},
        {"started after 09:00", {545, 546}, {}},
        {"on time, then the clock jumps",
         {540, 800},
         {"Alarm for Work", "After Alarm for Work (due at 12:00)"}},
        {"past midnight", {1430, 545}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        day = test::DayModel{};
        state = AlarmCheckState{};
        watch(type("Work", true, true), 540, 720);
        std::vector<std::string> warnings;
        for (const int minute : c.checks) {
            for (const std::string& call : checkAt(minute)) {
                if (call.starts_with("warning ")) {
                    warnings.push_back(call.substr(8));
                }
            }
        }
        EXPECT_EQ(warnings, c.warnings);
    }
}

}  // namespace
}  // namespace kalvo
