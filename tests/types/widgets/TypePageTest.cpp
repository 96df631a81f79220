#include "types/widgets/TypePage.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "app/ModalAnswer.h"
#include "types/TypeCommands.h"
#include "types/widgets/FileNameEdit.h"
#include "types/widgets/TypeColorBox.h"

namespace kalvo {
namespace {

class TypePageTest : public ::testing::Test {
protected:
    void SetUp() override {
        page.resize(400, 240);
        page.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
        page.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    }

    // Picks the colour list's entry with this text as the user does: open the list, walk to
    // the entry with the arrow keys, press Enter.
    void chooseColor(const QString& text) {
        QComboBox& combo = *page.comboColor;
        const int index = combo.findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        QTest::mouseClick(&combo, Qt::LeftButton);
        QAbstractItemView* list = combo.view();
        ASSERT_TRUE(list->isVisible());
        QTest::keyClick(list, Qt::Key_Home);
        for (int step = 0; step < index; ++step) {
            QTest::keyClick(list, Qt::Key_Down);
        }
        QTest::keyClick(list, Qt::Key_Return);
    }

    TypePage page;
};

TEST_F(TypePageTest, ControlsCarryTheirNamesCaptionsAndHints) {
    struct Control {
        const char* name;
        const char* accessibleName;
        const char* shown;  // caption, or hint for the glyph buttons
    };
    const Control controls[] = {
        {"labelTypeName", "Name", "Name"},
        {"editTypeName", "Name", ""},
        {"labelColor", "Color", "Color"},
        {"comboColor", "Color", ""},
        {"labelImportance", "Importance", "Importance"},
        {"comboImportance", "Importance", ""},
        {"labelComment", "Comment", "Comment"},
        {"editComment", "Comment", ""},
        {"labelLongComment", "Long Comment", "Long Comment"},
        {"memoComment", "Long Comment", ""},
        {"checkExcludeWeekends", "Exclude Weekends", "Exclude Weekends"},
        {"checkBeforeAlarm", "Before Alarm", "Before Alarm"},
        {"labelBeforeAlarmDelay", "Delay", "Delay"},
        {"editBeforeAlarmDelay", "Before Alarm delay", ""},
        {"labelBeforeAlarmFile", "File", "File"},
        {"editBeforeAlarmFileText", "Before Alarm file", ""},
        {"buttonPlay", "Play Before Alarm file", "Start playing."},
        {"buttonAudioStop", "Stop Before Alarm file", "Stop playing."},
        {"checkAfterAlarm", "After Alarm", "After Alarm"},
        {"labelAfterAlarmDelay", "Delay", "Delay"},
        {"editAfterAlarmDelay", "After Alarm delay", ""},
        {"labelAfterAlarmFile", "File", "File"},
        {"editAfterAlarmFileText", "After Alarm file", ""},
        {"buttonPlayFileAfterAlarm", "Play After Alarm file", "Start playing."},
        {"buttonStopPlayFileAfterAlarm", "Stop After Alarm file", "Stop playing."},
        {"ButtonSaveEventType", "Apply", "Apply"},
    };
    for (const Control& control : controls) {
        SCOPED_TRACE(control.name);
        auto* widget = page.findChild<QWidget*>(QString::fromLatin1(control.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->accessibleName(), control.accessibleName);
        QString shown;
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            shown = label->text();
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            shown = button->text().isEmpty() ? button->toolTip() : button->text();
        }
        EXPECT_EQ(shown, control.shown);
        const bool delay = QString::fromLatin1(control.name).contains("Delay");
        EXPECT_EQ(widget->isVisible(), !delay) << "only the delays are never visible";
    }
    QStringList importance;
    for (int i = 0; i < page.comboImportance->count(); ++i) {
        importance << page.comboImportance->itemText(i);
    }
    EXPECT_EQ(importance, (QStringList{"Lowest", "Low", "Medium", "High", "Critical"}));
    EXPECT_EQ(page.comboColor->currentText(), "Green") << "green comes preselected";
}

TEST_F(TypePageTest, WithoutATypeTheNameColourAndImportanceEmptyAndAllIsDisabled) {
    EventType meeting;
    meeting.name = "Meeting";
    meeting.importance = 2;
    meeting.comment = "weekly";
    meeting.longComment = "agenda";
    meeting.beforeAlarm = true;
    meeting.beforeAlarmFile = "start.wav";
    page.showTypeOnPage(&meeting);
    page.showTypeOnPage(nullptr);
    EXPECT_EQ(page.editTypeName->text(), "");
    EXPECT_EQ(page.comboColor->currentIndex(), -1);
    EXPECT_EQ(page.comboImportance->currentIndex(), -1);
    EXPECT_EQ(page.editComment->text(), "weekly");
    EXPECT_EQ(page.memoComment->toPlainText(), "agenda");
    EXPECT_TRUE(page.checkBeforeAlarm->isChecked());
    EXPECT_EQ(page.editBeforeAlarmFile->fileName(), "start.wav");
    for (QWidget* control : page.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    }
}

TEST_F(TypePageTest, AlarmDependantsFollowTheirCheckBox) {
    struct Case {
        bool beforeAlarm;
        bool afterAlarm;
    };
    // Each shown after a type that had both alarms on, then after one with both off.
    const Case cases[] = {{false, false}, {true, false}, {false, true}, {true, true}};
    for (const Case& c : cases) {
        for (const bool previous : {true, false}) {
            SCOPED_TRACE(::testing::Message() << c.beforeAlarm << c.afterAlarm << previous);
            EventType before;
            before.beforeAlarm = before.afterAlarm = previous;
            EventType type;
            type.beforeAlarm = c.beforeAlarm;
            type.afterAlarm = c.afterAlarm;
            page.showTypeOnPage(&before);
            page.showTypeOnPage(&type);
            for (QWidget* dependant : std::initializer_list<QWidget*>{
                     page.editBeforeAlarmFile, page.labelBeforeAlarmFile, page.editBeforeAlarmDelay,
                     page.labelBeforeAlarmDelay, page.buttonPlay, page.buttonAudioStop}) {
                EXPECT_EQ(dependant->isEnabled(), c.beforeAlarm)
                    << dependant->objectName().toStdString();
            }
            for (QWidget* dependant : std::initializer_list<QWidget*>{
                     page.editAfterAlarmFile, page.labelAfterAlarmFile, page.editAfterAlarmDelay,
                     page.labelAfterAlarmDelay, page.buttonPlayFileAfterAlarm,
                     page.buttonStopPlayFileAfterAlarm}) {
                EXPECT_EQ(dependant->isEnabled(), c.afterAlarm)
                    << dependant->objectName().toStdString();
            }
        }
    }
    // A click by the user follows the same rule.
    QTest::mouseClick(page.checkBeforeAlarm, Qt::LeftButton);
    EXPECT_FALSE(page.buttonPlay->isEnabled());
    QTest::mouseClick(page.checkBeforeAlarm, Qt::LeftButton);
    EXPECT_TRUE(page.buttonPlay->isEnabled());
    page.showTypeOnPage(nullptr);
    EXPECT_FALSE(page.buttonPlay->isEnabled()) << "a disabled check box enables nothing";
}

TEST_F(TypePageTest, ANewTypeShowsItsInitialValues) {
    Model model;
    const EventType& type = createType(model, nullptr);
    page.showTypeOnPage(&type);
    EXPECT_EQ(page.editTypeName->text(), "New Type");
    EXPECT_EQ(page.comboColor->currentText(), "Green");
    EXPECT_EQ(page.comboImportance->currentText(), "Lowest");
    EXPECT_EQ(page.editComment->text(), "");
    EXPECT_EQ(page.memoComment->toPlainText(), "");
    EXPECT_FALSE(page.checkExcludeWeekends->isChecked() || page.checkBeforeAlarm->isChecked() ||
                 page.checkAfterAlarm->isChecked());
}

TEST_F(TypePageTest, ImportanceIsThePositionOfTheChosenEntry) {
    EventType type;
    type.importance = 2;
    page.showTypeOnPage(&type);
    EXPECT_EQ(page.comboImportance->currentText(), "Medium");
    page.comboImportance->setFocus();
    QTest::keyClick(page.comboImportance, Qt::Key_End);
    EXPECT_EQ(page.comboImportance->currentText(), "Critical");
    page.readTypePage(type);
    EXPECT_EQ(type.importance, 4);

    type.importance = 9;
    page.showTypeOnPage(&type);
    EXPECT_EQ(page.comboImportance->currentIndex(), -1);
    page.readTypePage(type);
    EXPECT_EQ(type.importance, -1);
}

TEST_F(TypePageTest, ChoosingAColourStoresItsBgrValue) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"Red", 0x0000FF},
        {"Navy", 0x800000},
        {"Money Green", 0xC0DCC0},
        {"Button Face", static_cast<std::int32_t>(0xFF00000FU)},
        {"Info Background", static_cast<std::int32_t>(0xFF000018U)},
    };
    for (const auto& [name, stored] : cases) {
        SCOPED_TRACE(name);
        EventType type;
        page.showTypeOnPage(&type);
        chooseColor(QString::fromUtf8(name));
        EXPECT_EQ(page.comboColor->currentText(), name);
        page.readTypePage(type);
        EXPECT_EQ(type.color, stored);
    }
}

