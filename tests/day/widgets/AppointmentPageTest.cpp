#include <gtest/gtest.h>

#include <map>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>
#include <memory>
#include <optional>
#include <vector>

#include "day/widgets/AppointmentPage.h"
#include "day/widgets/UpDownButtons.h"

namespace kalvo {
namespace {

constexpr DateTime kMonday = 45'180;  // 11 September 2023

DateTime at(int hour, int minute, int second = 0) {
    return kMonday + (hour * 3600 + minute * 60 + second) / 86'400.0;
}

// One appointment of one type, with one row the page can show.
struct ShownRow {
    Model model;
    EventType* type = nullptr;
    EventDataRow* row = nullptr;

    explicit ShownRow(std::int32_t color = 0x0000FF) {
        type = model.types.emplace_back(std::make_unique<EventType>()).get();
        type->id = 3;
        type->name = "Work";
        type->color = color;
        Event* event = model.events.emplace_back(std::make_unique<Event>()).get();
        event->typeId = 3;
        event->type = type;
        row = model.eventDataPanels.emplace_back(std::make_unique<EventDataRow>()).get();
        row->event = event;
        row->startTime = at(9, 0);
        row->endTime = at(9, 30);
        row->height = 12;
    }
};

// Types `text` key by key, \n as Return.
void typeInto(QWidget* control, const QString& text) {
    for (const QChar character : text) {
        if (character == QLatin1Char('\n')) {
            QTest::keyClick(control, Qt::Key_Return);
        } else {
            QTest::sendKeyEvent(QTest::Click, control, Qt::Key_unknown, QString(character),
                                Qt::NoModifier);
        }
    }
}

// The locale the times are formatted in, for the life of the guard.
class DefaultLocale {
public:
    explicit DefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(previous_); }

private:
    QLocale previous_;
};

class AppointmentPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        page.resize(page.sizeHint());
        page.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    }

    void show(const EventDataRow* row) { page.refreshAppointmentPage(shown.model, row); }

    // The colour the page paints at `point` of one of its controls.
    QColor pixelOf(const QWidget* control, QPoint point) {
        const QImage image = page.grab().toImage();
        return image.pixelColor(control->mapTo(&page, point) * image.devicePixelRatio());
    }

    QString memoText() const { return page.memoEventDataComment->toPlainText(); }

    ShownRow shown;
    AppointmentPage page;
};

// The controls that follow the selection: enabled with one, disabled without.
std::vector<QWidget*> switchedControls(const AppointmentPage& page) {
    return {page.upDownStart,
            page.upDownEnd,
            page.upDownEventData,
            page.LabelStart,
            page.LabelEnd,
            page.LabelEventDataDuration,
            page.LabelEventDataComment,
            page.memoEventDataComment};
}

TEST_F(AppointmentPageTest, ShowsTheSelectedOccurrenceOnTheColourOfItsType) {
    const DefaultLocale german(QLocale(QLocale::German, QLocale::Germany));
    shown.row->comment = "Bring the slides\r\nRoom 4\r\n";
    show(shown.row);

    for (QWidget* control : switchedControls(page)) {
        EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
    }
    EXPECT_EQ(page.panelEventDataCaption->text(), "Work");
    EXPECT_EQ(page.editStartTime->text(), "09:00");
    EXPECT_EQ(page.editEndTime->text(), "09:30");
    EXPECT_EQ(page.labelDuration->text(), "30 min");
    EXPECT_EQ(memoText(), "Bring the slides\nRoom 4");
    // Away from the centred caption and the arrows: stored 0x0000FF is red.
    EXPECT_EQ(pixelOf(page.panelEventDataCaption, {3, 3}), QColor(Qt::red));
}

