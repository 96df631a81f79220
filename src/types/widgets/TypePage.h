#pragma once

#include <QWidget>
#include <string>

#include "model/Model.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace kalvo {

class FileNameEdit;
class TypeColorBox;

// The browse filter of both sound file fields: the description "Audio files (*.*)" with the
// patterns *.wav and *.mp3.
inline constexpr char kAudioFileFilter[] = "Audio files (*.*) (*.wav *.mp3)";

// The Appointment Type page: shows one type, or none (disabled), and writes the user's edits
// into it only when asked (Apply). Its controls carry their component names.
class TypePage : public QWidget {
    Q_OBJECT

public:
    explicit TypePage(QWidget* parent = nullptr);

    // Fills the page from `type` and enables it; with none, empties the name, colour and
    // importance and disables every control, leaving the rest as the last type left them.
    void showTypeOnPage(const EventType* type);
    // Writes the controls into `type`; the hidden delays go back as they came.
    void readTypePage(EventType& type) const;

    // A dependant of an alarm check box is enabled exactly when the box is checked and
    // enabled. Also for whoever enabled the play or stop buttons behind the page's back.
    void updateBeforeAlarmControls();
    void updateAfterAlarmControls();

    // Puts the keyboard focus into the name field when the page shows a type.
    void focusTypeName();

    QLabel* labelTypeName = nullptr;
    QLineEdit* editTypeName = nullptr;
    QLabel* labelColor = nullptr;
    TypeColorBox* comboColor = nullptr;
    QLabel* labelImportance = nullptr;
    QComboBox* comboImportance = nullptr;
    QLabel* labelComment = nullptr;
    QLineEdit* editComment = nullptr;
    QLabel* labelLongComment = nullptr;
    QPlainTextEdit* memoComment = nullptr;
    QCheckBox* checkExcludeWeekends = nullptr;
    QCheckBox* checkBeforeAlarm = nullptr;
    QLabel* labelBeforeAlarmDelay = nullptr;
    QLineEdit* editBeforeAlarmDelay = nullptr;
    QLabel* labelBeforeAlarmFile = nullptr;
    FileNameEdit* editBeforeAlarmFile = nullptr;
    QToolButton* buttonPlay = nullptr;
    QToolButton* buttonAudioStop = nullptr;
    QCheckBox* checkAfterAlarm = nullptr;
    QLabel* labelAfterAlarmDelay = nullptr;
    QLineEdit* editAfterAlarmDelay = nullptr;
    QLabel* labelAfterAlarmFile = nullptr;
    FileNameEdit* editAfterAlarmFile = nullptr;
    QToolButton* buttonPlayFileAfterAlarm = nullptr;
    QToolButton* buttonStopPlayFileAfterAlarm = nullptr;
    QPushButton* ButtonSaveEventType = nullptr;

signals:
    // "Apply": the owner writes the page into the selected type and shows the result.
    void applyClicked();
    // The play buttons, with the file field's current text; both stop buttons.
    void playRequested(const QString& fileName);
    void stopRequested();

private:
    void createControls();
    void layOutControls();

    // The memo gives its text back with its own line breaks; while it shows what the type
    // holds, the type's own text is what goes back.
    std::string shownLongComment_;
    QString shownMemoText_;
};

}  // namespace kalvo
