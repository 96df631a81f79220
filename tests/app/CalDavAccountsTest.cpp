#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <memory>
#include <optional>

#include "ModalAnswer.h"
#include "QuietWindow.h"
#include "app/CalDavAccountDialog.h"
#include "app/CalendarsDialog.h"
#include "app/PublishConflictsView.h"
#include "app/TForm1.h"
#include "calendars/Subscriptions.h"
#include "day/widgets/DayView.h"
#include "gui/CalDavClient.h"
#include "settings/FakeSettingsStore.h"
#include "support/CalDavServer.h"
#include "support/DatabaseFiles.h"

namespace kalvo {
namespace {

using test::CalDavServer;

// Answers every password question with `password` while it lives, counting them. No secret store
// answers in the tests: they run without a session bus.
class PasswordAnswers {
public:
    explicit PasswordAnswers(QString password) : password_(std::move(password)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            if (dialog != nullptr && dialog->objectName() == QStringLiteral("passwordDialog")) {
                ++asked;
                lastQuestion = dialog->labelText();
                dialog->setTextValue(password_);
                dialog->accept();
            }
        });
        timer_.start(20);
    }

    int asked = 0;
    QString lastQuestion;

private:
    QString password_;
    QTimer timer_;
};

// Ann's CalDAV server, which checks her password, with a review today in her Work calendar.
class CalDavAccountsTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(cache.path().string()));
        test::writeDatabase(database.path(), "<ROW Id=\"0\" Name=\"Work\"/>", "", "");
        server.makeCalendar("work", "Work", "#3A7AC0FF");
        const QString day = QDate::currentDate().toString("yyyyMMdd");
        server.putEvent(
            "work", "review",
            test::calendarEvent("review", "Design review", day + "T090000", day + "T103000"));
    }
    void TearDown() override { qunsetenv("XDG_CACHE_HOME"); }

    std::vector<QString> shownEvents() const {
        std::vector<QString> shown;
        for (QWidget* mark : window->panelMain->findChildren<QWidget*>("otherCalendarEvent")) {
            if (!mark->isHidden()) {
                shown.push_back(mark->accessibleName());
            }
        }
        return shown;
    }

    // Tools > Other Calendars > Add CalDAV Account, as a user fills it in.
    void addAccount(const QString& address, const QString& user, const QString& password) {
        test::whenOpen<CalendarsDialog>([&](CalendarsDialog& calendars) {
            test::whenOpen<CalDavAccountDialog>([&](CalDavAccountDialog& account) {
                QTest::keyClicks(account.editAddress, address);
                QTest::keyClicks(account.editUser, user);
                QTest::keyClicks(account.editPassword, password);
                QTest::mouseClick(account.buttonFind, Qt::LeftButton);
                ASSERT_TRUE(
                    QTest::qWaitFor([&] { return account.listFound->count() == 1; }, 10000));
                EXPECT_EQ(account.listFound->item(0)->text(), "Work");
                EXPECT_EQ(account.listFound->item(0)->checkState(), Qt::Checked);
                QTest::keyClick(&account, Qt::Key_Return);
            });
            QTest::mouseClick(calendars.buttonAddAccount, Qt::LeftButton);
            ASSERT_EQ(calendars.listCalendars->count(), 1);
            EXPECT_EQ(calendars.listCalendars->item(0)->text(), "Work");
            calendars.accept();
        });
        window->actionCalendars->trigger();
    }

    // Appointments of Work today, one an hour from each of `startHours`.
    void writeTodaysWork(const std::vector<int>& startHours) {
        const std::string today = QDate::currentDate().toString("yyyyMMdd").toStdString();
        std::string events;
        std::string rows;
        for (std::size_t id = 0; id < startHours.size(); ++id) {
            const std::string row = std::to_string(id);
            const auto at = [&](int hour) {
                return today + "T" + (hour < 10 ? "0" : "") + std::to_string(hour) + ":00:00000";
            };
            events += "<ROW Id=\"" + row + "\" TypeId=\"0\"/>";
            rows += "<ROW Id=\"" + row + "\" EventId=\"" + row + "\" StartDate=\"" + today +
                    "\" EndDate=\"" + today + "\" StartTime=\"" + at(startHours[id]) +
                    "\" EndTime=\"" + at(startHours[id] + 1) + "\"/>";
        }
        test::writeDatabase(database.path(), "<ROW Id=\"0\" Name=\"Work\"/>", events, rows);
    }

    // The window opened, publishing to the CalDAV calendar at `url`.
    void openPublishingTo(const std::string& url) {
        saveSubscriptions(store, {{"Plan", url, subscriptionColor(0), false, true, "ann"}});
        savePublishTarget(store, {url, "ann", 30, 365, true});
        window = test::showQuietWindow(store, settings, database.path());
    }

    // Whether the status bar comes to say something that starts with `start`.
    bool statusComes(const QString& start) {
        return QTest::qWaitFor(
            [&] { return window->statusBar()->currentMessage().startsWith(start); }, 10000);
    }

    test::TemporaryFolder cache;
    test::TemporaryFolder database;
    CalDavServer server{CalDavServer::Kind::radicale, {true, {}}};
    test::FakeSettingsStore store;
    ProgrammSettings settings;
    std::unique_ptr<TForm1> window;
};

