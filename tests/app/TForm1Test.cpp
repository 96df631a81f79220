#include "app/TForm1.h"

#include <QCheckBox>
#include <cmath>

#include <gtest/gtest.h>

#include <QAction>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <QWindow>
#include <algorithm>
#include <map>

#include "ModalAnswer.h"
#include "app/ApplicationErrors.h"
#include "day/widgets/DayView.h"
#include "day/widgets/TaskPanel.h"
#include "settings/FakeSettingsStore.h"
#include "support/DatabaseFiles.h"
#include "types/widgets/TypeTreeWidget.h"

namespace kalvo {
namespace {

using test::answerNextMessageBox;

DateTime calendarDayOf(const QDate& date) {
    return static_cast<DateTime>(daysFromCivil({date.year(), date.month(), date.day()}));
}
using test::ModalMessage;

class TForm1Test : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeDatabase(folder.path(), "<ROW Id=\"0\" Name=\"Work\"/>", "", "");
        typeFileBefore = test::fileText(folder.file("Type.xml"));
    }

    std::unique_ptr<TForm1> openWindow(bool exitConfirmation, bool tip = false) {
        auto& options = store.key("Software\\Kalvo Planner\\Common Options");
        options["ShowExitConfirmation"] = exitConfirmation ? 1 : 0;
        options["ShowTip"] = tip ? 1 : 0;
        auto window = std::make_unique<TForm1>(settings, store, folder.path().string() + "/");
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        return window;
    }

    bool saved() const { return test::fileText(folder.file("Type.xml")) != typeFileBefore; }

    test::TemporaryFolder folder;
    test::FakeSettingsStore store;
    ProgrammSettings settings;
    std::string typeFileBefore;
};

TEST_F(TForm1Test, OpensOnTheProgramFolderDatabaseWithItsFrame) {
    auto window = openWindow(false);
    EXPECT_EQ(window->windowHandle()->title(), "Kalvo Planner") << "no unsaved changes";
    EXPECT_EQ(window->windowIcon().availableSizes().size(), 7) << "the program's icon, 16 to 256";
    ASSERT_EQ(window->model().types.size(), 1U);
    EXPECT_EQ(window->model().types[0]->name, "Work");
    window->resize(300, 200);
    EXPECT_GE(window->width(), 799);
    EXPECT_GE(window->height(), 540);
    // The Chart page comes first whatever page was chosen before.
    EXPECT_EQ(window->pageControl->currentWidget(), window->sheetChart);
    const QStringList pages = {window->pageControl->tabText(0), window->pageControl->tabText(1),
                               window->pageControl->tabText(2)};
    EXPECT_EQ(pages, (QStringList{"Appointment Type", "Appointment", "Chart"}));
}

TEST_F(TForm1Test, TipOfTheDayComesOnlyOnceTheWindowIsOnScreen) {
    bool windowWasVisible = false;
    bool tipShown = false;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr && dialog->windowTitle() == "Tip of the Day") {
            tipShown = true;
            windowWasVisible =
                dialog->parentWidget() != nullptr && dialog->parentWidget()->window()->isVisible();
            dialog->reject();
        }
    });
    watcher.start(10);
    auto window = openWindow(false, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return tipShown; }, 3000));
    EXPECT_TRUE(windowWasVisible);
}

// The restored database reaches the database folder at the next save, so until then the
// window shows it unsaved; a backup that cannot be read leaves the saved database shown.
TEST_F(TForm1Test, RestoreReplacesTheShownDayAndIsUnsavedUntilTheNextSave) {
    const struct {
        const char* what;
        bool whole;
        const char* typeName;
    } cases[] = {{"a whole backup", true, "Restored"}, {"a folder without one", false, "Work"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::writeDatabase(folder.path(), "<ROW Id=\"0\" Name=\"Work\"/>", "", "");
        auto window = openWindow(false);
        test::TemporaryFolder backup;
        if (c.whole) {
            test::writeDatabase(backup.path(), "<ROW Id=\"0\" Name=\"Restored\"/>", "", "");
        }
        ModalMessage error;
        answerNextMessageBox(error, QMessageBox::Ok);
        window->restoreDatabase(QString::fromStdString(backup.path().string()));
        EXPECT_EQ(error.shown, !c.whole);
        ASSERT_EQ(window->model().types.size(), 1U);
        EXPECT_EQ(window->model().types[0]->name, c.typeName);
        EXPECT_EQ(window->calendar->selectedDate(), QDate::currentDate());
        EXPECT_EQ(window->isWindowModified(), c.whole);
        window->actionSave->trigger();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->saving(); }));
        EXPECT_FALSE(window->isWindowModified());
        EXPECT_NE(test::fileText(folder.file("Type.xml")).find(c.typeName), std::string::npos);
    }
}

