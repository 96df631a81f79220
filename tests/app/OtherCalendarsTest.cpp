#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <filesystem>

#include "ModalAnswer.h"
#include "QuietWindow.h"
#include "app/CalendarsDialog.h"
#include "app/TForm1.h"
#include "calendars/Subscriptions.h"
#include "day/DateFunctions.h"
#include "day/widgets/OtherCalendarsLane.h"
#include "settings/FakeSettingsStore.h"
#include "support/DatabaseFiles.h"

namespace kalvo {
namespace {

// Today, a subscribed calendar with a review from 09:00 to 10:30, a stand-up inside it every
// weekday and a birthday all day, beside the planner's own Work and Lunch types.
class OtherCalendarsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeDatabase(folder.path(),
                            "<ROW Id=\"0\" Name=\"Work\"/><ROW Id=\"1\" Name=\"Lunch\"/>", "", "");
        writeCalendar(calendarText(today));
        saveSubscriptions(store, {{"Team", calendarFile(), subscriptionColor(0), true}});
        window = test::showQuietWindow(store, settings, folder.path());
    }

    std::string calendarFile() const { return folder.file("team.ics"); }

    void writeCalendar(const std::string& text) const { test::writeFileText(calendarFile(), text); }

    static std::string calendarText(const QDate& day) {
        const std::string date = day.toString("yyyyMMdd").toStdString();
        return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:review\r\n"
               "SUMMARY:Design review\r\nLOCATION:Room 4\r\nDTSTART:" +
               date +
               "T090000\r\n"
               "DTEND:" +
               date +
               "T103000\r\nEND:VEVENT\r\nBEGIN:VEVENT\r\nUID:standup\r\n"
               "SUMMARY:Stand-up\r\nDTSTART:" +
               date + "T091500\r\nDTEND:" + date +
               "T093000\r\nRRULE:FREQ=DAILY\r\nEND:VEVENT\r\nBEGIN:VEVENT\r\nUID:birthday\r\n"
               "SUMMARY:Ann's birthday\r\nDTSTART;VALUE=DATE:" +
               date +
               "\r\nEND:VEVENT\r\n"
               "END:VCALENDAR\r\n";
    }

    // The marks shown, top to bottom and left to right: those of a day before go later.
    std::vector<QWidget*> marks() const {
        std::vector<QWidget*> shown;
        for (QWidget* mark : window->panelMain->findChildren<QWidget*>("otherCalendarEvent")) {
            if (!mark->isHidden()) {
                shown.push_back(mark);
            }
        }
        std::sort(shown.begin(), shown.end(), [](const QWidget* a, const QWidget* b) {
            return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x());
        });
        return shown;
    }

    const QDate today = QDate::currentDate();
    test::TemporaryFolder folder;
    test::FakeSettingsStore store;
    ProgrammSettings settings;
    std::unique_ptr<TForm1> window;
};

TEST_F(OtherCalendarsTest, TheDayShowsTheEventsBesideItsAppointmentsNamedAndSideBySide) {
    const std::vector<QWidget*> shown = marks();
    ASSERT_EQ(shown.size(), 2U);
    EXPECT_EQ(shown[0]->accessibleName(), "Design review, 09:00\u201310:30, Team");
    EXPECT_EQ(shown[0]->toolTip(), "Design review\n09:00\u201310:30\nRoom 4\nCalendar: Team");
    EXPECT_EQ(shown[1]->accessibleName(), "Stand-up, 09:15\u201309:30, Team");
    // Side by side in the strip the appointments leave free, at the times of the ruler.
    EXPECT_EQ(shown[0]->geometry(), QRect(1, 216, 8, 36));
    EXPECT_EQ(shown[1]->geometry(), QRect(10, 222, 8, 6));
    EXPECT_EQ(window->labelAllDay->text(), "All day: Ann's birthday");
    EXPECT_TRUE(window->labelAllDay->isVisible());

    // The next day has the stand-up alone; the zoom draws it larger.
    window->actionNextDay->trigger();
    ASSERT_EQ(marks().size(), 1U);
    EXPECT_FALSE(window->labelAllDay->isVisible());
    window->actionZoomIn->trigger();
    EXPECT_EQ(marks().at(0)->geometry(), QRect(1, 277, 17, 8))
        << "09:15-09:30 at 30 pixels an hour";
}