TEST_F(AppointmentPageTest, WithoutSelectionTheValuesAreEmptyAndTheEditingControlsDisabled) {
    shown.row->comment = "Bring the slides";
    show(shown.row);
    show(nullptr);

    for (QWidget* control : switchedControls(page)) {
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    }
    for (const QLabel* value : {page.panelEventDataCaption, page.labelDuration}) {
        EXPECT_EQ(value->text(), "") << value->objectName().toStdString();
    }
    EXPECT_FALSE(page.editStartTime->isEnabled());
    EXPECT_FALSE(page.editEndTime->isEnabled());
    EXPECT_EQ(memoText(), "");
    EXPECT_EQ(pixelOf(page.panelEventDataCaption, {3, 3}), page.palette().color(QPalette::Window));
    QSignalSpy shifts(&page, &AppointmentPage::shiftRequested);
    QSignalSpy edits(&page, &AppointmentPage::commentEdited);
    QTest::mouseClick(page.upDownStart->upButton(), Qt::LeftButton);
    typeInto(page.memoEventDataComment, QStringLiteral("x"));
    EXPECT_EQ(memoText(), "");
    EXPECT_EQ(shifts.size(), 0);
    EXPECT_EQ(edits.size(), 0);
}

TEST_F(AppointmentPageTest, CaptionStripReadsTheStoredColourAsBlueGreenRed) {
    struct Case {
        std::optional<std::int32_t> stored;  // none: the type is gone
        QColor expected;
        const char* caption;
    };
    for (const Case& colour :
         {Case{0xFF0000, QColor(0, 0, 255), "Work"}, Case{0x008000, QColor(0, 128, 0), "Work"},
          Case{0x00FFFF, QColor(255, 255, 0), "Work"}, Case{std::nullopt, QColor(Qt::gray), ""}}) {
        ShownRow other(colour.stored.value_or(0));
        if (!colour.stored) {
            other.model.types.clear();
            other.row->event->type = nullptr;
        }
        page.refreshAppointmentPage(other.model, other.row);
        EXPECT_EQ(pixelOf(page.panelEventDataCaption, {3, 20}), colour.expected)
            << std::hex << colour.stored.value_or(-1);
        EXPECT_EQ(page.panelEventDataCaption->text(), colour.caption);
        EXPECT_TRUE(page.memoEventDataComment->isEnabled());
    }
}

TEST_F(AppointmentPageTest, TheStripsColourLeavesItsArrowsAsTheOtherArrows) {
    show(shown.row);
    const QImage onStrip = page.upDownEventData->grab().toImage();
    const QImage elsewhere = page.upDownStart->grab().toImage();
    EXPECT_EQ(onStrip, elsewhere);
}

TEST_F(AppointmentPageTest, TimesToTheMinuteInTheLocalesShortFormWithoutTimeZone) {
    struct Case {
        QLocale locale;
        DateTime time;
        const char* expected;
    };
    const Case cases[] = {
        {QLocale(QLocale::German, QLocale::Germany), at(8, 58), "08:58"},
        {QLocale(QLocale::German, QLocale::Germany), at(23, 59, 30), "23:59"},
        {QLocale(QLocale::English, QLocale::UnitedStates), at(13, 5, 7), "1:05 PM"},
        {QLocale(QLocale::English, QLocale::UnitedStates), at(9, 0), "9:00 AM"},
        // An end at midnight falls on the next day: the time of day is what is shown.
        {QLocale(QLocale::German, QLocale::Germany), kMonday + 1, "00:00"},
    };
    for (const Case& time : cases) {
        const DefaultLocale locale(time.locale);
        shown.row->startTime = time.time;
        shown.row->endTime = time.time;
        // The page is made in the locale, as the window makes it at start.
        AppointmentPage localPage;
        localPage.refreshAppointmentPage(shown.model, shown.row);
        EXPECT_EQ(localPage.editStartTime->text(), QString::fromUtf8(time.expected))
            << time.locale.name().toStdString() << " " << time.expected;
        EXPECT_EQ(localPage.editEndTime->text(), QString::fromUtf8(time.expected));
    }
}

TEST_F(AppointmentPageTest, DurationIsTheHeightInWholeMinutesWithItsUnits) {
    struct Case {
        int height;
        const char* expected;
    };
    for (const Case& duration :
         {Case{13, "32 min"}, Case{12, "30 min"}, Case{1, "2 min"}, Case{3, "8 min"},
          Case{24, "1 h"}, Case{49, "2 h 2 min"}, Case{576, "24 h"}}) {
        shown.row->height = duration.height;
        show(shown.row);
        EXPECT_EQ(page.labelDuration->text(), duration.expected) << duration.height;
    }
}

