#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QDateEdit>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTextCharFormat>

#include "QuietWindow.h"
#include "app/MainWindowParts.h"
#include "app/TForm1.h"
#include "day/widgets/DayView.h"
#include "day/widgets/TaskPanel.h"
#include "settings/FakeSettingsStore.h"
#include "support/DatabaseFiles.h"

namespace kalvo {
namespace {

// Every day from two months before today to two months after has one appointment of its own,
// so the panels on the timeline tell which day is shown.
class DayNavigationTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string events;
        std::string rows;
        for (int offset = -62; offset <= 62; ++offset) {
            const QString day = today.addDays(offset).toString("yyyyMMdd");
            const std::string id = std::to_string(offset + 62);
            events += "<ROW Id=\"" + id + "\" TypeId=\"0\"/>";
            rows +=
                ("<ROW Id=\"" + QString::fromStdString(id) + "\" EventId=\"" +
                 QString::fromStdString(id) + "\" StartDate=\"" + day + "\" EndDate=\"" + day +
                 "\" StartTime=\"" + day + "T09:00:00000\" EndTime=\"" + day + "T10:00:00000\"/>")
                    .toStdString();
        }
        test::writeDatabase(folder.path(), "<ROW Id=\"0\" Name=\"Work\"/>", events, rows);
        window = test::showQuietWindow(store, settings, folder.path());
        window->activateWindow();
        days = window->calendar->findChild<QTableView*>("qt_calendar_calendarview");
        ASSERT_NE(days, nullptr);
    }

    // The day the timeline shows, read from its one panel; the chart's range must be that day.
    QDate shownDay() const {
        const Model& model = window->model();
        EXPECT_EQ(model.dayPanels.size(), 1U);
        if (model.dayPanels.size() != 1U) {
            return {};
        }
        const QDate day = qDateOf(model.dayPanels[0]->startDate);
        EXPECT_EQ(qDateOf(model.selectedDate), day);
        EXPECT_EQ(window->pickerProfStart->date(), day);
        EXPECT_EQ(window->pickerProfEnd->date(), day);
        return day;
    }

    TaskPanel* shownPanel() const {
        return window->dayView().panelOf(window->model().dayPanels.at(0));
    }

    const QDate today = QDate::currentDate();
    test::TemporaryFolder folder;
    test::FakeSettingsStore store;
    ProgrammSettings settings;
    std::unique_ptr<TForm1> window;
    QTableView* days = nullptr;
};

TEST_F(DayNavigationTest, EveryKeyThatMovesTheCalendarShowsItsDay) {
    struct Case {
        const char* what;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool toCalendar;  // else a command of the window
    };
    const Case cases[] = {
        {"Right", Qt::Key_Right, {}, true},
        {"Left", Qt::Key_Left, {}, true},
        {"Down", Qt::Key_Down, {}, true},
        {"Up", Qt::Key_Up, {}, true},
        {"Page Down", Qt::Key_PageDown, {}, true},
        {"Page Up", Qt::Key_PageUp, {}, true},
        {"Ctrl+End", Qt::Key_End, Qt::ControlModifier, true},
        {"Ctrl+Home", Qt::Key_Home, Qt::ControlModifier, true},
        {"Alt+Right", Qt::Key_Right, Qt::AltModifier, false},
        {"Alt+Left", Qt::Key_Left, Qt::AltModifier, false},
        {"Alt+Home", Qt::Key_Home, Qt::AltModifier, false},
    };
    days->setFocus();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QDate before = window->calendar->selectedDate();
        QTest::keyClick(c.toCalendar ? static_cast<QWidget*>(days) : window.get(), c.key,
                        c.modifiers);
        QApplication::processEvents();
        const QDate chosen = window->calendar->selectedDate();
        EXPECT_NE(chosen, before);
        EXPECT_EQ(shownDay(), chosen);
    }
    EXPECT_EQ(window->calendar->selectedDate(), today);  // Alt+Home came last
}

