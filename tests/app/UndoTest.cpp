#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QWheelEvent>
#include <filesystem>
#include <functional>

#include "ModalAnswer.h"
#include "QuietWindow.h"
#include "app/MainWindowParts.h"
#include "app/TForm1.h"
#include "day/DateFunctions.h"
#include "day/widgets/AppointmentPage.h"
#include "day/widgets/DayView.h"
#include "day/widgets/TaskPanel.h"
#include "settings/FakeSettingsStore.h"
#include "support/DatabaseFiles.h"
#include "support/TextDifference.h"
#include "types/widgets/TypeTreeWidget.h"

namespace kalvo {
namespace {

// Work 09:00-10:00 every day since four days ago, in the real window on today.
class UndoTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString day = QDate::currentDate().addDays(-4).toString("yyyyMMdd");
        test::writeDatabase(
            folder.path(), "<ROW Id=\"0\" Name=\"Work\"/><ROW Id=\"1\" Name=\"Lunch\"/>",
            "<ROW Id=\"0\" TypeId=\"0\"/>",
            ("<ROW Id=\"0\" EventId=\"0\" StartDate=\"" + day + "\" StartTime=\"" + day +
             "T09:00:00000\" EndTime=\"" + day + "T10:00:00000\" OriginalStartTime=\"" + day +
             "T09:00:00000\" OriginalEndTime=\"" + day + "T10:00:00000\" StartDelta=\"216\"/>")
                .toStdString());
        start();
        window->activateWindow();
    }

    // What Save writes now.
    std::string saved() {
        save();
        return filesInFolder();
    }

    // The three files as the folder holds them.
    std::string filesInFolder() const {
        std::string files;
        for (const char* name : {"Type.xml", "Event.xml", "EventData.xml"}) {
            files += test::fileText(folder.file(name));
        }
        return files;
    }

    // Ctrl+S, and the wait for its files to be written.
    void save() {
        window->actionSave->trigger();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->saving(); }));
    }

    // The key of a command, pressed where the focus is as a user presses it.
    void press(QKeySequence::StandardKey key) {
        const QKeyCombination combination = QKeySequence(key)[0];
        QWidget* focus =
            QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : window.get();
        QTest::keyClick(focus, combination.key(), combination.keyboardModifiers());
    }

    // What Save would write now, into a folder of its own: the database folder stays as saved.
    std::string wouldSave() {
        const test::TemporaryFolder scratch;
        window->database().saveDatabaseTo(window->model(), scratch.path().string() + "/");
        std::string files;
        for (const char* name : {"Type.xml", "Event.xml", "EventData.xml"}) {
            files += test::fileText(scratch.file(name));
        }
        return files;
    }

    // Ends the window as a crash or a killed process does: without closing, so without saving.
    void crash() { window.reset(); }

    // A crash, then a start that answers Yes to the recovery; the question it asked.
    QString crashAndRecover() {
        crash();
        test::ModalMessage asked;
        test::answerNextMessageBox(asked, QMessageBox::Yes);
        start();
        return asked.text;
    }

    void start() { window = test::showQuietWindow(store, settings, folder.path()); }

    test::TemporaryFolder folder;
    test::FakeSettingsStore store;
    ProgrammSettings settings;
    std::unique_ptr<TForm1> window;
};

struct UserEdit {
    const char* name;
    const char* undoCaption;
    std::function<void(UndoTest&, TForm1&)> perform;
};

class EachUserEdit : public UndoTest, public ::testing::WithParamInterface<UserEdit> {};