TEST_F(TypePageTest, TheCustomEntryAsksTheColourDialog) {
    EventType type;
    type.color = 0x0000FF;  // red
    page.showTypeOnPage(&type);
    test::whenOpen<QColorDialog>([](QColorDialog& dialog) {
        dialog.setCurrentColor(QColor(0x12, 0x34, 0x56));
        dialog.accept();
    });
    chooseColor(TypeColorBox::customEntryText());
    page.readTypePage(type);
    EXPECT_EQ(type.color, 0x563412);

    test::whenOpen<QColorDialog>([](QColorDialog& dialog) { dialog.reject(); });
    chooseColor(TypeColorBox::customEntryText());
    page.readTypePage(type);
    EXPECT_EQ(type.color, 0x563412) << "a cancelled dialog keeps the colour";
}

TEST_F(TypePageTest, StoredValuesOutsideTheListComeBackUnchanged) {
    for (const std::int32_t stored :
         {0x563412, static_cast<std::int32_t>(0xFF00001AU), 0x02008000, 0x008000}) {
        SCOPED_TRACE(stored);
        EventType type;
        type.color = stored;
        page.showTypeOnPage(&type);
        type.color = 0;
        page.readTypePage(type);
        EXPECT_EQ(type.color, stored);
    }
}

TEST_F(TypePageTest, HiddenDelaysAndTheUntouchedLongCommentPassThrough) {
    EventType type;
    type.beforeAlarmDelay = 15;
    type.afterAlarmDelay = -3;
    type.longComment = "Line 1\r\nLine 2";
    type.beforeAlarmRepeatType = 2;
    type.flags = 7;
    page.showTypeOnPage(&type);
    EXPECT_EQ(page.editBeforeAlarmDelay->text(), "15");
    type.beforeAlarmDelay = type.afterAlarmDelay = 0;
    page.readTypePage(type);
    EXPECT_EQ(type.beforeAlarmDelay, 15);
    EXPECT_EQ(type.afterAlarmDelay, -3);
    EXPECT_EQ(type.longComment, "Line 1\r\nLine 2") << "an unedited memo keeps the stored breaks";
    EXPECT_EQ(type.beforeAlarmRepeatType, 2);
    EXPECT_EQ(type.flags, 7);

    page.memoComment->setFocus();
    page.memoComment->moveCursor(QTextCursor::End);
    QTest::keyClicks(page.memoComment, "!");
    page.readTypePage(type);
    EXPECT_EQ(type.longComment, "Line 1\nLine 2!");
}

