// Alarms that reach the desktop: notifications through a stand-in notification service on the
// private session bus that dbus-run-session gives this test, snoozes, and the tray.
#include <gtest/gtest.h>

#include <QAction>
#include <QCalendarWidget>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <sstream>

#include "AlarmDatabase.h"
#include "ModalAnswer.h"
#include "QuietWindow.h"
#include "RunIdle.h"
#include "alarms/FakeSoundPlayer.h"
#include "app/TForm1.h"
#include "support/DatabaseFiles.h"

namespace kalvo {
namespace {

using test::runIdle;
using test::runIdleAWhile;

// The desktop's notification service as the org.freedesktop.Notifications interface is
// described, on a connection of its own: it records every notification and sends the
// signals a user's clicks would.
class StandInNotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Notification {
        uint id;
        QString appName;
        QString appIcon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
    };

    StandInNotificationService()
        : bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                             QStringLiteral("stand-in notifications"))) {
        EXPECT_TRUE(bus_.isConnected()) << "run under dbus-run-session";
        EXPECT_TRUE(bus_.registerObject(kPath, this, QDBusConnection::ExportAllSlots));
        EXPECT_TRUE(bus_.registerService(kService));
    }
    ~StandInNotificationService() override {
        bus_.unregisterService(kService);
        bus_.unregisterObject(kPath);
        QDBusConnection::disconnectFromBus(bus_.name());
    }

    std::vector<Notification> shown;
    std::vector<uint> closeRequests;

    // What the user's clicks on a notification send.
    void invoke(uint id, const QString& action) {
        send(QStringLiteral("ActionInvoked"), {id, action});
    }
    void closedBy(uint id, uint reason) {
        send(QStringLiteral("NotificationClosed"), {id, reason});
    }

public slots:
    uint Notify(const QString& appName, uint, const QString& appIcon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int) {
        const uint id = static_cast<uint>(shown.size()) + 1;
        shown.push_back({id, appName, appIcon, summary, body, actions, hints});
        return id;
    }
    void CloseNotification(uint id) {
        closeRequests.push_back(id);
        closedBy(id, 3);
    }
    QStringList GetCapabilities() { return {QStringLiteral("actions"), QStringLiteral("body")}; }

private:
    void send(const QString& signal, const QVariantList& arguments) {
        QDBusMessage message = QDBusMessage::createSignal(kPath, kService, signal);
        message.setArguments(arguments);
        bus_.send(message);
    }

    inline static const QString kService = QStringLiteral("org.freedesktop.Notifications");
    inline static const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
    QDBusConnection bus_;
};

using Calls = std::vector<std::string>;

// Work 09:00-12:00, with a comment, and Lunch 12:00-13:00 every day, with alarms
// (writeAlarmDatabase).
class DesktopAlarmsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeAlarmDatabase(folder.path(), bell, gong, "Quarterly &amp; yearly");
    }

    void openWindow(bool withTray = false) {
        auto fakePlayer = std::make_unique<test::FakeSoundPlayer>();
        player = fakePlayer.get();
        window = test::showQuietWindow(
            store, settings, folder.path(),
            WindowPlatform{.soundPlayer = std::move(fakePlayer),
                           .currentTime = [this] { return clock; },
                           .currentDate = [this] { return date; },
                           .beep = [] {},
                           .systemTrayAvailable = [withTray] { return withTray; },
                           .quitApplication = [this] { ++quits; }});
    }

    std::string savedEventData() const {
        std::ifstream file(folder.file("EventData.xml"), std::ios::binary);
        std::stringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
    }
    QAction* trayCommand(const char* text) const {
        auto* menu = window->findChild<QMenu*>(QStringLiteral("popupMenuTray"));
        EXPECT_NE(menu, nullptr) << "no tray menu";
        for (QAction* action : menu->actions()) {
            if (action->text() == QLatin1String(text)) {
                return action;
            }
        }
        ADD_FAILURE() << "no tray command " << text;
        return nullptr;
    }

    test::TemporaryFolder folder;
    const std::string bell = folder.file("bell.wav");
    const std::string gong = folder.file("gong.mp3");
    test::FakeSettingsStore store;
    ProgrammSettings settings;
    test::FakeSoundPlayer* player = nullptr;
    QTime clock{8, 0, 30};
    QDate date = QDate::currentDate();
    int quits = 0;
    std::unique_ptr<TForm1> window;
};

TEST_F(DesktopAlarmsTest, AnAlarmIsANotificationWithItsTimesAndCommentAndDismissStopsItsSound) {
    StandInNotificationService service;
    openWindow();
    runIdleAWhile(300);
    EXPECT_TRUE(service.shown.empty()) << "nothing starts at 08:00";

    clock = QTime(9, 0, 59);
    runIdle([&] { return !service.shown.empty(); });
    ASSERT_EQ(service.shown.size(), 1U);
    const auto& alarm = service.shown[0];
    EXPECT_EQ(alarm.summary, "Alarm for Work");
    EXPECT_EQ(alarm.appName, "Kalvo Planner");
    EXPECT_EQ(alarm.appIcon, "com.example.KalvoPlanner");
    EXPECT_TRUE(alarm.hints.contains("image-data")) << "the icon also for a program not installed";
    EXPECT_EQ(alarm.body, "09:00–12:00\nQuarterly &amp; yearly") << "escaped for markup";
    EXPECT_EQ(alarm.actions, (QStringList{"snooze", "Snooze 5 Minutes", "dismiss", "Dismiss"}));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the window goes on working";
    EXPECT_EQ(player->calls, (Calls{"open " + bell, "play"}));

    runIdleAWhile(300);
    EXPECT_EQ(service.shown.size(), 1U) << "given once in its minute";
    service.invoke(alarm.id, "dismiss");
    runIdle([&] { return player->calls.size() == 4; });
    EXPECT_EQ(player->calls, (Calls{"open " + bell, "play", "stop", "close"}));
    EXPECT_EQ(service.closeRequests, std::vector<uint>{alarm.id});
}