// A restore whose save fails changes nothing: the day it took away is shown again.
TEST_F(TForm1Test, ARestoreWhoseSaveFailsShowsTheDayAgain) {
    const std::string day = QDate::currentDate().toString("yyyyMMdd").toStdString();
    test::writeDatabase(folder.path(), "<ROW Id=\"0\" Name=\"Work\"/>",
                        "<ROW Id=\"0\" TypeId=\"0\"/>",
                        "<ROW Id=\"0\" EventId=\"0\" StartDate=\"" + day + "\" StartTime=\"" + day +
                            "T09:00:00000\" EndTime=\"" + day + "T10:00:00000\"/>");
    auto window = openWindow(false);
    ASSERT_EQ(window->model().dayPanels.size(), 1U);
    std::filesystem::remove(folder.file("Type.xml"));
    std::filesystem::create_directory(folder.file("Type.xml"));  // no save can replace it
    test::TemporaryFolder backup;
    test::writeDatabase(backup.path(), "<ROW Id=\"0\" Name=\"Restored\"/>", "", "");
    EXPECT_THROW(window->restoreDatabase(QString::fromStdString(backup.path().string())),
                 std::runtime_error);
    EXPECT_EQ(window->model().types[0]->name, "Work");
    ASSERT_EQ(window->model().dayPanels.size(), 1U);
    EXPECT_NE(window->dayView().panelOf(window->model().dayPanels[0]), nullptr);
    std::filesystem::remove(folder.file("Type.xml"));
}

TEST_F(TForm1Test, ChartPickersStartAtTodayAndCollectTheirRange) {
    // A daily appointment from 1 December 2026 on, open-ended.
    test::writeDatabase(folder.path(), "<ROW Id=\"0\" Name=\"Work\"/>",
                        "<ROW Id=\"0\" TypeId=\"0\"/>",
                        "<ROW Id=\"0\" EventId=\"0\" StartDate=\"20261201\" "
                        "StartTime=\"20261201T09:00:00000\" EndTime=\"20261201T10:00:00000\"/>");
    auto window = openWindow(false);
    EXPECT_EQ(window->pickerProfStart->date(), QDate::currentDate());
    EXPECT_EQ(window->pickerProfEnd->date(), QDate::currentDate());
    window->pickerProfStart->setDate(QDate(2026, 11, 29));
    window->pickerProfEnd->setDate(QDate(2026, 12, 3));
    EXPECT_EQ(window->model().chartPanels.size(), 3U);  // 1, 2 and 3 December
}

TEST_F(TForm1Test, DelDeletesTheSelectedOccurrenceOfTheShownDay) {
    const QString today = QDate::currentDate().toString("yyyyMMdd");
    test::writeDatabase(folder.path(), "<ROW Id=\"0\" Name=\"Work\"/>",
                        "<ROW Id=\"0\" TypeId=\"0\"/><ROW Id=\"1\" TypeId=\"0\"/>",
                        ("<ROW Id=\"0\" EventId=\"0\" StartDate=\"" + today + "\" EndDate=\"" +
                         today + "\" StartTime=\"" + today + "T09:00:00000\" EndTime=\"" + today +
                         "T10:00:00000\"/><ROW Id=\"1\" EventId=\"1\" StartDate=\"" + today +
                         "\" EndDate=\"" + today + "\" StartTime=\"" + today +
                         "T11:00:00000\" EndTime=\"" + today + "T12:00:00000\"/>")
                            .toStdString());
    auto window = openWindow(false);
    ASSERT_EQ(window->model().dayPanels.size(), 2U);
    EventDataRow* second = window->model().eventDataPanels[1].get();
    window->dayView().selectPanel(second);
    window->tree->setFocus();
    QTest::keyClick(window->tree, Qt::Key_Delete);
    ASSERT_EQ(window->model().events.size(), 1U);  // the appointment went with its only row
    EXPECT_EQ(window->model().events[0]->id, 0);
    ASSERT_EQ(window->model().dayPanels.size(), 1U);
    EXPECT_NE(window->dayView().panelOf(window->model().dayPanels[0]), nullptr);
    EXPECT_NE(window->model().selectedPanel, second);
}