const UserEdit kUserEdits[] = {
    {"DragWorkDown", "&Undo Move Work",
     [](UndoTest&, TForm1& window) {
         TaskPanel* panel = nullptr;
         for (EventDataRow* row : window.model().dayPanels) {
             panel = window.dayView().panelOf(row);
         }
         ASSERT_NE(panel, nullptr);
         QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(5, 11));
         for (int y = 12; y <= 40; y += 4) {  // many pixels, one step
             QTest::mouseMove(panel, QPoint(5, y));
         }
         QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(5, 40));
     }},
    {"DropLunch", "&Undo Add Lunch",
     [](UndoTest&, TForm1& window) {
         QTreeWidgetItem* lunch = window.tree->topLevelItem(0)->child(1);
         std::unique_ptr<QMimeData> data(window.tree->mimeData({lunch}));
         QWidget* column = window.panelMain;
         const QPoint at(40, 500);  // 20:50, free space
         QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, {});
         QApplication::sendEvent(column, &enter);
         QDragMoveEvent move(at, Qt::CopyAction, data.get(), Qt::LeftButton, {});
         QApplication::sendEvent(column, &move);
         ASSERT_TRUE(move.isAccepted());
         QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, {});
         QApplication::sendEvent(column, &drop);
     }},
    {"DeleteWorkForTheFuture", "&Undo Delete Work",
     [](UndoTest&, TForm1& window) {
         window.checkBoxApplyToFuture->setChecked(true);
         window.tree->setFocus();
         QTest::keyClick(window.tree, Qt::Key_Delete);
     }},
    {"RenameLunch", "&Undo Rename Lunch",
     [](UndoTest&, TForm1& window) {
         window.tree->setCurrentItem(window.tree->topLevelItem(0)->child(1));
         window.tree->setFocus();
         QTest::keyClick(window.tree, Qt::Key_F2);
         QWidget* editor = QApplication::focusWidget();
         ASSERT_NE(qobject_cast<QLineEdit*>(editor), nullptr);
         QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
         QTest::keyClicks(editor, "Dinner");
         QTest::keyClick(editor, Qt::Key_Return);
         QCoreApplication::processEvents();  // the editor commits once it is closed
     }},
};

TEST_P(EachUserEdit, CtrlZTakesItBackAndCtrlShiftZDoesItAgain) {
    const std::string before = saved();
    EXPECT_FALSE(window->actionUndo->isEnabled());
    GetParam().perform(*this, *window);
    EXPECT_EQ(window->actionUndo->text().toStdString(), GetParam().undoCaption);
    EXPECT_TRUE(window->isWindowModified());
    // Undo from another day; a day build sets the stored times of the rows it shows, so what
    // redo must give back is what Save writes right before the undo.
    window->calendar->setSelectedDate(QDate::currentDate().addDays(3));
    const std::string after = saved();
    ASSERT_NE(after, before);
    EXPECT_FALSE(window->isWindowModified()) << "saved";

    window->tree->setFocus();
    press(QKeySequence::Undo);
    EXPECT_EQ(window->calendar->selectedDate(), QDate::currentDate()) << "shows the step's day";
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_EQ(test::difference(saved(), before), "");
    EXPECT_EQ(window->actionRedo->text().toStdString(),
              "&Redo" + std::string(GetParam().undoCaption).substr(5));

    press(QKeySequence::Redo);
    EXPECT_EQ(test::difference(saved(), after), "");
    EXPECT_FALSE(window->isWindowModified());
}

INSTANTIATE_TEST_SUITE_P(RealWindow, EachUserEdit, ::testing::ValuesIn(kUserEdits),
                         [](const auto& edit) { return std::string(edit.param.name); });