TEST_F(OtherCalendarsTest, AnEventBecomesAnAppointmentOfTheTypeAskedForAsOneStep) {
    QWidget* review = marks().at(0);
    review->setFocus(Qt::TabFocusReason);
    test::whenOpen<QInputDialog>([](QInputDialog& dialog) {
        EXPECT_EQ(dialog.labelText(), "\"Design review\" becomes an appointment of the &type:");
        dialog.setTextValue("Work");
        dialog.accept();
    });
    QTest::keyClick(review, Qt::Key_Return);
    ASSERT_EQ(window->model().dayPanels.size(), 1U);
    const EventDataRow& added = *window->model().dayPanels[0];
    EXPECT_EQ(added.event->type->name, "Work");
    EXPECT_EQ(added.comment, "Design review");
    EXPECT_EQ(minuteOfDay(added.startTime), 9 * 60);
    EXPECT_EQ(minuteOfDay(added.endTime), 10 * 60 + 30);
    EXPECT_EQ(window->actionUndo->text(), "&Undo Add Work");
    EXPECT_EQ(marks().size(), 2U) << "the calendar's events stay";
    window->actionUndo->trigger();
    EXPECT_TRUE(window->model().dayPanels.empty());
}

// A mark dragged onto the Actual column is added as the menu adds it; a drag of what the lane
// no longer shows is refused.
TEST_F(OtherCalendarsTest, AnEventDraggedOntoTheColumnBecomesAnAppointment) {
    const auto dragOfMark = [](const char* index) {
        auto data = std::make_unique<QMimeData>();
        data->setData("application/x-kalvo-lane-event", index);
        return data;
    };
    const auto dropOnColumn = [this](QMimeData& data) {
        const QPoint at(100, 400);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window->panelMain, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window->panelMain, &move);
        if (!move.isAccepted()) {
            return false;
        }
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window->panelMain, &drop);
        return true;
    };
    EXPECT_FALSE(dropOnColumn(*dragOfMark("7")));
    test::whenOpen<QInputDialog>([](QInputDialog& dialog) {
        dialog.setTextValue("Lunch");
        dialog.accept();
    });
    ASSERT_TRUE(dropOnColumn(*dragOfMark("1")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->model().dayPanels.size() == 1U; }));
    const EventDataRow& added = *window->model().dayPanels[0];
    EXPECT_EQ(added.event->type->name, "Lunch");
    EXPECT_EQ(added.comment, "Stand-up");
    EXPECT_EQ(minuteOfDay(added.startTime), 9 * 60 + 15);
}

TEST_F(OtherCalendarsTest, AFileThatCannotBeReadKeepsItsLastGoodCopyAndSaysWhy) {
    writeCalendar(
        "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART:2026\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    // A later time, so that the file counts as changed however coarse the clock of the disk.
    std::filesystem::last_write_time(
        calendarFile(), std::filesystem::last_write_time(calendarFile()) + std::chrono::seconds(2));
    window->actionNextDay->trigger();
    window->actionPreviousDay->trigger();
    EXPECT_EQ(marks().size(), 2U);
    EXPECT_EQ(window->statusBar()->currentMessage().toStdString(),
              "The calendar \"Team\" cannot be read: Line 3: DTSTART has no valid date or time: "
              "\"2026\".");
}

// Tools > Other Calendars: a second file added, the first unticked, both kept in the settings.
TEST_F(OtherCalendarsTest, TheCalendarsAreAddedAndUntickedInTheirDialogAndKept) {
    const std::string second = folder.file("second.ics");
    test::writeFileText(second, calendarText(today.addDays(1)));
    test::whenOpen<CalendarsDialog>([&](CalendarsDialog& dialog) {
        test::whenOpen<QFileDialog>([&](QFileDialog& files) {
            files.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(QString::fromStdString(second));
            static_cast<QDialog&>(files).accept();
        });
        dialog.buttonAddFile->click();
        ASSERT_EQ(dialog.listCalendars->count(), 2);
        EXPECT_EQ(dialog.listCalendars->item(1)->text(), "second");
        dialog.listCalendars->item(0)->setCheckState(Qt::Unchecked);
        EXPECT_EQ(dialog.spinRefreshMinutes->value(), 15);
        dialog.spinRefreshMinutes->setValue(60);
        dialog.accept();
    });
    window->actionCalendars->trigger();
    EXPECT_TRUE(marks().empty()) << "Team is not shown, and second has nothing today";
    window->actionNextDay->trigger();
    EXPECT_EQ(marks().size(), 2U) << "second's review and stand-up";
    const std::vector<Subscription> kept = loadSubscriptions(store);
    ASSERT_EQ(kept.size(), 2U);
    EXPECT_FALSE(kept[0].shown);
    EXPECT_EQ(kept[1].source, second);
    EXPECT_NE(kept[1].color, kept[0].color);
    EXPECT_EQ(loadRefreshMinutes(store), 60);
}

}  // namespace
}  // namespace kalvo
