#include "day/widgets/AppointmentPage.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTimeEdit>
#include <QToolButton>
#include <algorithm>
#include <initializer_list>

#include "day/DateFunctions.h"
#include "day/Timeline.h"
#include "day/widgets/PanelText.h"
#include "day/widgets/UpDownButtons.h"
#include "gui/AccessibleNames.h"
#include "gui/StoredColor.h"

namespace kalvo {
namespace {

// The page was laid out for this size; the memo follows its right and bottom edges from there.
constexpr QSize kDesignSize(383, 230);
constexpr int kCaptionHeight = 25;
constexpr QSize kUpDownSize(17, 25);
constexpr QPoint kMemoTopLeft(56, 88);
constexpr QSize kMemoDesignSize(321, 132);

// A stored comment breaks its lines with CR LF, as the table files have always held them.
const QString kLineBreak = QStringLiteral("\r\n");

QLabel* label(const QString& componentName, const QString& caption, QWidget* parent) {
    return named(new QLabel(caption, parent), componentName, caption);
}

// A value label is announced by what it shows; empty, by its name.
void showValue(QLabel* value, const QString& text) {
    value->setText(text);
    value->setAccessibleName(text.isEmpty() ? value->objectName() : text);
}

// A label at `topLeft` with the room up to `right`, one line of its font high whether it shows
// a text yet or not.
void placeLabel(QLabel* control, QPoint topLeft, int right) {
    control->setGeometry(topLeft.x(), topLeft.y(), std::max(0, right - topLeft.x()),
                         control->fontMetrics().height());
}

// What the memo shows of a stored comment: its lines, whichever break ends them, without an
// empty line after the last one, which would only take the caret below the text.
QString memoTextOf(const std::string& comment) {
    QString text = QString::fromStdString(comment);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n'))) {
        text.chop(1);
    }
    return text;
}

// "45 min", "1 h", "2 h 2 min".
QString durationText(int minutes) {
    if (minutes < 60) {
        return QStringLiteral("%1 min").arg(minutes);
    }
    const QString hours = QStringLiteral("%1 h").arg(minutes / 60);
    return minutes % 60 == 0 ? hours : hours + QStringLiteral(" %1 min").arg(minutes % 60);
}

// A click into a time field selects the hours or the minutes it lands on, as Tab selects the
// hours, so that digits typed then replace them; otherwise they would go in beside the digits
// already there and be refused.
class SectionOnClick final : public QObject {
public:
    explicit SectionOnClick(QTimeEdit& field) : QObject(&field), field_(field) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) {
            QMetaObject::invokeMethod(
                &field_,
                [field = &field_, text = static_cast<QLineEdit*>(watched)] {
                    if (!text->hasSelectedText()) {
                        field->setSelectedSection(field->currentSection());
                    }
                },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QTimeEdit& field_;
};

// A field for a time of day to the minute, in the locale's short form without seconds; the
// page's own arrows step it, so it shows none.
QTimeEdit* timeField(const QString& componentName, const QString& caption, QWidget* parent) {
    auto* field = named(new QTimeEdit(parent), componentName, caption);
    const bool twelveHours =
        QLocale().timeFormat(QLocale::ShortFormat).contains(QLatin1Char('a'), Qt::CaseInsensitive);
    field->setDisplayFormat(twelveHours ? QStringLiteral("h:mm AP") : QStringLiteral("HH:mm"));
    field->setButtonSymbols(QAbstractSpinBox::NoButtons);
    field->setKeyboardTracking(false);
    if (auto* text = field->findChild<QLineEdit*>()) {
        text->setAccessibleName(caption);
        text->installEventFilter(new SectionOnClick(*field));
    }
    return field;
}

int minuteOfDayOf(const QTime& time) {
    return time.hour() * 60 + time.minute();
}

QTime timeOfMinute(int minuteOfDay) {
    return QTime(minuteOfDay / 60 % 24, minuteOfDay % 60);
}

}  // namespace

AppointmentPage::AppointmentPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("AppointmentPage"));
    createControls();
    refreshAppointmentPage(Model{}, nullptr);
}