TEST_F(UndoTest, TheEditsOfASessionThatDidNotCloseAreRecoveredAtTheNextStart) {
    kUserEdits[0].perform(*this, *window);  // a drag
    kUserEdits[3].perform(*this, *window);  // a rename
    press(QKeySequence::Undo);
    press(QKeySequence::Redo);
    const std::string expected = wouldSave();
    crash();
    ASSERT_TRUE(std::filesystem::exists(folder.file(".kalvo-journal")));

    test::ModalMessage asked;
    test::answerNextMessageBox(asked, QMessageBox::Yes);
    start();
    EXPECT_EQ(asked.text,
              "Kalvo Planner was not closed properly. Recover the 2 changes made "
              "after the last save?");
    EXPECT_EQ(wouldSave(), expected);
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_EQ(window->actionUndo->text(), "&Undo Rename Lunch");

    // Saved now: the journal goes, and a normal close leaves none either.
    save();
    EXPECT_FALSE(std::filesystem::exists(folder.file(".kalvo-journal")));
    kUserEdits[0].perform(*this, *window);
    EXPECT_TRUE(std::filesystem::exists(folder.file(".kalvo-journal")));
    window->close();
    EXPECT_FALSE(std::filesystem::exists(folder.file(".kalvo-journal")));
}

TEST_F(UndoTest, ABackupIntoAFolderThatCannotBeWrittenLeavesItsSaveAndAJournalOfTheEditsAfter) {
    kUserEdits[0].perform(*this, *window);  // a drag
    EXPECT_THROW(window->backupDatabase(QString::fromStdString(folder.file("Type.xml/backup"))),
                 std::runtime_error);
    EXPECT_FALSE(window->isWindowModified()) << "the database was saved before the backup";
    kUserEdits[3].perform(*this, *window);  // a rename
    const std::string expected = wouldSave();
    EXPECT_EQ(crashAndRecover(),
              "Kalvo Planner was not closed properly. Recover the 1 changes made "
              "after the last save?");
    EXPECT_EQ(wouldSave(), expected);

    // Into a folder that can be made, the backup is written and the status bar says where.
    const std::string backup = folder.file("backups/today");
    window->backupDatabase(QString::fromStdString(backup));
    EXPECT_TRUE(std::filesystem::exists(backup + "/EventData.xml"));
    EXPECT_EQ(window->statusBar()->currentMessage(),
              "Backup written to " + QString::fromStdString(backup));
}

// While the mouse drags a panel no key reaches the window: a command would change or build
// anew the day under the mouse and end the drag's step halfway.
TEST_F(UndoTest, KeysPressedDuringADragAreNotUsed) {
    const std::pair<const char*, QKeyCombination> keys[] = {
        {"save", Qt::CTRL | Qt::Key_S},
        {"delete the appointment", QKeyCombination(Qt::Key_Delete)},
        {"add a type", Qt::CTRL | Qt::Key_Insert},
        {"shift", Qt::CTRL | Qt::Key_Down},
        {"next day", Qt::ALT | Qt::Key_Right},
        {"exit", QKeyCombination(Qt::Key_Escape)}};
    const std::string before = wouldSave();
    const std::string savedBefore = filesInFolder();
    for (const auto& [what, key] : keys) {
        SCOPED_TRACE(what);
        TaskPanel* panel = window->dayView().panelOf(window->model().dayPanels.front());
        ASSERT_NE(panel, nullptr);
        QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(5, 11));
        QTest::mouseMove(panel, QPoint(5, 20));
        QWidget* focus =
            QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : window.get();
        QTest::keyClick(focus, key.key(), key.keyboardModifiers());
        QTest::mouseMove(panel, QPoint(5, 40));
        QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(5, 40));

        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->model().selectedDate, calendarDateOf(QDate::currentDate()));
        EXPECT_EQ(window->model().types.size(), 2u);
        EXPECT_EQ(filesInFolder(), savedBefore);
        EXPECT_EQ(window->actionUndo->text(), "&Undo Move Work");
        press(QKeySequence::Undo);
        EXPECT_EQ(wouldSave(), before) << "the drag is one step";
    }
}