TEST_F(CalDavAccountsTest, AnAccountsCalendarIsShownBesideTheDayAndFromTheCacheOnTheNextStart) {
    window = test::showQuietWindow(store, settings, database.path());
    // The user name and password written into the address go into their fields.
    addAccount(server.address().replace("://", "://ann:secret@"), "", "");
    ASSERT_TRUE(QTest::qWaitFor([&] { return shownEvents().size() == 1U; }, 10000));
    EXPECT_TRUE(shownEvents()[0].startsWith("Design review, 09:00"))
        << shownEvents()[0].toStdString();
    const std::vector<Subscription> kept = loadSubscriptions(store);
    ASSERT_EQ(kept.size(), 1U);
    EXPECT_TRUE(kept[0].calDav);
    EXPECT_EQ(kept[0].user, "ann");
    EXPECT_EQ(kept[0].source.find("secret"), std::string::npos) << kept[0].source;
    EXPECT_EQ(store.key("Software\\Kalvo Planner\\Calendars").count("Password1"), 0U);

    // The calendar emptied on the server empties only its copy: no appointment changes.
    server.deleteEvent("work", "review");
    window->actionRefresh->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return shownEvents().size() == 0U; }, 10000));
    EXPECT_FALSE(window->actionUndo->isEnabled());

    // Next run: the cache shows the calendar before the network answers; no secret store
    // answers, so the password is asked once.
    server.putEvent("work", "review",
                    test::calendarEvent("review", "Design review, again",
                                        QDate::currentDate().toString("yyyyMMdd") + "T090000",
                                        QDate::currentDate().toString("yyyyMMdd") + "T100000"));
    window.reset();
    PasswordAnswers answers("secret");
    window = test::showQuietWindow(store, settings, database.path());
    EXPECT_TRUE(shownEvents().empty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return shownEvents().size() == 1U; }, 10000));
    EXPECT_EQ(answers.asked, 1);
    EXPECT_TRUE(answers.lastQuestion.startsWith("No secret store answers"))
        << answers.lastQuestion.toStdString();
    window->actionRefresh->trigger();
    QTest::qWait(300);
    EXPECT_EQ(answers.asked, 1);
}

TEST_F(CalDavAccountsTest, AWrongPasswordIsAskedForAgainOnceAndNeverInALoop) {
    saveSubscriptions(store, {{"Work", server.calendarUrl("work").toStdString(),
                               subscriptionColor(0), true, true, "ann"}});
    PasswordAnswers answers("wrong");
    window = test::showQuietWindow(store, settings, database.path());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window->statusBar()->currentMessage().contains("refused the password"); },
        10000));
    // Asked for lack of a secret store, then once more when refused.
    EXPECT_EQ(answers.asked, 2);
    window->actionRefresh->trigger();
    QTest::qWait(500);
    EXPECT_EQ(answers.asked, 2);
    EXPECT_TRUE(shownEvents().empty());
}

// The calendar's resources on the server, by href, as a sync brings them.
std::size_t resourcesOn(const QString& url) {
    CalDavClient client(QStringLiteral("ann"), QStringLiteral("secret"));
    std::optional<std::size_t> count;
    QObject::connect(&client, &CalDavClient::synced,
                     [&](const std::string&, const CalDavSync& sync) {
                         count = sync.result().resources.size();
                     });
    client.sync(url.toStdString(), {});
    EXPECT_TRUE(QTest::qWaitFor([&] { return count.has_value(); }, 10000));
    return count.value_or(0);
}

// Publishing on: the window publishes its appointments once it is open and after each save.
TEST_F(CalDavAccountsTest, TheAppointmentsArePublishedAtStartAndAfterEverySave) {
    writeTodaysWork({9, 11});
    server.makeCalendar("plan", "Plan");
    PasswordAnswers answers("secret");
    openPublishingTo(server.calendarUrl("plan").toStdString());
    ASSERT_TRUE(statusComes("Published ")) << window->statusBar()->currentMessage().toStdString();
    EXPECT_EQ(resourcesOn(server.calendarUrl("plan")), 2U);
    EXPECT_EQ(answers.asked, 1);

    window->dayView().selectPanel(window->model().eventDataPanels[1].get());
    window->actionDeleteEvent->trigger();
    ASSERT_EQ(window->model().events.size(), 1U);
    window->statusBar()->clearMessage();
    window->actionSave->trigger();
    ASSERT_TRUE(statusComes("Published ")) << window->statusBar()->currentMessage().toStdString();
    EXPECT_EQ(resourcesOn(server.calendarUrl("plan")), 1U)
        << window->statusBar()->currentMessage().toStdString();
}

