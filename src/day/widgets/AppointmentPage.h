#pragma once

#include <QString>
#include <QWidget>

#include "day/DragStep.h"
#include "model/Model.h"

class QLabel;
class QPlainTextEdit;

namespace kalvo {

class UpDownButtons;
enum class UpDownArrow;

// The Appointment page: the selected occurrence's type, start, end, duration and comment, with
// arrows that shift its start, its end or all of it by one timeline pixel. The page shows and
// reports; the window runs the shifts and stores the comment. Its controls carry their
// component names.
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
    QLabel* labelStartTime = nullptr;
    UpDownButtons* upDownStart = nullptr;
    QLabel* LabelEnd = nullptr;
    QLabel* labelEndTime = nullptr;
    UpDownButtons* upDownEnd = nullptr;
    QLabel* LabelEventDataDuration = nullptr;
    QLabel* labelDuration = nullptr;
    QLabel* LabelEventDataComment = nullptr;
    QPlainTextEdit* memoEventDataComment = nullptr;

signals:
    // An arrow was pressed: the shift to run on the selected occurrence.
    void shiftRequested(kalvo::ShiftCommand command);
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

    // The comment the memo holds, as it is stored.
    QString memoComment() const;

    // Detached while the page fills the memo and while nothing is selected, so that only the
    // user's typing is taken for an edit.
    bool commentChangeAttached_ = false;
    // The memo's text when it was last filled or reported.
    QString memoText_;
};

}  // namespace kalvo