// The files are written while the window goes on: what Save wrote is the model at Ctrl+S,
// and an edit made meanwhile stays unsaved and in the journal of the new files.
TEST_F(UndoTest, AnEditWhileTheFilesAreWrittenStaysUnsavedAndInTheJournal) {
    kUserEdits[3].perform(*this, *window);  // a rename, saved below
    const std::string atSave = wouldSave();
    window->actionSave->trigger();
    kUserEdits[0].perform(*this, *window);  // a drag, during the write
    ASSERT_TRUE(window->saving());
    const std::string afterDrag = wouldSave();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->saving(); }));

    EXPECT_EQ(test::difference(filesInFolder(), atSave), "");
    EXPECT_TRUE(window->isWindowModified());
    press(QKeySequence::Undo);
    EXPECT_FALSE(window->isWindowModified());  // back at what the files hold
    press(QKeySequence::Redo);

    EXPECT_EQ(crashAndRecover(),
              "Kalvo Planner was not closed properly. Recover the 1 changes made "
              "after the last save?");  // the drag: the rename is in the files
    EXPECT_EQ(test::difference(wouldSave(), afterDrag), "");
}

// A write that fails on the worker thread is reported as a failed save always was, and the
// edits stay unsaved and journaled.
TEST_F(UndoTest, AFailedWriteIsReportedAndKeepsTheEditsUnsaved) {
    kUserEdits[0].perform(*this, *window);  // a drag
    const std::filesystem::path eventData = folder.file("EventData.xml");
    std::filesystem::remove(eventData);
    std::filesystem::create_directories(eventData / "blocked");
    test::ModalMessage reported;
    test::answerNextMessageBox(reported, QMessageBox::Ok);
    window->actionSave->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return reported.shown; }));
    EXPECT_EQ(reported.text, "Cannot create file \"" + QString::fromStdString(eventData.string()) +
                                 "\". Is a directory.");
    EXPECT_FALSE(window->saving());
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_TRUE(std::filesystem::exists(folder.file(".kalvo-journal")));
}

TEST_F(UndoTest, RecoveryDeclinedKeepsTheJournalAsideAndStartsFromTheSavedFiles) {
    const std::string savedBefore = wouldSave();
    kUserEdits[1].perform(*this, *window);  // a drop
    crash();
    test::ModalMessage asked;
    test::answerNextMessageBox(asked, QMessageBox::No);
    start();
    EXPECT_TRUE(asked.shown);
    EXPECT_EQ(wouldSave(), savedBefore);
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_FALSE(std::filesystem::exists(folder.file(".kalvo-journal")));
    EXPECT_TRUE(std::filesystem::exists(folder.file(".kalvo-journal.kept-1")));
}

TEST_F(UndoTest, CtrlZInTheCommentEditorUndoesTheTextOnly) {
    window->pageControl->setCurrentWidget(window->sheetEvent);
    auto* memo = window->findChild<QPlainTextEdit*>("memoEventDataComment");
    ASSERT_NE(memo, nullptr);
    memo->setFocus();
    QTest::keyClicks(memo, "Call Ann");
    EXPECT_EQ(window->actionUndo->text(), "&Undo Edit Comment of Work");
    press(QKeySequence::Undo);
    EXPECT_EQ(memo->toPlainText(), "") << "the editor took back its text";
    EXPECT_TRUE(window->history().stepOpen()) << "the window's history was left alone";

    // Leaving the editor ends the typing's step; Ctrl+Z then takes the comment back.
    window->tree->setFocus();
    EXPECT_FALSE(window->history().stepOpen());
    memo->setFocus();
    QTest::keyClicks(memo, "Plan");
    window->tree->setFocus();
    ASSERT_EQ(window->model().selectedPanel->comment, "Plan\r\n");
    press(QKeySequence::Undo);
    ASSERT_NE(window->model().selectedPanel, nullptr);
    EXPECT_EQ(window->model().selectedPanel->comment, "");
}