TEST_F(TForm1Test, ACommentTypedOnTheFifthDayOfASeriesStaysOnThatDay) {
    const QDate first = QDate::currentDate().addDays(-4);
    const QString day = first.toString("yyyyMMdd");
    test::writeDatabase(folder.path(), "<ROW Id=\"0\" Name=\"Work\"/>",
                        "<ROW Id=\"0\" TypeId=\"0\"/>",
                        ("<ROW Id=\"0\" EventId=\"0\" StartDate=\"" + day + "\" StartTime=\"" +
                         day + "T09:00:00000\" EndTime=\"" + day + "T10:00:00000\" Comment=\"\"/>")
                            .toStdString());
    auto window = openWindow(false);
    window->checkBoxApplyToFuture->setChecked(true);
    ASSERT_NE(window->model().selectedPanel, nullptr);  // the day build selects the occurrence
    auto* memo = window->findChild<QPlainTextEdit*>("memoEventDataComment");
    ASSERT_NE(memo, nullptr);
    window->pageControl->setCurrentWidget(window->sheetEvent);
    memo->setFocus();
    QTest::keyClicks(memo, "Call Ann");
    EXPECT_TRUE(window->checkBoxApplyToFuture->isChecked());
    int commented = 0;
    for (const auto& row : window->model().eventDataPanels) {
        if (row->comment == "Call Ann\r\n") {  // the memo keeps each line with its break
            ++commented;
            EXPECT_EQ(row->startDate, row->endDate);
            EXPECT_EQ(row->startDate, calendarDayOf(QDate::currentDate()));
        } else {
            EXPECT_EQ(row->comment, "");
        }
    }
    EXPECT_EQ(commented, 1);
    EXPECT_EQ(window->model().eventDataPanels.size(), 3U);  // before, the day, after
}

TEST_F(TForm1Test, ACommentOnTheFirstDayOfTheHoveredRowMovesItsPlannedTwin) {
    const QString day = QDate::currentDate().toString("yyyyMMdd");
    test::writeDatabase(folder.path(), "<ROW Id=\"0\" Name=\"Work\"/>",
                        ("<ROW Id=\"0\" TypeId=\"0\" StartDate=\"" + day + "\"/>").toStdString(),
                        ("<ROW Id=\"0\" EventId=\"0\" StartDate=\"" + day + "\" EndDate=\"" + day +
                         "\" StartTime=\"" + day + "T09:00:00000\" EndTime=\"" + day +
                         "T10:00:00000\" OriginalStartTime=\"" + day +
                         "T07:00:00000\" OriginalEndTime=\"" + day + "T07:30:00000\"/>")
                            .toStdString());
    auto window = openWindow(false);
    EventDataRow* work = window->model().selectedPanel;
    ASSERT_NE(work, nullptr);
    TaskPanel* panel = window->dayView().panelOf(work);
    ASSERT_NE(panel, nullptr);
    ASSERT_EQ(panel->twin()->geometry().top(), 168);  // 07:00, the plan before the edit
    QTest::mouseMove(panel, QPoint(5, 10));
    ASSERT_EQ(window->model().hoverPanel, work);

    window->pageControl->setCurrentWidget(window->sheetEvent);
    auto* memo = window->findChild<QPlainTextEdit*>("memoEventDataComment");
    memo->setFocus();
    QTest::keyClicks(memo, "x");
    // The plan of the first day becomes the actual times, on screen as in the row.
    EXPECT_NEAR(std::fmod(work->originalStartTime, 1.0) * 24, 9.0, 1e-6);
    EXPECT_EQ(panel->twin()->y(), panel->y());
    EXPECT_EQ(panel->twin()->height(), panel->height());
}

TEST_F(TForm1Test, EscapeWhileRenamingATypeCancelsTheRenameNotTheWindow) {
    auto window = openWindow(false);
    QTreeWidgetItem* work = window->tree->topLevelItem(0)->child(0);
    ASSERT_NE(work, nullptr);
    window->tree->setCurrentItem(work);
    window->tree->setFocus();
    QTest::keyClick(window->tree, Qt::Key_F2);
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(qobject_cast<QLineEdit*>(editor), nullptr);
    QTest::keyClicks(editor, "Home");
    QTest::keyClick(editor, Qt::Key_Delete);  // edits the name, deletes no type
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(window->model().types.size(), 1U);
    EXPECT_EQ(window->model().types[0]->name, "Work");
}

