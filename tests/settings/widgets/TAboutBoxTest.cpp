#include "settings/widgets/TAboutBox.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <set>
#include <string>
#include <vector>

#include "DialogDriver.h"
#include "settings/FakeSettingsStore.h"
#include "settings/ProgrammSettings.h"

namespace kalvo {
namespace {

using test::child;
using test::click;
using test::FakeSettingsStore;
using test::focusName;
using test::pressKey;
using test::whileShown;

constexpr const char* commonOptionsKey = "Software\\Kalvo Planner\\Common Options";

const char* const expectedTips[] = {
    "You can select the event in the Visual Day Editor by mouse click. Selected event will "
    "receive white border after selection. After that, you can change its placement directly "
    "in the appointment tab.",
    "You can shift up and down the selected event using keyboard shortcuts Ctrl+Up and "
    "Ctrl+Down.",
    "It is recommended to perform regularly Backup of Kalvo Planner database using the "
    "corresponding menu item in section File or keyboard shortcut Ctrl+B. You always can "
    "restore the database backup using Restore option in the file menu or the Ctrl+R keyboard "
    "shortcut.",
    "Apply to Future Option works for all aspect of event handling: start time, end time, "
    "duration, etc. For example: if you have changed event start time and duration with Apply "
    "to Future Option turned on, you will get similar changes for all events from the selected "
    "day until forever.",
    "Apply to Future Option also has impact to delete event functionality. If you are trying "
    "to delete recurring event with Apply to Future Option turned off, Kalvo Planner will "
    "remove selected event only for the selected day. If Apply to Future Option turned on you "
    "will delete selected event in the selected day and in all future days.",
};

struct Options {
    bool exitConfirmation;
    bool tip;
    bool operator==(const Options&) const = default;
};

void PrintTo(const Options& options, std::ostream* out) {
    *out << "{exit " << options.exitConfirmation << ", tip " << options.tip << "}";
}

// How the user ends a show of the dialog.
enum class Closing { button, escape, enter, closeBox };

class AboutBoxTest : public ::testing::Test {
protected:
    AboutBoxTest() {
        store.key(commonOptionsKey) = {{"ShowExitConfirmation", 1}, {"ShowTip", 1}};
        settings.loadAll(store);
        store.writes.clear();
    }

    Options memory() const { return {settings.getShowExitConfirmation(), settings.getShowTip()}; }
    Options boxes() const {
        return {child<QCheckBox>(dialog, "checkExitConfirmation")->isChecked(),
                child<QCheckBox>(dialog, "checkShowTip")->isChecked()};
    }
    QString tipShown() const { return child<QPlainTextEdit>(dialog, "TipMemo")->toPlainText(); }

    void close(Closing how, const char* closeButton) {
        switch (how) {
            case Closing::button:
                click(dialog, closeButton);
                break;
            case Closing::escape:
                pressKey(Qt::Key_Escape);
                break;
            case Closing::enter:
                pressKey(Qt::Key_Return);
                break;
            case Closing::closeBox:
                dialog.close();
                break;
        }
    }