TEST_F(AppointmentPageTest, TypingReportsTheWholeCommentWithEveryLineEnded) {
    struct Case {
        const char* stored;
        const char* typed;  // at the end of the shown text; \n is Return
        std::vector<const char*> reported;
    };
    const Case cases[] = {
        {"", "ab", {"a\r\n", "ab\r\n"}},
        {"", "a\nb", {"a\r\n", "a\r\n", "a\r\nb\r\n"}},
        {"Note\r\n", "!", {"Note!\r\n"}},
        {"Old\r\nText", "s", {"Old\r\nTexts\r\n"}},
        {"Old\r\nText", "\n\n", {"Old\r\nText\r\n", "Old\r\nText\r\n\r\n"}},
    };
    for (const Case& edit : cases) {
        shown.row->comment = edit.stored;
        show(nullptr);
        show(shown.row);
        page.memoEventDataComment->moveCursor(QTextCursor::End);
        QSignalSpy reports(&page, &AppointmentPage::commentEdited);
        typeInto(page.memoEventDataComment, QString::fromUtf8(edit.typed));
        ASSERT_EQ(reports.size(), static_cast<qsizetype>(edit.reported.size())) << edit.stored;
        for (std::size_t i = 0; i < edit.reported.size(); ++i) {
            EXPECT_EQ(reports[static_cast<qsizetype>(i)][0].toString(), edit.reported[i]);
        }
    }
}

TEST_F(AppointmentPageTest, FillingTheCommentIsNotTakenForTyping) {
    QSignalSpy reports(&page, &AppointmentPage::commentEdited);
    shown.row->comment = "Bring the slides";
    show(shown.row);
    ShownRow other;
    other.row->comment = "Call back\r\n";
    page.refreshAppointmentPage(other.model, other.row);
    show(nullptr);
    EXPECT_EQ(reports.size(), 0);
}

TEST_F(AppointmentPageTest, StoringEachKeystrokeKeepsTheCaretWhereTheUserTypes) {
    // As the window does: every edit is stored and the page refreshed from the row.
    QObject::connect(&page, &AppointmentPage::commentEdited, &page, [this](const QString& text) {
        shown.row->comment = text.toStdString();
        show(shown.row);
    });
    shown.row->comment = "To do\r\n";
    show(shown.row);
    page.memoEventDataComment->setFocus();
    page.memoEventDataComment->moveCursor(QTextCursor::End);
    typeInto(page.memoEventDataComment, QStringLiteral(": slides\ncafé"));
    EXPECT_EQ(shown.row->comment, "To do: slides\r\ncafé\r\n");
    EXPECT_EQ(memoText(), "To do: slides\ncafé");
}

TEST_F(AppointmentPageTest, EachArrowAsksForItsShift) {
    struct Case {
        UpDownButtons* control;
        bool up;
        ShiftCommand expected;
    };
    const Case cases[] = {
        {page.upDownStart, true, ShiftCommand::startEarlier},
        {page.upDownStart, false, ShiftCommand::startLater},
        {page.upDownEnd, true, ShiftCommand::endEarlier},
        {page.upDownEnd, false, ShiftCommand::endLater},
        {page.upDownEventData, true, ShiftCommand::shiftUp},
        {page.upDownEventData, false, ShiftCommand::shiftDown},
    };
    show(shown.row);
    std::vector<ShiftCommand> requested;
    QObject::connect(&page, &AppointmentPage::shiftRequested,
                     [&requested](ShiftCommand command) { requested.push_back(command); });
    for (const Case& arrow : cases) {
        requested.clear();
        QToolButton* button = arrow.up ? arrow.control->upButton() : arrow.control->downButton();
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_EQ(requested.size(), 1u) << button->objectName().toStdString();
        EXPECT_EQ(requested[0], arrow.expected) << button->objectName().toStdString();
    }
}