TEST_F(TForm1Test, AreasFollowTheEdgesTheyAreAnchoredTo) {
    auto window = openWindow(false);
    const QRect timeline = window->ScrollBox1->geometry();
    const QRect right = window->panelRight->geometry();
    const QRect button = window->buttonTutorial->geometry();
    window->resize(window->width() + 100, window->height() + 50);
    QApplication::processEvents();
    EXPECT_EQ(window->ScrollBox1->geometry(), timeline.adjusted(0, 0, 0, 50));
    EXPECT_EQ(window->panelRight->geometry(), right.adjusted(0, 0, 100, 50));
    EXPECT_EQ(window->buttonTutorial->geometry(), button.translated(100, 0));
}

TEST_F(TForm1Test, MissingDatabaseEndsTheStartWithTheClosedTableMessage) {
    std::filesystem::remove(folder.file("Event.xml"));
    ModalMessage error;
    answerNextMessageBox(error, QMessageBox::Ok);
    try {
        TForm1 window(settings, store, folder.path().string() + "/");
        FAIL() << "the window was created";
    } catch (const std::runtime_error& failure) {
        EXPECT_STREQ(failure.what(), "Cannot perform this operation on a closed dataset");
    }
    EXPECT_EQ(error.title, "Error");
    EXPECT_EQ(error.text, "There is no Kalvo Planner database in the specified folder.");
    EXPECT_EQ(error.icon, QMessageBox::Critical);
}

struct CloseCase {
    const char* name;
    friend void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }
    bool confirmation;
    QMessageBox::StandardButton answer;
    bool closes;
};

class CloseQuery : public TForm1Test, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseQuery, AsksWhenTheOptionIsOnAndSavesOnlyWhenClosing) {
    auto window = openWindow(GetParam().confirmation);
    ModalMessage question;
    if (GetParam().confirmation) {
        answerNextMessageBox(question, GetParam().answer);
    }
    window->close();
    EXPECT_EQ(question.shown, GetParam().confirmation);
    if (question.shown) {
        EXPECT_EQ(question.title, "Confirmation");
        EXPECT_EQ(question.text, "Do you want to close the application?");
        EXPECT_EQ(question.icon, QMessageBox::Warning);
    }
    EXPECT_EQ(window->isVisible(), !GetParam().closes);
    EXPECT_EQ(saved(), GetParam().closes);
}