// An appointment changed on a phone, then here: the phone's copy stays byte for byte, the window
// says so, and Other Calendars shows both versions until "Publish mine" replaces the phone's.
TEST_F(CalDavAccountsTest, AnAppointmentChangedOnTheServerIsKeptUntilTheUserChooses) {
    writeTodaysWork({9});
    server.makeCalendar("plan", "Plan");
    PasswordAnswers answers("secret");
    openPublishingTo(server.calendarUrl("plan").toStdString());
    ASSERT_TRUE(statusComes("Published ")) << window->statusBar()->currentMessage().toStdString();

    const QString uid = QStringLiteral("appointment-0@kalvo-planner");
    // A phone's calendar program (python3-caldav) moves it by five hours and renames it.
    QProcess phone;
    phone.start(QStringLiteral(KALVO_TEST_PYTHON),
                {QStringLiteral(KALVO_TEST_SUPPORT "/caldav_edit.py"), server.calendarUrl("plan"),
                 uid, "Moved on the phone", "300"});
    ASSERT_TRUE(phone.waitForFinished(30000));
    ASSERT_EQ(phone.exitCode(), 0) << phone.readAllStandardError().toStdString();
    const QByteArray phones = server.getEvent("plan", uid);
    window->dayView().selectPanel(window->model().eventDataPanels[0].get());
    window->actionShiftDownEventData->trigger();
    window->statusBar()->clearMessage();
    window->actionSave->trigger();
    ASSERT_TRUE(statusComes("Published ")) << window->statusBar()->currentMessage().toStdString();
    EXPECT_TRUE(window->statusBar()->currentMessage().endsWith(
        "1 appointment was changed on the server: choose its version in Other Calendars."))
        << window->statusBar()->currentMessage().toStdString();
    EXPECT_EQ(server.getEvent("plan", uid), phones);

    test::whenOpen<CalendarsDialog>([&](CalendarsDialog& calendars) {
        ASSERT_FALSE(calendars.conflictsView->isHidden());
        ASSERT_EQ(calendars.conflictsView->listConflicts->count(), 1);
        const QTableWidget& versions = *calendars.conflictsView->tableVersions;
        EXPECT_EQ(versions.item(0, 0)->text(), "Work");
        EXPECT_EQ(versions.item(0, 1)->text(), "Moved on the phone");
        EXPECT_TRUE(versions.item(1, 1)->text().endsWith(" 14:00-15:00"))
            << versions.item(1, 1)->text().toStdString();
        QTest::mouseClick(calendars.conflictsView->buttonPublishMine, Qt::LeftButton);
        EXPECT_EQ(calendars.conflictsView->listConflicts->count(), 0);
        calendars.accept();
    });
    window->statusBar()->clearMessage();
    window->actionCalendars->trigger();
    ASSERT_TRUE(statusComes("Published ")) << window->statusBar()->currentMessage().toStdString();
    const QByteArray mine = server.getEvent("plan", uid);
    EXPECT_TRUE(mine.contains("SUMMARY:Work")) << mine.toStdString();
    EXPECT_FALSE(mine.contains("Moved on the phone"));

    // What was published removed, and publishing off.
    test::whenOpen<CalendarsDialog>([&](CalendarsDialog& calendars) {
        test::ModalMessage asked;
        test::answerNextMessageBox(asked, QMessageBox::Yes);
        QTest::mouseClick(calendars.buttonRemovePublished, Qt::LeftButton);
        EXPECT_TRUE(asked.shown);
        EXPECT_FALSE(calendars.checkPublish->isChecked());
        calendars.accept();
    });
    window->actionCalendars->trigger();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window->statusBar()->currentMessage() == "Removed 1 published appointment."; },
        10000))
        << window->statusBar()->currentMessage().toStdString();
    EXPECT_EQ(resourcesOn(server.calendarUrl("plan")), 0U);
    EXPECT_FALSE(loadPublishTarget(store).on);
}

// A publish that cannot reach the server says why and is tried again after a pause.
TEST_F(CalDavAccountsTest, APublishThatFailsIsTriedAgainAfterAPause) {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const std::string nowhere =
        "http://127.0.0.1:" + std::to_string(probe.serverPort()) + "/ann/plan/";
    probe.close();
    writeTodaysWork({9});
    PasswordAnswers answers("secret");
    openPublishingTo(nowhere);
    ASSERT_TRUE(statusComes("Not published: "))
        << window->statusBar()->currentMessage().toStdString();
    EXPECT_TRUE(window->statusBar()->currentMessage().endsWith("Trying again in 10 seconds."))
        << window->statusBar()->currentMessage().toStdString();
}

}  // namespace
}  // namespace kalvo