TEST_F(DesktopAlarmsTest, SnoozeGivesTheAlarmAgainFiveMinutesLaterWhateverDayIsShown) {
    StandInNotificationService service;
    openWindow();
    clock = QTime(9, 0, 30);
    runIdle([&] { return service.shown.size() == 1; });
    ASSERT_EQ(service.shown.size(), 1U);
    service.invoke(service.shown[0].id, "snooze");
    runIdle([&] { return player->calls.size() == 4; });
    EXPECT_EQ(player->calls, (Calls{"open " + bell, "play", "stop", "close"}));

    window->calendar->setSelectedDate(date.addDays(3));  // another day shown meanwhile
    clock = QTime(9, 5, 29);
    runIdleAWhile(300);
    EXPECT_EQ(service.shown.size(), 1U) << "not before five minutes";
    clock = QTime(9, 5, 30);
    runIdle([&] { return service.shown.size() == 2; });
    ASSERT_EQ(service.shown.size(), 2U);
    EXPECT_EQ(service.shown[1].summary, "Alarm for Work");
    EXPECT_EQ(player->calls.back(), "play") << "with its sound again";

    // Snoozed once more, then its appointment moved: the snooze is dropped.
    service.invoke(service.shown[1].id, "snooze");
    runIdle([&] { return service.closeRequests.size() == 2; });
    window->calendar->setSelectedDate(date);
    runIdleAWhile(300);  // the day is built once the calendar's change is handled
    ASSERT_NE(window->model().selectedPanel, nullptr);
    window->actionShiftUpEventData->trigger();  // Lunch follows at once: earlier
    clock = QTime(9, 11);
    runIdleAWhile(300);
    EXPECT_EQ(service.shown.size(), 2U);
}

TEST_F(DesktopAlarmsTest, AlarmsOfOneMinuteEachGetANotificationAndOnlyTheLastSoundStops) {
    openWindow();
    StandInNotificationService service;  // started after the window, as the bus starts one
    clock = QTime(12, 0);
    runIdle([&] { return service.shown.size() == 2; });
    runIdleAWhile(300);
    ASSERT_EQ(service.shown.size(), 2U) << "none lost, none given twice";
    EXPECT_EQ(service.shown[0].summary, "After Alarm for Work");
    EXPECT_EQ(service.shown[1].summary, "Alarm for Lunch");
    EXPECT_EQ(player->calls, (Calls{"open " + bell, "play", "open " + gong, "play"}));

    service.closedBy(service.shown[0].id, 2);  // Work's closed: Lunch's sound plays on
    runIdleAWhile(300);
    EXPECT_TRUE(player->isOpen());
    service.closedBy(service.shown[1].id, 1);  // Lunch's timed out
    runIdle([&] { return !player->isOpen(); });
    EXPECT_EQ(player->calls.back(), "close");
}

TEST_F(DesktopAlarmsTest, WithoutTheServiceOrWithMessageBoxesChosenTheWarningBoxShowsTheAlarm) {
    for (const bool serviceRuns : {false, true}) {
        SCOPED_TRACE(serviceRuns ? "message boxes chosen" : "no service on the bus");
        std::unique_ptr<StandInNotificationService> service;
        if (serviceRuns) {
            service = std::make_unique<StandInNotificationService>();
            store.key("Software\\Kalvo Planner\\Reminders")["DesktopNotifications"] = 0;
        }
        openWindow();
        test::MessageBoxAnswerer answerer;
        clock = QTime(9, 0, 59);
        runIdle([&] { return !answerer.dismissed.empty(); });
        ASSERT_EQ(answerer.dismissed.size(), 1U);
        EXPECT_EQ(answerer.dismissed[0].text, "Alarm for Work");
        EXPECT_EQ(player->calls, (Calls{"open " + bell, "play", "stop", "close"}));
        if (service) {
            EXPECT_TRUE(service->shown.empty());
        }
        window.reset();
        clock = QTime(8, 0, 30);
    }
}

TEST_F(DesktopAlarmsTest, KeptInTheTrayTheClosedWindowSavesHidesAndGivesAlarmsUntilQuit) {
    StandInNotificationService service;
    store.key("Software\\Kalvo Planner\\Reminders")["KeepRunningInTray"] = 1;
    openWindow(true);
    auto* memo = window->findChild<QPlainTextEdit*>("memoEventDataComment");
    window->pageControl->setCurrentWidget(window->sheetEvent);
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(memo, " Q4");

    EXPECT_FALSE(window->close()) << "the window stays, hidden";
    EXPECT_FALSE(window->isVisible());
    EXPECT_NE(savedEventData().find("Quarterly &amp; yearly Q4"), std::string::npos)
        << "saved as closing saves";
    clock = QTime(9, 0, 59);
    runIdle([&] { return !service.shown.empty(); });
    ASSERT_EQ(service.shown.size(), 1U) << "the alarm still comes";
    EXPECT_EQ(quits, 0);

    trayCommand("&Show Kalvo Planner")->trigger();
    EXPECT_TRUE(window->isVisible());
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(memo, "!");
    trayCommand("&Quit")->trigger();
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(window->isVisible());
    EXPECT_NE(savedEventData().find("Quarterly &amp; yearly Q4!"), std::string::npos)
        << "Quit saves as closing does";
}

}  // namespace
}  // namespace kalvo

#include "DesktopAlarmsTest.moc"