INSTANTIATE_TEST_SUITE_P(TForm1, CloseQuery,
                         ::testing::Values(CloseCase{"ConfirmedYes", true, QMessageBox::Yes, true},
                                           CloseCase{"ConfirmedNo", true, QMessageBox::No, false},
                                           CloseCase{"NoQuestion", false, QMessageBox::Yes, true}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(TForm1Test, FailingSaveWhileClosingKeepsTheWindowOpen) {
    auto window = openWindow(false);
    window->model().types[0]->name = "Edited";
    const std::string eventData = folder.file("EventData.xml");
    std::filesystem::remove(eventData);
    std::filesystem::create_directories(eventData + "/blocked");
    ModalMessage error;
    answerNextMessageBox(error, QMessageBox::Ok);
    window->close();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(error.title, "Kalvo Planner");
    EXPECT_EQ(error.text,
              QString::fromStdString("Cannot create file \"" + eventData + "\". Is a directory."));
    EXPECT_EQ(window->model().types[0]->name, "Edited");
}

// Help is a window of its own; closing the main window ends the program all the same.
TEST_F(TForm1Test, ClosingTheWindowClosesHelpAndEndsTheProgram) {
    auto window = openWindow(false);
    window->actionContents->trigger();
    QWidget* help = nullptr;
    for (QWidget* shown : QApplication::topLevelWidgets()) {
        help = shown->inherits("kalvo::HelpBrowser") && shown->isVisible() ? shown : help;
    }
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(help->isVisible());
    // What keeps the program running: a shown window that ends it when it closes.
    for (const QWidget* shown : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(shown->isVisible() && shown->testAttribute(Qt::WA_QuitOnClose))
            << shown->metaObject()->className();
    }
}

TEST_F(TForm1Test, EscapeClosesTheWindowFromTheTree) {
    auto window = openWindow(false);
    window->tree->setFocus();
    QTest::keyClick(window->tree, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(saved());
}

// Every command key, pressed while the given control has the focus, must run its action.
TEST_F(TForm1Test, CommandKeysReachTheirActionsBeforeTheFocusedControl) {
    auto window = openWindow(false);
    auto* field = new QLineEdit(window->sheetEventType);
    field->setObjectName("typeName");
    window->pageControl->setCurrentWidget(window->sheetEventType);
    const QList<QAction*> commands = {window->actionAddNode,
                                      window->actionEditNode,
                                      window->actionDeleteNode,
                                      window->actionBackupDatabase,
                                      window->actionRestoreFromBackup,
                                      window->actionEditEvent,
                                      window->actionShiftUpEventData,
                                      window->actionShiftDownEventData,
                                      window->actionRefresh,
                                      window->actionAbout,
                                      window->actionSave,
                                      window->actionDeleteEvent,
                                      window->actionChart,
                                      window->actionCustomizeToolbar,
                                      window->actionContents,
                                      window->actionOptions,
                                      window->Print1,
                                      window->PrinterSetup1,
                                      window->VideoTutorials1,
                                      window->WebSite1,
                                      window->SendEMail1,
                                      window->actionExit};
    // The handlers open windows of their own; here only the routing of the keys counts.
    for (QAction* command : commands) {
        QObject::disconnect(command, &QAction::triggered, nullptr, nullptr);
    }
    const std::vector<QKeySequence> textKeys = {
        QKeySequence(Qt::Key_Delete), QKeySequence(Qt::CTRL | Qt::Key_Delete),
        QKeySequence(Qt::CTRL | Qt::Key_Insert), QKeySequence(Qt::CTRL | Qt::Key_Up),
        QKeySequence(Qt::CTRL | Qt::Key_Down)};
    for (QWidget* focus : std::initializer_list<QWidget*>{window->tree, window->calendar,
                                                          window->pageControl, field}) {
        for (QAction* command : commands) {
            for (const QKeySequence& key : command->shortcuts()) {
                SCOPED_TRACE((focus->objectName() + " " + key.toString()).toStdString());
                focus->setFocus();
                QApplication::processEvents();
                ASSERT_TRUE(focus->hasFocus() || focus->isAncestorOf(QApplication::focusWidget()));
                QSignalSpy triggered(command, &QAction::triggered);
                QTest::keyClick(QApplication::focusWidget(), key[0].key(),
                                key[0].keyboardModifiers());
                const bool editsText = focus == field && std::find(textKeys.begin(), textKeys.end(),
                                                                   key) != textKeys.end();
                EXPECT_EQ(triggered.count(), editsText ? 0 : 1);
            }
        }
    }
}

// An Alt key shared by two visible controls, or by a control and a menu, alternates between
// them, so every page keeps its Alt keys apart from each other and from the menu bar's.
TEST_F(TForm1Test, NoPageSharesAnAltKeyWithTheMenuBarOrItself) {
    const auto window = openWindow(false);
    for (int page = 0; page < window->pageControl->count(); ++page) {
        window->pageControl->setCurrentIndex(page);
        SCOPED_TRACE(window->pageControl->tabText(page).toStdString());
        std::map<QKeySequence, QString> owners;
        const auto claim = [&owners](const QString& text) {
            const QKeySequence key = QKeySequence::mnemonic(text);
            if (!key.isEmpty()) {
                const auto [owner, added] = owners.emplace(key, text);
                EXPECT_TRUE(added) << text.toStdString() << " and " << owner->second.toStdString();
            }
        };
        for (QAction* menu : window->menuBar()->actions()) {
            claim(menu->text());
        }
        for (const QLabel* label : window->findChildren<QLabel*>()) {
            if (label->buddy() != nullptr && label->isVisible()) {
                claim(label->text());
            }
        }
        for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
            if (button->isVisible()) {
                claim(button->text());
            }
        }
    }
}

// Work 09:00-12:00 with a Meeting inside it and Lunch 12:30-13:00 today: Tab reaches each in
// the day's order and selects it, and the commands act on the one reached.
TEST_F(TForm1Test, TabWalksThroughTheDaysAppointmentsAndSelectsEach) {
    const std::string day = QDate::currentDate().toString("yyyyMMdd").toStdString();
    const auto row = [&day](int id, int event, const char* start, const char* end, int delta) {
        const std::string from = day + "T" + start + ":00000";
        const std::string to = day + "T" + end + ":00000";
        return "<ROW Id=\"" + std::to_string(id) + "\" EventId=\"" + std::to_string(event) +
               "\" StartDate=\"" + day + "\" EndDate=\"" + day + "\" StartTime=\"" + from +
               "\" EndTime=\"" + to + "\" OriginalStartTime=\"" + from + "\" OriginalEndTime=\"" +
               to + "\" StartDelta=\"" + std::to_string(delta) + "\" OriginalStartDelta=\"" +
               std::to_string(delta) + "\"/>";
    };
    test::writeDatabase(folder.path(),
                        "<ROW Id=\"0\" Name=\"Work\"/><ROW Id=\"1\" ParentTypeId=\"0\" "
                        "Name=\"Meeting\"/><ROW Id=\"2\" Name=\"Lunch\"/>",
                        "<ROW Id=\"0\" TypeId=\"0\"/><ROW Id=\"1\" TypeId=\"1\" "
                        "ParentEventId=\"0\"/><ROW Id=\"2\" TypeId=\"2\"/>",
                        row(0, 0, "09:00", "12:00", 216) + row(1, 1, "10:00", "11:00", 24) +
                            row(2, 2, "12:30", "13:00", 300));
    const auto window = openWindow(false);
    const auto reached = [&window]() -> std::string {
        const auto* panel = qobject_cast<TaskPanel*>(QApplication::focusWidget());
        if (panel == nullptr || &panel->row() != window->model().selectedPanel) {
            return "not an appointment that is selected";
        }
        return panel->row().event->type->name;
    };
    window->ScrollBox1->setFocus();
    for (const char* expected : {"Work", "Meeting", "Lunch"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(reached(), expected);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window->checkBoxApplyToFuture);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    ASSERT_EQ(reached(), "Lunch");
    EventDataRow& lunch = *window->model().selectedPanel;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(reached(), "Lunch") << "a shift keeps the focus on the appointment";
    EXPECT_EQ(window->dayView().panelOf(&lunch)->y(), 301);

    // Deleting builds the day anew; the focus stays in the day, on the new selection.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    const std::vector<EventDataRow*>& shown = window->model().dayPanels;
    EXPECT_EQ(std::find(shown.begin(), shown.end(), &lunch), shown.end());
    EXPECT_EQ(reached(), "Work");
}

TEST_F(TForm1Test, TextEditingKeysEditTheFocusedField) {
    auto window = openWindow(false);
    QObject::disconnect(window->actionDeleteEvent, &QAction::triggered, nullptr, nullptr);
    QSignalSpy deleted(window->actionDeleteEvent, &QAction::triggered);
    auto* field = new QLineEdit(window->sheetEventType);
    window->pageControl->setCurrentWidget(window->sheetEventType);
    field->setFocus();
    field->setText("Meeting");
    field->setCursorPosition(0);
    QTest::keyClick(field, Qt::Key_Delete);
    EXPECT_EQ(field->text(), "eeting");
    EXPECT_EQ(deleted.count(), 0);
}

struct ErrorTextCase {
    QString message;
    QString shown;
};

TEST(ApplicationErrors, AppendAFullStopWhenTheLastCharacterSortsAfterIt) {
    const std::vector<ErrorTextCase> cases = {
        {"Disk full", "Disk full."}, {"Saved.", "Saved."},
        {"Really?!", "Really?!"},    {"Version 2", "Version 2."},
        {"Stop!", "Stop!"},          {"(see log)", "(see log)"},
        {"Code 42", "Code 42."},     {"Ends with a comma,", "Ends with a comma,"},
        {"Slash/", "Slash/."}};
    for (const ErrorTextCase& c : cases) {
        ModalMessage seen;
        answerNextMessageBox(seen, QMessageBox::Ok);
        showApplicationError(c.message);
        EXPECT_EQ(seen.text, c.shown) << c.message.toStdString();
        EXPECT_EQ(seen.title, "Kalvo Planner");
        EXPECT_EQ(seen.icon, QMessageBox::Critical);
    }
}

TEST(ApplicationErrors, AnErrorEscapingAnEventHandlerIsShownAndTheProgramRunsOn) {
    struct Thrower : QObject {
        bool event(QEvent* event) override {
            if (event->type() == QEvent::User) {
                throw std::runtime_error("Cannot create file \"x\". Permission denied");
            }
            return QObject::event(event);
        }
    } thrower;
    ModalMessage seen;
    answerNextMessageBox(seen, QMessageBox::Ok);
    QEvent event(QEvent::User);
    QApplication::sendEvent(&thrower, &event);
    EXPECT_EQ(seen.text, "Cannot create file \"x\". Permission denied.");
}

}  // namespace
}  // namespace kalvo