TEST_F(AppointmentPageTest, ArrowsSitWhereThePageWasLaidOutAndTheCommentGrowsWithIt) {
    struct Case {
        QWidget* control;
        QRect atDesignSize;
        QRect grown;  // the page 100 wider and 50 higher
    };
    const Case cases[] = {
        {page.panelEventDataCaption, {0, 0, 383, 25}, {0, 0, 483, 25}},
        {page.upDownEventData, {366, 0, 17, 25}, {466, 0, 17, 25}},
        {page.upDownStart, {120, 32, 17, 25}, {120, 32, 17, 25}},
        {page.upDownEnd, {272, 32, 17, 25}, {272, 32, 17, 25}},
        {page.editStartTime, {56, 32, 62, 25}, {56, 32, 62, 25}},
        {page.editEndTime, {208, 32, 62, 25}, {208, 32, 62, 25}},
        {page.memoEventDataComment, {56, 88, 321, 132}, {56, 88, 421, 182}},
    };
    for (const QSize size : {QSize(383, 230), QSize(483, 280)}) {
        page.resize(size);
        for (const Case& placed : cases) {
            const QRect onPage(placed.control->mapTo(&page, QPoint(0, 0)), placed.control->size());
            EXPECT_EQ(onPage, size.width() == 383 ? placed.atDesignSize : placed.grown)
                << placed.control->objectName().toStdString();
        }
    }
    for (const auto& [label, left, top] :
         {std::tuple{page.LabelStart, 0, 32}, std::tuple{page.LabelEnd, 152, 32},
          std::tuple{page.LabelEventDataDuration, 0, 64}, std::tuple{page.labelDuration, 48, 64},
          std::tuple{page.LabelEventDataComment, 0, 88}}) {
        EXPECT_EQ(label->pos(), QPoint(left, top)) << label->objectName().toStdString();
    }
}

TEST_F(AppointmentPageTest, TabVisitsTheControlsInReadingOrder) {
    show(shown.row);
    page.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    page.upDownEventData->upButton()->setFocus();
    const std::vector<QWidget*> order = {
        page.upDownEventData->upButton(),
        page.upDownEventData->downButton(),
        page.editStartTime,
        page.upDownStart->upButton(),
        page.upDownStart->downButton(),
        page.editEndTime,
        page.upDownEnd->upButton(),
        page.upDownEnd->downButton(),
        page.memoEventDataComment,
        page.upDownEventData->upButton(),  // Tab leaves the comment instead of typing a tab
    };
    // A time field takes the focus in its text, and Tab goes from its hours to its minutes
    // before it leaves the field.
    const auto focused = [] {
        QWidget* widget = QApplication::focusWidget();
        auto* field = qobject_cast<QTimeEdit*>(widget->parentWidget());
        return field != nullptr ? static_cast<QWidget*>(field) : widget;
    };
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        ASSERT_EQ(focused(), order[i]) << i;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (qobject_cast<QTimeEdit*>(order[i]) != nullptr) {
            ASSERT_EQ(focused(), order[i]) << "on its minutes";
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
    }
    EXPECT_EQ(QApplication::focusWidget(), order.back());
    EXPECT_EQ(memoText(), "");
}