TEST_F(TypePageTest, BrowseOffersAudioFilesAndTakesTheChosenOne) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const char* name : {"bell.wav", "song.mp3", "notes.txt"}) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    EventType type;
    type.beforeAlarm = true;
    type.beforeAlarmFile = folder.filePath("missing.wav").toStdString();
    page.showTypeOnPage(&type);

    QStringList filters;
    QStringList patterns;
    test::whenOpen<QFileDialog>([&](QFileDialog& dialog) {
        filters = dialog.nameFilters();
        auto* files = dialog.findChild<QFileSystemModel*>();
        ASSERT_NE(files, nullptr);
        patterns = files->nameFilters();
        // As the user types it; the field holds the file name the edit came with.
        auto* typed = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(typed, nullptr);
        EXPECT_EQ(typed->text(), "missing.wav");
        typed->setText(folder.filePath("bell.wav"));
        static_cast<QDialog&>(dialog).accept();
    });
    QTest::mouseClick(page.editBeforeAlarmFile->browseButton(), Qt::LeftButton);
    EXPECT_EQ(filters, QStringList{"Audio files (*.*) (*.wav *.mp3)"});
    EXPECT_EQ(patterns, (QStringList{"*.wav", "*.mp3"}));
    EXPECT_EQ(page.editBeforeAlarmFile->fileName(), folder.filePath("bell.wav"));
    page.readTypePage(type);
    EXPECT_EQ(type.beforeAlarmFile, folder.filePath("bell.wav").toStdString());
}

}  // namespace
}  // namespace kalvo
