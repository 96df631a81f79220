#pragma once

#include <QString>
#include <QWidget>

#include "day/DragStep.h"
#include "model/Model.h"

class QLabel;
class QPlainTextEdit;
class QTimeEdit;

namespace kalvo {

class UpDownButtons;
enum class UpDownArrow;

// The Appointment page: the selected occurrence's type, start, end, duration and comment, with
// arrows that shift its start, its end or all of it by one step, and time fields where a start
// or an end can be typed. The page shows and reports; the window runs the shifts and typed
// times and stores the comment. Its controls carry their component names.
class AppointmentPage : public QWidget {
    Q_OBJECT

public:
    explicit AppointmentPage(QWidget* parent = nullptr);

    // Shows `selected` (the window's selectedPanel) or, with none, an empty and disabled page.
    // Filling the comment editor is not an edit: it never reports commentEdited.
    void refreshAppointmentPage(const Model& model, const EventDataRow* selected);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    QLabel* panelEventDataCaption = nullptr;
    UpDownButtons* upDownEventData = nullptr;
    QLabel* LabelStart = nullptr;
    QTimeEdit* editStartTime = nullptr;
    UpDownButtons* upDownStart = nullptr;
    QLabel* LabelEnd = nullptr;
    QTimeEdit* editEndTime = nullptr;
    UpDownButtons* upDownEnd = nullptr;
    QLabel* LabelEventDataDuration = nullptr;
    QLabel* labelDuration = nullptr;
    QLabel* LabelEventDataComment = nullptr;
    QPlainTextEdit* memoEventDataComment = nullptr;

signals:
    // An arrow was pressed: the shift to run on the selected occurrence.
    void shiftRequested(kalvo::ShiftCommand command);
    // A start or an end was typed (Enter, or the field was left with a new time): the minute of
    // the day to drag that edge to.
    void timeTyped(kalvo::OccurrenceEdge edge, int minuteOfDay);
    // The user changed the comment: the text to store in the shown day's row, each line
    // followed by a line break.
    void commentEdited(const QString& comment);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void createControls();
    void layOutControls();
    void setCaptionStrip(const QColor& color, const QString& caption);

    void upDownStartClick(UpDownArrow arrow);
    void upDownEndClick(UpDownArrow arrow);
    void upDownEventDataClick(UpDownArrow arrow);
    void memoEventDataCommentChange();
    void timeEditingFinished(OccurrenceEdge edge);

    // The comment the memo holds, as it is stored.
    QString memoComment() const;

    // Detached while the page fills the memo and while nothing is selected, so that only the
    // user's typing is taken for an edit.
    bool commentChangeAttached_ = false;
    // The memo's text when it was last filled or reported.
    QString memoText_;
    // The minutes of the day the time fields were last filled with.
    int shownStart_ = 0;
    int shownEnd_ = 0;
};

}  // namespace kalvo