    FakeSettingsStore store;
    ProgrammSettings settings;
    std::vector<QString> opened;
    std::vector<QString> errors;
    TAboutBox dialog{
        settings,
        store,
        {QStringLiteral("/opt/kalvo/"), QStringLiteral("/home/ann/.local/share/Kalvo Planner/")},
        AboutBoxServices{
            .backupDatabase = [](const QString&) {},
            .restoreDatabase = [](const QString&) {},
            .reportError = [this](const QString& text) { errors.push_back(text); },
            .openDocument = [this](const QString& path) { opened.push_back(path); },
        }};
};

// ---- The six pages ----------------------------------------------------------------------

struct PageCase {
    const char* name;
    void (TAboutBox::*show)();
    const char* sheet;
    const char* caption;
    int height;
    std::vector<QString> readingOrder;  // focus order from the first control, with Tab
};

void PrintTo(const PageCase& page, std::ostream* out) {
    *out << page.name;
}

const PageCase pageCases[] = {
    {"about", &TAboutBox::showAboutPage, "sheetAbout", "About Kalvo Planner", 264, {"OKButton"}},
    {"tip",
     &TAboutBox::showTipPage,
     "sheetTip",
     "Tip of the Day",
     264,
     {"TipMemo", "tipCheckbox", "previousTipButton", "nextTipButton", "closeButton"}},
    {"options",
     &TAboutBox::showOptionsPage,
     "sheetOptions",
     "Options",
     264,
     {"checkExitConfirmation", "checkShowTip", "checkAlarmNotifications", "Ok", "Cancel"}},
    {"backup",
     &TAboutBox::showBackupPage,
     "sheetBackup",
     "Backup Kalvo Planner Database",
     104,
     {"editBackupDirectory", "buttonBrowseBackupDirectory", "buttonBackup", "buttonCancelBackup"}},
    {"restore",
     &TAboutBox::showRestorePage,
     "sheetRestore",
     "Restore Kalvo Planner Database",
     104,
     {"editRestoreDirectory", "buttonBrowseRestoreDirectory", "buttonRestore",
      "buttonCancelRestore"}},
    {"tutorials",
     &TAboutBox::showTutorialsPage,
     "sheetTutorial",
     "Video Tutorials",
     264,
     {"Button1", "Button2", "Button3"}},
};

// The viewport and scroll bars of a memo are named after the memo.
bool isPartOfACompositeControl(const QWidget* control, const QWidget* sheet) {
    for (const QWidget* owner = control->parentWidget(); owner && owner != sheet;
         owner = owner->parentWidget()) {
        if (qobject_cast<const QAbstractScrollArea*>(owner)) {
            return true;
        }
    }
    return false;
}

class AboutBoxPageTest : public AboutBoxTest, public ::testing::WithParamInterface<PageCase> {
protected:
    void whileOnPage(const std::function<void()>& act) {
        const PageCase& page = GetParam();
        EXPECT_FALSE(whileShown(
            dialog, [&] { (dialog.*page.show)(); }, act))
            << "the page was left open";
    }
};

TEST_P(AboutBoxPageTest, ShowsModallyWithThePageCaptionAndWindowHeight) {
    const PageCase& page = GetParam();
    whileOnPage([&] {
        EXPECT_TRUE(dialog.isModal());
        EXPECT_EQ(dialog.windowTitle(), QString::fromLatin1(page.caption));
        EXPECT_EQ(dialog.frameGeometry().height(), page.height);
        // Fixed border: the window cannot be resized.
        EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
        EXPECT_EQ(child<QStackedWidget>(dialog, "pageControl")->currentWidget()->objectName(),
                  QString::fromLatin1(page.sheet));
        // Every control of the page fits in the window.
        for (const QWidget* control :
             child(dialog, page.sheet)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (control->isVisible()) {
                EXPECT_TRUE(dialog.rect().contains(
                    QRect(control->mapTo(&dialog, QPoint(0, 0)), control->size())))
                    << control->objectName().toStdString();
            }
        }
        EXPECT_EQ(dialog.isTipPageActive(), std::string(page.sheet) == "sheetTip");
        pressKey(Qt::Key_Escape);
    });
}

TEST_P(AboutBoxPageTest, EscClosesThePageAndOnlyTheTipPageStoresAnything) {
    const PageCase& page = GetParam();
    whileOnPage([&] { pressKey(Qt::Key_Escape); });
    if (std::string(page.sheet) == "sheetTip") {
        EXPECT_EQ(store.writes, (std::vector<std::string>{"ShowExitConfirmation=1", "ShowTip=1"}));
    } else {
        EXPECT_TRUE(store.writes.empty());
    }
}

TEST_P(AboutBoxPageTest, FocusStartsAtTheTopAndTabFollowsTheReadingOrder) {
    const PageCase& page = GetParam();
    whileOnPage([&] {
        std::vector<QString> visited;
        for (std::size_t step = 0; step <= page.readingOrder.size(); ++step) {
            visited.push_back(focusName());
            pressKey(Qt::Key_Tab);
        }
        std::vector<QString> expected = page.readingOrder;
        expected.push_back(page.readingOrder.front());  // Tab wraps around within the page
        EXPECT_EQ(visited, expected);
        pressKey(Qt::Key_Escape);
    });
}

TEST_P(AboutBoxPageTest, EveryControlHasAnAccessibleNameAndTheFocusablesAreInTheOrder) {
    const PageCase& page = GetParam();
    whileOnPage([&] {
        std::set<QString> focusable;
        const QWidget* sheet = child(dialog, page.sheet);
        for (const QWidget* control : sheet->findChildren<QWidget*>()) {
            if (!control->isVisible()) {
                continue;
            }
            EXPECT_FALSE(control->accessibleName().isEmpty())
                << "unnamed " << control->metaObject()->className() << " "
                << control->objectName().toStdString();
            if (isPartOfACompositeControl(control, sheet)) {
                continue;
            }
            const std::string name = control->objectName().toStdString();
            EXPECT_FALSE(control->objectName().isEmpty()) << "a control without a name";
            const QString accessible = control->accessibleName();
            const auto labels = sheet->findChildren<const QLabel*>();
            const auto caption = std::find_if(labels.begin(), labels.end(), [&](const QLabel* l) {
                return l->buddy() == control;
            });
            if (caption != labels.end()) {
                // A field named by its caption is announced by what it is for.
                EXPECT_EQ(accessible + QLatin1Char(':'), (*caption)->text()) << name;
            } else if (const auto* buttonControl = qobject_cast<const QAbstractButton*>(control)) {
                EXPECT_EQ(accessible, buttonControl->text()) << name;
            } else if (const auto* labelControl = qobject_cast<const QLabel*>(control);
                       labelControl && !labelControl->text().isEmpty()) {
                EXPECT_EQ(accessible, labelControl->text()) << name;
            } else {
                EXPECT_EQ(accessible, control->objectName()) << name;
            }
            if (control->isEnabled() && (control->focusPolicy() & Qt::TabFocus)) {
                focusable.insert(control->objectName());
            }
        }
        EXPECT_EQ(focusable, std::set<QString>(page.readingOrder.begin(), page.readingOrder.end()));
        pressKey(Qt::Key_Escape);
    });
}

INSTANTIATE_TEST_SUITE_P(Pages, AboutBoxPageTest, ::testing::ValuesIn(pageCases),
                         [](const auto& page) { return std::string(page.param.name); });

TEST_F(AboutBoxTest, AboutPageNamesTheProductAndVersionAndOkCloses) {
    EXPECT_FALSE(whileShown(
        dialog, [&] { dialog.showAboutPage(); },
        [&] {
            const auto* product = child<QLabel>(dialog, "ProductName");
            EXPECT_EQ(product->text(), "Kalvo Planner");
            EXPECT_EQ(product->font().pixelSize(), 24);
            EXPECT_TRUE(product->font().bold());
            EXPECT_EQ(child<QLabel>(dialog, "labelVersion")->text(), "Version 1.11");
            EXPECT_EQ(child<QLabel>(dialog, "labelDatabaseFolder")->text(),
                      "Database folder: /home/ann/.local/share/Kalvo Planner/");
            click(dialog, "OKButton");
        }));
}

// ---- Tip of the day ---------------------------------------------------------------------

TEST_F(AboutBoxTest, TipButtonsCycleThroughTheFiveTipsAndWrapAtBothEnds) {
    struct Step {
        int from;
        const char* button;
        int to;
    };
    const Step steps[] = {
        {4, "nextTipButton", 0},     {0, "previousTipButton", 4}, {2, "nextTipButton", 3},
        {2, "previousTipButton", 1}, {3, "nextTipButton", 4},     {1, "previousTipButton", 0},
    };
    whileShown(
        dialog, [&] { dialog.showTipPage(); },
        [&] {
            EXPECT_EQ(tipShown(), QString::fromLatin1(expectedTips[dialog.tipIndex()]));
            for (const Step& step : steps) {
                for (int guard = 0; dialog.tipIndex() != step.from && guard < 5; ++guard) {
                    click(dialog, "nextTipButton");
                }
                ASSERT_EQ(dialog.tipIndex(), step.from);
                click(dialog, step.button);
                EXPECT_EQ(dialog.tipIndex(), step.to) << step.from << " " << step.button;
                EXPECT_EQ(tipShown(), QString::fromLatin1(expectedTips[step.to]));
            }
            // Enter from the tip text presses the default button, "Next tip", and leaves the
            // dialog open (on a focused button Enter presses that button).
            const int before = dialog.tipIndex();
            child(dialog, "TipMemo")->setFocus();
            pressKey(Qt::Key_Return);
            EXPECT_EQ(dialog.tipIndex(), (before + 1) % 5);
            EXPECT_TRUE(dialog.isVisible());
        });
}

TEST_F(AboutBoxTest, EachRunStartsOnATipChosenAtRandom) {
    std::set<int> starts;
    for (int run = 0; run < 25; ++run) {
        TAboutBox another(settings, store, {QStringLiteral("/opt/kalvo/"), {}},
                          {.backupDatabase = [](const QString&) {},
                           .restoreDatabase = [](const QString&) {},
                           .reportError = [](const QString&) {},
                           .openDocument = {}});
        ASSERT_GE(another.tipIndex(), 0);
        ASSERT_LT(another.tipIndex(), 5);
        EXPECT_EQ(child<QPlainTextEdit>(another, "TipMemo")->toPlainText(),
                  QString::fromLatin1(expectedTips[another.tipIndex()]));
        starts.insert(another.tipIndex());
    }
    EXPECT_GE(starts.size(), 2u);
}

TEST_F(AboutBoxTest, ClosingTheTipPageStoresItsCheckBoxHoweverItCloses) {
    struct Case {
        Closing how;
        bool uncheck;
        const char* showTip;
    };
    const Case cases[] = {
        {Closing::button, false, "ShowTip=1"},   {Closing::button, true, "ShowTip=0"},
        {Closing::escape, true, "ShowTip=0"},    {Closing::closeBox, true, "ShowTip=0"},
        {Closing::closeBox, false, "ShowTip=1"}, {Closing::escape, false, "ShowTip=1"},
    };
    for (const Case& testCase : cases) {
        SCOPED_TRACE(std::string(testCase.showTip) + " closing " +
                     std::to_string(static_cast<int>(testCase.how)));
        auto* box = child<QCheckBox>(dialog, "tipCheckbox");
        box->setChecked(true);
        settings.setShowTip(true);
        store.writes.clear();
        EXPECT_FALSE(whileShown(
            dialog, [&] { dialog.showTipPage(); },
            [&] {
                EXPECT_EQ(box->text(), "Show tip of the day at the loading");
                if (testCase.uncheck) {
                    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
                }
                EXPECT_TRUE(store.writes.empty()) << "stored before the dialog closed";
                close(testCase.how, "closeButton");
            }));
        EXPECT_EQ(settings.getShowTip(), !testCase.uncheck);
        EXPECT_EQ(store.writes,
                  (std::vector<std::string>{"ShowExitConfirmation=1", testCase.showTip}));
    }
}

TEST_F(AboutBoxTest, TheTipCheckBoxStartsCheckedWhateverTheSetting) {
    store.key(commonOptionsKey)["ShowTip"] = 0;
    settings.loadAll(store);
    TAboutBox another(settings, store, {QStringLiteral("/opt/kalvo/"), {}},
                      {.backupDatabase = [](const QString&) {},
                       .restoreDatabase = [](const QString&) {},
                       .reportError = [](const QString&) {},
                       .openDocument = {}});
    EXPECT_TRUE(child<QCheckBox>(another, "tipCheckbox")->isChecked());
}

// ---- Options ----------------------------------------------------------------------------

TEST_F(AboutBoxTest, OptionsAreStoredByOkOnlyAndEveryOtherCloseLeavesThemAlone) {
    struct Case {
        const char* name;
        Options before;
        Options toggle;
        Closing how;
        const char* button;
        Options after;
        std::vector<std::string> writes;
    };
    const Case cases[] = {
        {"Ok stores both boxes",
         {true, true},
         {true, true},
         Closing::button,
         "Ok",
         {false, false},
         {"ShowExitConfirmation=0", "ShowTip=0"}},
        {"Ok stores both values even unchanged",
         {false, true},
         {false, false},
         Closing::button,
         "Ok",
         {false, true},
         {"ShowExitConfirmation=0", "ShowTip=1"}},
        {"Enter presses Ok",
         {true, false},
         {true, false},
         Closing::enter,
         "",
         {false, false},
         {"ShowExitConfirmation=0", "ShowTip=0"}},
        {"Cancel", {true, true}, {true, true}, Closing::button, "Cancel", {true, true}, {}},
        {"Esc", {false, true}, {true, true}, Closing::escape, "", {false, true}, {}},
        {"close box", {true, false}, {true, true}, Closing::closeBox, "", {true, false}, {}},
    };
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        settings.setShowExitConfirmation(testCase.before.exitConfirmation);
        settings.setShowTip(testCase.before.tip);
        store.writes.clear();
        EXPECT_FALSE(whileShown(
            dialog, [&] { dialog.showOptionsPage(); },
            [&] {
                EXPECT_EQ(boxes(), testCase.before);
                if (testCase.toggle.exitConfirmation) {
                    QTest::keyClick(child(dialog, "checkExitConfirmation"), Qt::Key_Space);
                }
                if (testCase.toggle.tip) {
                    QTest::keyClick(child(dialog, "checkShowTip"), Qt::Key_Space);
                }
                child(dialog, "checkExitConfirmation")->setFocus();
                close(testCase.how, testCase.button);
            }));
        EXPECT_EQ(memory(), testCase.after);
        EXPECT_EQ(store.writes, testCase.writes);
    }
}

// The reminder options: their boxes follow what the desktop offers, and Ok stores them in their
// own section only when they changed, so that the two common options are stored as before.
TEST_F(AboutBoxTest, ReminderOptionsFollowTheDesktopAndOkStoresThemWhenChanged) {
    struct Case {
        const char* name;
        bool tray;
        bool notifications;
        std::vector<const char*> toggled;
        std::vector<std::string> reminderWrites;
    };
    const Case cases[] = {
        {"nothing changed", true, true, {}, {}},
        {"tray chosen",
         true,
         true,
         {"checkKeepRunningInTray"},
         {"DesktopNotifications=1", "KeepRunningInTray=1"}},
        {"message boxes chosen without a service",
         false,
         false,
         {"checkAlarmNotifications", "checkKeepRunningInTray"},
         {"DesktopNotifications=0", "KeepRunningInTray=0"}},
    };
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        ProgrammSettings options;
        TAboutBox box{
            options,
            store,
            {},
            AboutBoxServices{.backupDatabase = [](const QString&) {},
                             .restoreDatabase = [](const QString&) {},
                             .reportError = [](const QString&) {},
                             .openDocument = {},
                             .systemTrayAvailable = [&] { return testCase.tray; },
                             .notificationsAvailable = [&] { return testCase.notifications; }}};
        store.writes.clear();
        EXPECT_FALSE(whileShown(
            box, [&] { box.showOptionsPage(); },
            [&] {
                auto* tray = child<QCheckBox>(box, "checkKeepRunningInTray");
                EXPECT_EQ(tray->isEnabled(), testCase.tray);
                EXPECT_EQ(child(box, "labelNoTray")->isVisible(), !testCase.tray);
                EXPECT_EQ(child(box, "labelNoNotifications")->isVisible(), !testCase.notifications);
                EXPECT_TRUE(child<QCheckBox>(box, "checkAlarmNotifications")->isChecked())
                    << "notifications are the default";
                EXPECT_FALSE(tray->isChecked()) << "closing ends the program by default";
                for (const char* toggled : testCase.toggled) {
                    QTest::keyClick(child(box, toggled), Qt::Key_Space);
                }
                click(box, "Ok");
            }));
        std::vector<std::string> expected = {"ShowExitConfirmation=1", "ShowTip=1"};
        expected.insert(expected.end(), testCase.reminderWrites.begin(),
                        testCase.reminderWrites.end());
        EXPECT_EQ(store.writes, expected);
        if (!testCase.reminderWrites.empty()) {
            EXPECT_EQ(store.key("Software\\Kalvo Planner\\Reminders").size(), 2U);
        }
    }
}