TEST_F(AppointmentPageTest, ATypedTimeIsReportedOnceWhenEnteredAndLeavingUnchangedReportsNone) {
    const DefaultLocale german(QLocale(QLocale::German, QLocale::Germany));
    AppointmentPage localPage;
    localPage.refreshAppointmentPage(shown.model, shown.row);
    localPage.show();
    localPage.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&localPage));
    QSignalSpy typed(&localPage, &AppointmentPage::timeTyped);
    struct Case {
        QTimeEdit* field;
        const char* keys;
        OccurrenceEdge edge;
        int minute;  // -1: nothing reported
    };
    const Case cases[] = {
        {localPage.editStartTime, "", OccurrenceEdge::start, -1},
        {localPage.editStartTime, "0815", OccurrenceEdge::start, 8 * 60 + 15},
        {localPage.editEndTime, "0930", OccurrenceEdge::end, -1},  // the end it has
        {localPage.editEndTime, "1742", OccurrenceEdge::end, 17 * 60 + 42},
    };
    for (const Case& entry : cases) {
        typed.clear();
        entry.field->setFocus(Qt::TabFocusReason);  // selects the hours, as Tab does
        QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(entry.keys));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        localPage.memoEventDataComment->setFocus();  // leaving reports nothing more
        if (entry.minute < 0) {
            EXPECT_EQ(typed.size(), 0) << entry.keys;
            continue;
        }
        ASSERT_EQ(typed.size(), 1) << entry.keys;
        EXPECT_EQ(typed[0][0].value<OccurrenceEdge>(), entry.edge);
        EXPECT_EQ(typed[0][1].toInt(), entry.minute);
    }

    // A click on the minutes selects them, so that digits typed then replace them.
    typed.clear();
    auto* text = localPage.editEndTime->findChild<QLineEdit*>();
    ASSERT_NE(text, nullptr);
    QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(text->width() - 8, text->height() / 2));
    QCoreApplication::processEvents();  // the selection follows the click
    QTest::keyClicks(QApplication::focusWidget(), "05");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(typed.size(), 1);
    EXPECT_EQ(typed[0][1].toInt(), 17 * 60 + 5);
}

TEST_F(AppointmentPageTest, ClickingAnArrowLeavesTheCaretInTheComment) {
    show(shown.row);
    page.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    page.memoEventDataComment->setFocus();
    QTest::mouseClick(page.upDownEnd->downButton(), Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), page.memoEventDataComment);
}

TEST_F(AppointmentPageTest, EveryControlIsNamedForScreenReaders) {
    show(shown.row);
    for (const char* componentName :
         {"panelEventDataCaption", "upDownEventData", "LabelStart", "editStartTime", "upDownStart",
          "LabelEnd", "editEndTime", "upDownEnd", "LabelEventDataDuration", "labelDuration",
          "LabelEventDataComment", "memoEventDataComment"}) {
        EXPECT_NE(page.findChild<QWidget*>(componentName), nullptr) << componentName;
    }
    // A control is announced by what it shows, the comment by its caption, an arrow by what it
    // moves, anything else by its name; the parts Qt makes for itself (the memo's scroll bars
    // and viewport) need names of their own.
    const std::map<QString, QString> spoken = {
        {"memoEventDataComment", "Comment"},
        {"editStartTime", "Start Time"},
        {"editEndTime", "End Time"},
        {"upDownEventData up", "Appointment earlier"},
        {"upDownEventData down", "Appointment later"},
        {"upDownStart up", "Start earlier"},
        {"upDownStart down", "Start later"},
        {"upDownEnd up", "End earlier"},
        {"upDownEnd down", "End later"},
    };
    for (const QWidget* part : page.findChildren<QWidget*>()) {
        const auto* label = qobject_cast<const QLabel*>(part);
        if (label != nullptr && !label->text().isEmpty()) {
            EXPECT_EQ(part->accessibleName(), label->text());
        } else if (const auto name = spoken.find(part->objectName()); name != spoken.end()) {
            EXPECT_EQ(part->accessibleName(), name->second);
        } else if (part->objectName().startsWith("upDown")) {
            EXPECT_FALSE(part->accessibleName().isEmpty()) << part->objectName().toStdString();
        } else if (!part->objectName().isEmpty() && !part->objectName().startsWith("qt_")) {
            EXPECT_EQ(part->accessibleName(), part->objectName());
        } else {
            EXPECT_FALSE(part->accessibleName().isEmpty()) << part->metaObject()->className();
        }
    }
    EXPECT_EQ(page.LabelStart->buddy(), page.editStartTime);
    EXPECT_EQ(page.LabelEnd->buddy(), page.editEndTime);
    show(nullptr);
    EXPECT_EQ(page.panelEventDataCaption->accessibleName(), "panelEventDataCaption");
    EXPECT_EQ(page.upDownStart->downButton()->toolTip(), "Start later");
    EXPECT_EQ(page.LabelEventDataComment->buddy(), page.memoEventDataComment);
}

}  // namespace
}  // namespace kalvo