TEST_F(DayNavigationTest, TheViewCommandsMoveOneDayOrToToday) {
    window->actionNextDay->trigger();
    window->actionNextDay->trigger();
    EXPECT_EQ(shownDay(), today.addDays(2));
    window->actionPreviousDay->trigger();
    EXPECT_EQ(shownDay(), today.addDays(1));
    window->actionToday->trigger();
    EXPECT_EQ(shownDay(), today);
}

TEST_F(DayNavigationTest, AClickShowsItsDayAgainOnTheSameDateAndTheMonthButtonsChooseNone) {
    const auto clickOn = [&](const QDate& date) {
        for (int row = 0; row < days->model()->rowCount(); ++row) {
            for (int column = 0; column < days->model()->columnCount(); ++column) {
                const QModelIndex cell = days->model()->index(row, column);
                if (cell.data().toInt() == date.day()) {
                    QTest::mouseClick(days->viewport(), Qt::LeftButton, {},
                                      days->visualRect(cell).center());
                    return;
                }
            }
        }
        FAIL() << "no cell for " << date.toString().toStdString();
    };
    // A day in the middle of the month shows once in the grid, whatever month it is.
    const QDate target = today.day() == 15 ? today.addDays(1) : today.addDays(15 - today.day());
    clickOn(target);
    QApplication::processEvents();
    EXPECT_EQ(shownDay(), target);

    // A click on the day already shown builds it again: its panel is a new one.
    QPointer<TaskPanel> before = shownPanel();
    clickOn(target);
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(before.isNull());
    EXPECT_EQ(shownDay(), target);

    // Paging the month with its buttons chooses no date.
    before = shownPanel();
    QTest::mouseClick(window->calendar->findChild<QWidget*>("qt_calendar_nextmonth"),
                      Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(before.isNull());
    EXPECT_EQ(shownDay(), target);
}

TEST_F(DayNavigationTest, ADragKeepsItsDayWhateverTheCalendarIsAsked) {
    QPointer<TaskPanel> panel = shownPanel();
    const int top = panel->y();
    QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(5, 10));
    QTest::keyClick(days, Qt::Key_Right);
    window->actionNextDay->trigger();
    QTest::keyClick(days, Qt::Key_Return);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(panel.isNull());
    EXPECT_EQ(window->calendar->selectedDate(), today);
    EXPECT_EQ(shownDay(), today);
    QTest::mouseMove(panel, QPoint(5, 22));
    QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(5, 22));
    EXPECT_EQ(panel->y(), top + 12);
}

// One-day appointments on the 3rd, 14th and 27th of next month and a deleted one on the 20th:
// the calendar shows those three days in bold when it shows that month, and the heading names
// the day shown, marking today.
TEST(DateAtAGlance, TheHeadingNamesTheDayAndTheCalendarBoldsTheDaysWithAppointments) {
    const QDate month = QDate::currentDate().addMonths(1);
    const QDate first(month.year(), month.month(), 1);
    std::string events;
    std::string rows;
    int id = 0;
    for (const auto& [day, deleted] :
         {std::pair{3, false}, std::pair{14, false}, std::pair{20, true}, std::pair{27, false}}) {
        const QString date = first.addDays(day - 1).toString("yyyyMMdd");
        events += "<ROW Id=\"" + std::to_string(id) + "\" TypeId=\"0\"/>";
        rows += QStringLiteral(
                    "<ROW Id=\"%1\" EventId=\"%1\" StartDate=\"%2\" EndDate=\"%2\" "
                    "StartTime=\"%2T09:00:00000\" EndTime=\"%2T10:00:00000\" Deleted=\"%3\"/>")
                    .arg(id)
                    .arg(date, deleted ? "TRUE" : "FALSE")
                    .toStdString();
        ++id;
    }
    test::TemporaryFolder folder;
    test::writeDatabase(folder.path(), "<ROW Id=\"0\" Name=\"Work\"/>", events, rows);
    test::FakeSettingsStore store;
    ProgrammSettings settings;
    const auto window = test::showQuietWindow(store, settings, folder.path());
    const auto boldDays = [&] {
        std::vector<int> bold;
        for (int day = 1; day <= first.daysInMonth(); ++day) {
            if (window->calendar->dateTextFormat(first.addDays(day - 1)).fontWeight() ==
                QFont::Bold) {
                bold.push_back(day);
            }
        }
        return bold;
    };

    EXPECT_EQ(window->labelShownDate->text(),
              QLocale().toString(QDate::currentDate(), QLocale::LongFormat));
    EXPECT_TRUE(window->labelToday->isVisible());
    EXPECT_TRUE(boldDays().empty()) << "this month holds no appointment";

    window->calendar->setSelectedDate(first.addDays(13));
    QTest::qWait(50);  // the day is built once the calendar's change is handled
    EXPECT_EQ(window->calendar->monthShown(), first.month());
    EXPECT_EQ(boldDays(), (std::vector<int>{3, 14, 27}));
    EXPECT_EQ(window->labelShownDate->text(),
              QLocale().toString(first.addDays(13), QLocale::LongFormat));
    EXPECT_FALSE(window->labelToday->isVisible());

    // The day's appointment deleted: its day is no longer bold; undone, it is again.
    window->actionDeleteEvent->trigger();
    EXPECT_EQ(boldDays(), (std::vector<int>{3, 27}));
    window->actionUndo->trigger();
    EXPECT_EQ(boldDays(), (std::vector<int>{3, 14, 27}));
}