TEST_F(AboutBoxTest, OptionsPageShowsTheSettingsAsTheyStandInMemoryAtEveryShow) {
    settings.setShowExitConfirmation(true);
    settings.setShowTip(false);
    whileShown(
        dialog, [&] { dialog.showOptionsPage(); },
        [&] {
            EXPECT_EQ(boxes(), (Options{true, false}));
            QTest::keyClick(child(dialog, "checkExitConfirmation"), Qt::Key_Space);
            QTest::keyClick(child(dialog, "checkShowTip"), Qt::Key_Space);
            EXPECT_EQ(boxes(), (Options{false, true}));
            click(dialog, "Cancel");
        });
    whileShown(
        dialog, [&] { dialog.showOptionsPage(); },
        [&] {
            EXPECT_EQ(boxes(), (Options{true, false})) << "shows what Cancel left behind";
            click(dialog, "Cancel");
        });
    // The tip page changes the tip option; the options page then shows the change.
    whileShown(
        dialog, [&] { dialog.showTipPage(); },
        [&] {
            QTest::keyClick(child(dialog, "tipCheckbox"), Qt::Key_Space);
            click(dialog, "closeButton");
        });
    whileShown(
        dialog, [&] { dialog.showOptionsPage(); },
        [&] {
            EXPECT_EQ(boxes(), (Options{true, false}));
            click(dialog, "Cancel");
        });
    EXPECT_EQ(store.key(commonOptionsKey)["ShowTip"], FakeSettingsStore::Value{0});
}