// The typing of a comment was scoped to the day shown: a day changed by its key while the
// editor keeps the focus starts the next day's typing as a step of its own.
TEST_F(UndoTest, ACommentTypedOnTheNextDayIsAStepOfItsOwn) {
    window->pageControl->setCurrentWidget(window->sheetEvent);
    auto* memo = window->findChild<QPlainTextEdit*>("memoEventDataComment");
    ASSERT_NE(memo, nullptr);
    memo->setFocus();
    QTest::keyClicks(memo, "Today");
    QTest::keyClick(memo, Qt::Key_Right, Qt::AltModifier);
    ASSERT_EQ(window->model().selectedDate, calendarDateOf(QDate::currentDate().addDays(1)));
    ASSERT_EQ(QApplication::focusWidget(), memo);
    QTest::keyClicks(memo, "Tomorrow");
    const EventDataRow* tomorrow = window->model().selectedPanel;
    ASSERT_NE(tomorrow, nullptr);
    ASSERT_EQ(tomorrow->comment, "Tomorrow\r\n");

    window->tree->setFocus();
    press(QKeySequence::Undo);
    EXPECT_EQ(tomorrow->comment, "");
    QTest::keyClick(memo, Qt::Key_Left, Qt::AltModifier);
    ASSERT_NE(window->model().selectedPanel, nullptr);
    EXPECT_EQ(window->model().selectedPanel->comment, "Today\r\n")
        << "the undo took back the next day's typing only";
}

// A restore is one step: its undo brings back the data it replaced, also once the restored data
// were saved and the program crashed after the undo.
TEST_F(UndoTest, UndoRestoreBringsBackTheDataBeforeItAfterASaveAndACrash) {
    window->actionShiftDownEventData->trigger();  // an edit the restore saves first
    const std::string beforeRestore = wouldSave();
    const test::TemporaryFolder backup;
    test::writeDatabase(backup.path(), "<ROW Id=\"0\" Name=\"Restored\"/>", "", "");
    window->restoreDatabase(QString::fromStdString(backup.path().string()));
    ASSERT_EQ(window->model().types[0]->name, "Restored");
    EXPECT_EQ(window->actionUndo->text(), "&Undo Restore");
    EXPECT_TRUE(window->isWindowModified());
    save();
    ASSERT_NE(filesInFolder().find("Restored"), std::string::npos);

    window->actionUndo->trigger();
    EXPECT_EQ(window->model().types[0]->name, "Work");
    EXPECT_EQ(window->tree->topLevelItem(0)->child(0)->text(0), "Work");
    EXPECT_EQ(wouldSave(), beforeRestore);
    EXPECT_TRUE(window->isWindowModified()) << "the files hold the restored data";

    crashAndRecover();
    EXPECT_EQ(wouldSave(), beforeRestore);
    EXPECT_EQ(saved(), beforeRestore);
}

// The zoom scales the drawing only: a typed time at any zoom, or a shift by any step, writes
// what the same edit by a drag at the default zoom writes.
class ZoomedDayTest : public UndoTest {
protected:
    TaskPanel* workPanel() { return window->dayView().panelOf(window->model().selectedPanel); }

    // Reset Zoom, then Zoom In `steps` times: 24, 30, 36, 48, 60, 72, 96, 120, 144, 180, 240.
    void zoomTo(int steps) {
        window->actionResetZoom->trigger();
        for (int i = 0; i < steps; ++i) {
            window->actionZoomIn->trigger();
        }
    }

    int startMinute() { return minuteOfDay(window->model().selectedPanel->startTime); }
};