// The window at its first size shows less than the whole day: the selected appointment is
// scrolled into view, whether the day build or an undo selected it.
TEST(DayScrolling, TheSelectedAppointmentIsScrolledIntoView) {
    const QString today = QDate::currentDate().toString("yyyyMMdd");
    test::TemporaryFolder folder;
    test::writeDatabase(
        folder.path(), "<ROW Id=\"0\" Name=\"Sleep\"/>", "<ROW Id=\"0\" TypeId=\"0\"/>",
        ("<ROW Id=\"0\" EventId=\"0\" StartDate=\"" + today + "\" EndDate=\"" + today +
         "\" StartTime=\"" + today + "T22:30:00000\" EndTime=\"" + today + "T23:45:00000\"/>")
            .toStdString());
    test::FakeSettingsStore store;
    ProgrammSettings settings;
    const auto window = test::showQuietWindow(store, settings, folder.path());
    const auto shown = [&] {
        TaskPanel* panel = window->dayView().panelOf(window->model().selectedPanel);
        EXPECT_NE(panel, nullptr);
        const QRect inViewport(panel->mapTo(window->ScrollBox1->viewport(), QPoint(0, 0)),
                               panel->size());
        return window->ScrollBox1->viewport()->rect().contains(inViewport);
    };
    ASSERT_LT(window->ScrollBox1->viewport()->height(), 24 * 24) << "the whole day fits";
    EXPECT_TRUE(shown());

    window->ScrollBox1->verticalScrollBar()->setValue(0);
    window->actionShiftUpEventData->trigger();  // an edit, then its undo shows where it was
    window->ScrollBox1->verticalScrollBar()->setValue(0);
    window->actionUndo->trigger();
    EXPECT_TRUE(shown());
}

TEST(SnapOption, TheViewMenuChoiceIsRememberedAtOnce) {
    test::TemporaryFolder folder;
    test::writeDatabase(folder.path(), "<ROW Id=\"0\" Name=\"Work\"/>", "", "");
    test::FakeSettingsStore store;
    for (const bool snap : {true, false}) {
        ProgrammSettings settings;
        const auto window = test::showQuietWindow(store, settings, folder.path());
        EXPECT_EQ(window->actionSnapToFiveMinutes->isChecked(), !snap) << "as last left";
        window->actionSnapToFiveMinutes->trigger();
        EXPECT_EQ(store.key("Software\\Kalvo Planner\\Day View")["SnapToFiveMinutes"],
                  test::FakeSettingsStore::Value(snap ? 1 : 0));
    }
}

}  // namespace
}  // namespace kalvo