// ---- Tutorials --------------------------------------------------------------------------

TEST_F(AboutBoxTest, TutorialButtonsOpenTheirDocumentsFromTheProgramFolderAndStayOpen) {
    struct Case {
        const char* programFolder;
        const char* button;
        const char* path;
    };
    const Case cases[] = {
        {"/opt/kalvo/", "Button1", "/opt/kalvo/Demos/NewEvent.htm"},
        {"/opt/kalvo/", "Button2", "/opt/kalvo/Demos/ModifyEvent.htm"},
        {"/opt/kalvo/", "Button3", "/opt/kalvo/Demos/ApplyToFuture.htm"},
        {"/opt/kalvo", "Button1", "/opt/kalvo/Demos/NewEvent.htm"},
        {"/home/me/Kalvo Planner/", "Button3", "/home/me/Kalvo Planner/Demos/ApplyToFuture.htm"},
    };
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.path);
        opened.clear();
        TAboutBox tutorials(
            settings, store, {QString::fromLatin1(testCase.programFolder), {}},
            {.backupDatabase = [](const QString&) {},
             .restoreDatabase = [](const QString&) {},
             .reportError = [](const QString&) {},
             .openDocument = [this](const QString& path) { opened.push_back(path); }});
        const bool leftOpen = whileShown(
            tutorials, [&] { tutorials.showTutorialsPage(); },
            [&] {
                click(tutorials, testCase.button);
                // Enter on the page presses no tutorial button and does not close.
                pressKey(Qt::Key_Return);
            });
        EXPECT_TRUE(leftOpen);
        EXPECT_EQ(opened, std::vector<QString>{QString::fromLatin1(testCase.path)});
    }
}

}  // namespace
}  // namespace kalvo