TEST_F(ZoomedDayTest, ATypedStartWritesWhatADragOfTheStartWritesAtTheDefaultZoom) {
    const std::string before = saved();
    ASSERT_EQ(window->dayView().scale().pixelsPerHour(), 24);
    TaskPanel* work = workPanel();
    ASSERT_NE(work, nullptr);
    QTest::mousePress(work, Qt::LeftButton, {}, QPoint(5, 1));
    QTest::mouseMove(work, QPoint(5, 12));  // the start to 09:30
    QTest::mouseRelease(work, Qt::LeftButton, {}, QPoint(5, 12));
    ASSERT_EQ(startMinute(), 9 * 60 + 30);
    const std::string dragged = saved();
    window->actionUndo->trigger();

    zoomTo(3);
    ASSERT_EQ(window->dayView().scale().pixelsPerHour(), 48);
    EXPECT_EQ(workPanel()->height(), 48) << "an hour, 48 pixels high";
    EXPECT_EQ(saved(), before) << "zooming stores nothing";
    EXPECT_EQ(store.key("Software\\Kalvo Planner\\Day View")["PixelsPerHour"],
              test::FakeSettingsStore::Value(std::int32_t{48}));

    window->pageControl->setCurrentWidget(window->sheetEvent);
    QTimeEdit* startField = window->appointmentPage->editStartTime;
    startField->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(startField, "0930");
    QTest::keyClick(startField, Qt::Key_Return);
    EXPECT_EQ(startMinute(), 9 * 60 + 30);
    EXPECT_EQ(window->actionUndo->text(), "&Undo Change Start of Work");
    EXPECT_EQ(workPanel()->height(), 24);
    EXPECT_EQ(saved(), dragged);

    // The zoom chosen comes back with the next start.
    window->close();
    start();
    EXPECT_EQ(window->dayView().scale().pixelsPerHour(), 48);
}

TEST_F(ZoomedDayTest, AShiftMovesToTheChosenStepsNextMarkAtEveryZoom) {
    struct Step {
        const char* action;
        int minutesAfterShiftDown;  // from 09:00
        int storedMinutes;
    };
    const Step steps[] = {{"actionShiftStepPixel", 9 * 60 + 2, 0},
                          {"actionShiftStepFiveMinutes", 9 * 60 + 5, 5},
                          {"actionShiftStepFifteenMinutes", 9 * 60 + 15, 15}};
    for (const int zoomSteps : {0, 4, 10}) {
        zoomTo(zoomSteps);
        const TimelineScale scale = window->dayView().scale();
        for (const Step& step : steps) {
            SCOPED_TRACE(std::to_string(scale.pixelsPerHour()) + " px/h, " + step.action);
            auto* choice = window->findChild<QAction*>(step.action);
            ASSERT_NE(choice, nullptr);
            choice->trigger();
            EXPECT_EQ(store.key("Software\\Kalvo Planner\\Day View")["ShiftStepMinutes"],
                      test::FakeSettingsStore::Value(std::int32_t{step.storedMinutes}));
            ASSERT_EQ(startMinute(), 9 * 60);
            window->actionShiftDownEventData->trigger();
            EXPECT_EQ(startMinute(), step.minutesAfterShiftDown);
            EXPECT_EQ(workPanel()->y(), scale.toScreen(timeToPixels(step.minutesAfterShiftDown)));
            window->actionUndo->trigger();
        }
    }
}

TEST_F(ZoomedDayTest, CtrlWheelOverTheTimelineZoomsAndAPlainWheelScrolls) {
    QWidget* viewport = window->ScrollBox1->viewport();
    const auto wheel = [&](Qt::KeyboardModifiers modifiers, int delta) {
        const QPointF at(100, 100);
        QWheelEvent event(at, viewport->mapToGlobal(at), {}, QPoint(0, delta), Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &event);
    };
    wheel(Qt::ControlModifier, 120);
    EXPECT_EQ(window->dayView().scale().pixelsPerHour(), 30);
    wheel(Qt::ControlModifier, 120);
    EXPECT_EQ(window->dayView().scale().pixelsPerHour(), 36);
    wheel(Qt::ControlModifier, -120);
    EXPECT_EQ(window->dayView().scale().pixelsPerHour(), 30);
    wheel(Qt::NoModifier, -120);
    EXPECT_EQ(window->dayView().scale().pixelsPerHour(), 30);
}

}  // namespace
}  // namespace kalvo