void AppointmentPage::createControls() {
    panelEventDataCaption = label(QStringLiteral("panelEventDataCaption"), {}, this);
    panelEventDataCaption->setAlignment(Qt::AlignCenter);
    panelEventDataCaption->setAutoFillBackground(true);
    // Beside the strip rather than inside it, so that its arrows keep the page's colours
    // whatever colour the strip takes.
    upDownEventData =
        new UpDownButtons(QStringLiteral("upDownEventData"), QStringLiteral("Appointment"), this);

    LabelStart = label(QStringLiteral("LabelStart"), QStringLiteral("Start Time"), this);
    editStartTime = timeField(QStringLiteral("editStartTime"), QStringLiteral("Start Time"), this);
    LabelStart->setBuddy(editStartTime);
    upDownStart = new UpDownButtons(QStringLiteral("upDownStart"), QStringLiteral("Start"), this);
    LabelEnd = label(QStringLiteral("LabelEnd"), QStringLiteral("End Time"), this);
    editEndTime = timeField(QStringLiteral("editEndTime"), QStringLiteral("End Time"), this);
    LabelEnd->setBuddy(editEndTime);
    upDownEnd = new UpDownButtons(QStringLiteral("upDownEnd"), QStringLiteral("End"), this);
    LabelEventDataDuration =
        label(QStringLiteral("LabelEventDataDuration"), QStringLiteral("Duration"), this);
    labelDuration = label(QStringLiteral("labelDuration"), {}, this);
    LabelEventDataComment =
        label(QStringLiteral("LabelEventDataComment"), QStringLiteral("Comment"), this);

    memoEventDataComment = named(new QPlainTextEdit(this), QStringLiteral("memoEventDataComment"),
                                 LabelEventDataComment->text());
    nameScrollAreaParts(memoEventDataComment);
    // Tab leaves the comment for the next control, so the keyboard never gets stuck in it.
    memoEventDataComment->setTabChangesFocus(true);
    LabelEventDataComment->setBuddy(memoEventDataComment);

    setTabOrder(upDownEventData->upButton(), upDownEventData->downButton());
    setTabOrder(upDownEventData->downButton(), editStartTime);
    setTabOrder(editStartTime, upDownStart->upButton());
    setTabOrder(upDownStart->upButton(), upDownStart->downButton());
    setTabOrder(upDownStart->downButton(), editEndTime);
    setTabOrder(editEndTime, upDownEnd->upButton());
    setTabOrder(upDownEnd->upButton(), upDownEnd->downButton());
    setTabOrder(upDownEnd->downButton(), memoEventDataComment);

    connect(upDownStart, &UpDownButtons::arrowClicked, this, &AppointmentPage::upDownStartClick);
    connect(upDownEnd, &UpDownButtons::arrowClicked, this, &AppointmentPage::upDownEndClick);
    connect(upDownEventData, &UpDownButtons::arrowClicked, this,
            &AppointmentPage::upDownEventDataClick);
    connect(editStartTime, &QTimeEdit::editingFinished, this,
            [this] { timeEditingFinished(OccurrenceEdge::start); });
    connect(editEndTime, &QTimeEdit::editingFinished, this,
            [this] { timeEditingFinished(OccurrenceEdge::end); });
    connect(memoEventDataComment, &QPlainTextEdit::textChanged, this,
            &AppointmentPage::memoEventDataCommentChange);
}

QSize AppointmentPage::sizeHint() const {
    return kDesignSize;
}

QSize AppointmentPage::minimumSizeHint() const {
    return {0, 0};
}

void AppointmentPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOutControls();
}

void AppointmentPage::layOutControls() {
    panelEventDataCaption->setGeometry(0, 0, width(), kCaptionHeight);
    upDownEventData->setGeometry(QRect(QPoint(width() - kUpDownSize.width(), 0), kUpDownSize));

    placeLabel(LabelStart, {0, 32}, 56);
    editStartTime->setGeometry(QRect(QPoint(56, 32), QSize(62, kUpDownSize.height())));
    upDownStart->setGeometry(QRect(QPoint(120, 32), kUpDownSize));
    placeLabel(LabelEnd, {152, 32}, 208);
    editEndTime->setGeometry(QRect(QPoint(208, 32), QSize(62, kUpDownSize.height())));
    upDownEnd->setGeometry(QRect(QPoint(272, 32), kUpDownSize));
    placeLabel(LabelEventDataDuration, {0, 64}, 48);
    placeLabel(labelDuration, {48, 64}, width());
    placeLabel(LabelEventDataComment, {0, 88}, kMemoTopLeft.x());

    const QSize grown = size() - kDesignSize;
    memoEventDataComment->setGeometry(kMemoTopLeft.x(), kMemoTopLeft.y(),
                                      std::max(0, kMemoDesignSize.width() + grown.width()),
                                      std::max(0, kMemoDesignSize.height() + grown.height()));
}

void AppointmentPage::refreshAppointmentPage(const Model& model, const EventDataRow* selected) {
    const bool on = selected != nullptr;
    for (QWidget* control : std::initializer_list<QWidget*>{
             upDownStart, upDownEnd, upDownEventData, LabelStart, LabelEnd, editStartTime,
             editEndTime, LabelEventDataDuration, LabelEventDataComment, memoEventDataComment}) {
        control->setEnabled(on);
    }
    commentChangeAttached_ = false;
    if (!on) {
        setCaptionStrip({}, {});
        showValue(labelDuration, {});
        for (QTimeEdit* field : {editStartTime, editEndTime}) {
            field->setTime(QTime(0, 0));
        }
        shownStart_ = shownEnd_ = 0;
        memoEventDataComment->clear();
        memoText_.clear();
        return;
    }

    const EventType* type =
        selected->event != nullptr ? model.findType(selected->event->typeId) : nullptr;
    // As on the timeline, an appointment whose type is gone shows grey and without caption.
    setCaptionStrip(type != nullptr ? colorFromStored(type->color) : QColor(Qt::gray),
                    type != nullptr ? QString::fromStdString(type->name) : QString());
    shownStart_ = minuteOfDay(selected->startTime);
    shownEnd_ = minuteOfDay(selected->endTime);
    editStartTime->setTime(timeOfMinute(shownStart_));
    editEndTime->setTime(timeOfMinute(shownEnd_));
    showValue(labelDuration, durationText(pixelsToTime(selected->height)));
    // The memo already holding the comment is left alone: every keystroke stores the comment and
    // refreshes the page, and filling the memo anew would throw the caret back to the start.
    const QString comment = QString::fromStdString(selected->comment);
    if (memoComment() != comment) {
        memoEventDataComment->setPlainText(memoTextOf(selected->comment));
    }
    memoText_ = memoEventDataComment->toPlainText();
    commentChangeAttached_ = true;
}

void AppointmentPage::setCaptionStrip(const QColor& color, const QString& caption) {
    if (color.isValid()) {
        QPalette colored = panelEventDataCaption->palette();
        colored.setColor(QPalette::Window, color);
        colored.setColor(QPalette::WindowText, captionTextColor(color));
        panelEventDataCaption->setPalette(colored);
    } else {
        panelEventDataCaption->setPalette(QPalette());  // the page's own background again
    }
    showValue(panelEventDataCaption, caption);
}

QString AppointmentPage::memoComment() const {
    QStringList lines = memoEventDataComment->toPlainText().split(QLatin1Char('\n'));
    // The break after the last line leaves an empty line behind it, which is no line.
    if (lines.last().isEmpty()) {
        lines.removeLast();
    }
    QString comment;
    for (const QString& line : lines) {
        comment += line + kLineBreak;
    }
    return comment;
}

void AppointmentPage::upDownStartClick(UpDownArrow arrow) {
    emit shiftRequested(arrow == UpDownArrow::up ? ShiftCommand::startEarlier
                                                 : ShiftCommand::startLater);
}

void AppointmentPage::upDownEndClick(UpDownArrow arrow) {
    emit shiftRequested(arrow == UpDownArrow::up ? ShiftCommand::endEarlier
                                                 : ShiftCommand::endLater);
}

void AppointmentPage::upDownEventDataClick(UpDownArrow arrow) {
    emit shiftRequested(arrow == UpDownArrow::up ? ShiftCommand::shiftUp : ShiftCommand::shiftDown);
}

void AppointmentPage::timeEditingFinished(OccurrenceEdge edge) {
    const bool atStart = edge == OccurrenceEdge::start;
    const int typed = minuteOfDayOf((atStart ? editStartTime : editEndTime)->time());
    // Leaving a field that was only filled is no edit.
    int& shown = atStart ? shownStart_ : shownEnd_;
    if (typed == shown) {
        return;
    }
    // Reported once: leaving the field after Enter is no second edit.
    shown = typed;
    emit timeTyped(edge, typed);
}

void AppointmentPage::memoEventDataCommentChange() {
    // The editor also reports changes of its layout that leave the text as it was; each of
    // those would store the comment again, and cut a series for nothing.
    const QString text = memoEventDataComment->toPlainText();
    if (!commentChangeAttached_ || text == memoText_) {
        return;
    }
    memoText_ = text;
    emit commentEdited(memoComment());
}

}  // namespace kalvo
