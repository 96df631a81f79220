#include "types/widgets/TypePage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPolygonF>
#include <QPushButton>
#include <QToolButton>

#include "gui/AccessibleNames.h"
#include "types/TypePageValues.h"
#include "types/widgets/FileNameEdit.h"
#include "types/widgets/TypeColorBox.h"

namespace kalvo {
namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

std::string text(const QString& value) {
    return value.toStdString();
}

// A caption and the control it names; a screen reader announces the control by the caption,
// or by `spokenName` where the page shows the same caption twice.
QLabel* captionLabel(const QString& componentName, const QString& caption, QWidget* buddy,
                     QWidget* parent, const QString& spokenName = {}) {
    auto* label = named(new QLabel(caption, parent), componentName, caption);
    label->setBuddy(buddy);
    for (QWidget* announced : {buddy, buddy->focusProxy()}) {
        if (announced != nullptr) {
            announced->setAccessibleName(spokenName.isEmpty() ? caption : spokenName);
        }
    }
    return label;
}

enum class SoundGlyph { Play, Stop };

// Drawn rather than taken from the style, so that a disabled button shows its glyph greyed
// whatever icons the platform has.
QIcon soundGlyph(SoundGlyph glyph) {
    QIcon icon;
    for (const auto& [mode, color] : {std::pair{QIcon::Normal, QColor(0x20, 0x20, 0x20)},
                                      std::pair{QIcon::Disabled, QColor(0xA8, 0xA8, 0xA8)}}) {
        QPixmap picture(16, 16);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        if (glyph == SoundGlyph::Play) {
            painter.drawPolygon(QPolygonF({QPointF(4, 2), QPointF(13, 8), QPointF(4, 14)}));
        } else {
            painter.drawRect(QRectF(3.5, 3.5, 9, 9));
        }
        painter.end();
        icon.addPixmap(picture, mode);
    }
    return icon;
}

QToolButton* soundButton(const QString& componentName, const QString& spokenName, SoundGlyph glyph,
                         const QString& hint, QWidget* parent) {
    auto* button = named(new QToolButton(parent), componentName, spokenName);
    button->setAutoRaise(true);
    button->setIcon(soundGlyph(glyph));
    button->setToolTip(hint);
    button->setAccessibleDescription(hint);
    return button;
}

}  // namespace

TypePage::TypePage(QWidget* parent) : QWidget(parent) {
    named(this, QStringLiteral("sheetType"), QStringLiteral("Appointment Type"));
    createControls();
    layOutControls();
}

void TypePage::createControls() {
    editTypeName = named(new QLineEdit(this), QStringLiteral("editTypeName"));
    labelTypeName =
        captionLabel(QStringLiteral("labelTypeName"), QStringLiteral("Name"), editTypeName, this);
    comboColor = named(new TypeColorBox(this), QStringLiteral("comboColor"));
    labelColor =
        captionLabel(QStringLiteral("labelColor"), QStringLiteral("Color"), comboColor, this);
    comboImportance = named(new QComboBox(this), QStringLiteral("comboImportance"));
    for (const char* importance : kImportanceNames) {
        comboImportance->addItem(QString::fromUtf8(importance));
    }
    comboImportance->setCurrentIndex(-1);
    labelImportance = captionLabel(QStringLiteral("labelImportance"), QStringLiteral("Importance"),
                                   comboImportance, this);
    editComment = named(new QLineEdit(this), QStringLiteral("editComment"));
    labelComment =
        captionLabel(QStringLiteral("labelComment"), QStringLiteral("Comment"), editComment, this);
    memoComment = named(new QPlainTextEdit(this), QStringLiteral("memoComment"));
    memoComment->setTabChangesFocus(true);
    labelLongComment = captionLabel(QStringLiteral("labelLongComment"),
                                    QStringLiteral("Long Comment"), memoComment, this);
    nameScrollAreaParts(memoComment);

    const auto checkBox = [this](const QString& componentName, const QString& caption) {
        return named(new QCheckBox(caption, this), componentName, caption);
    };
    checkExcludeWeekends =
        checkBox(QStringLiteral("checkExcludeWeekends"), QStringLiteral("Exclude Weekends"));
    checkBeforeAlarm = checkBox(QStringLiteral("checkBeforeAlarm"), QStringLiteral("Before Alarm"));
    checkAfterAlarm = checkBox(QStringLiteral("checkAfterAlarm"), QStringLiteral("After Alarm"));

    // The delays have no meaning anywhere; their edits only carry the values through.
    editBeforeAlarmDelay = named(new QLineEdit(this), QStringLiteral("editBeforeAlarmDelay"));
    labelBeforeAlarmDelay =
        captionLabel(QStringLiteral("labelBeforeAlarmDelay"), QStringLiteral("Delay"),
                     editBeforeAlarmDelay, this, QStringLiteral("Before Alarm delay"));
    editAfterAlarmDelay = named(new QLineEdit(this), QStringLiteral("editAfterAlarmDelay"));
    labelAfterAlarmDelay =
        captionLabel(QStringLiteral("labelAfterAlarmDelay"), QStringLiteral("Delay"),
                     editAfterAlarmDelay, this, QStringLiteral("After Alarm delay"));
    for (QWidget* hidden :
         std::initializer_list<QWidget*>{editBeforeAlarmDelay, labelBeforeAlarmDelay,
                                         editAfterAlarmDelay, labelAfterAlarmDelay}) {
        hidden->setVisible(false);
    }

    const QString filter = QString::fromUtf8(kAudioFileFilter);
    editBeforeAlarmFile = new FileNameEdit(QStringLiteral("editBeforeAlarmFile"), filter, this);
    labelBeforeAlarmFile =
        captionLabel(QStringLiteral("labelBeforeAlarmFile"), QStringLiteral("File"),
                     editBeforeAlarmFile, this, QStringLiteral("Before Alarm file"));
    editAfterAlarmFile = new FileNameEdit(QStringLiteral("editAfterAlarmFile"), filter, this);
    labelAfterAlarmFile =
        captionLabel(QStringLiteral("labelAfterAlarmFile"), QStringLiteral("File"),
                     editAfterAlarmFile, this, QStringLiteral("After Alarm file"));

    const QString start = QStringLiteral("Start playing.");
    const QString stop = QStringLiteral("Stop playing.");
    buttonPlay = soundButton(QStringLiteral("buttonPlay"), QStringLiteral("Play Before Alarm file"),
                             SoundGlyph::Play, start, this);
    buttonAudioStop =
        soundButton(QStringLiteral("buttonAudioStop"), QStringLiteral("Stop Before Alarm file"),
                    SoundGlyph::Stop, stop, this);
    buttonPlayFileAfterAlarm =
        soundButton(QStringLiteral("buttonPlayFileAfterAlarm"),
                    QStringLiteral("Play After Alarm file"), SoundGlyph::Play, start, this);
    buttonStopPlayFileAfterAlarm =
        soundButton(QStringLiteral("buttonStopPlayFileAfterAlarm"),
                    QStringLiteral("Stop After Alarm file"), SoundGlyph::Stop, stop, this);

    ButtonSaveEventType = named(new QPushButton(QStringLiteral("Apply"), this),
                                QStringLiteral("ButtonSaveEventType"), QStringLiteral("Apply"));

    // toggled also follows a state set by the program, as the page needs.
    connect(checkBeforeAlarm, &QCheckBox::toggled, this, &TypePage::updateBeforeAlarmControls);
    connect(checkAfterAlarm, &QCheckBox::toggled, this, &TypePage::updateAfterAlarmControls);
    connect(ButtonSaveEventType, &QPushButton::clicked, this, &TypePage::applyClicked);
    connect(buttonPlay, &QToolButton::clicked, this,
            [this] { emit playRequested(editBeforeAlarmFile->fileName()); });
    connect(buttonPlayFileAfterAlarm, &QToolButton::clicked, this,
            [this] { emit playRequested(editAfterAlarmFile->fileName()); });
    for (QToolButton* stopButton : {buttonAudioStop, buttonStopPlayFileAfterAlarm}) {
        connect(stopButton, &QToolButton::clicked, this, &TypePage::stopRequested);
    }
}

void TypePage::layOutControls() {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    grid->addWidget(labelTypeName, 0, 0);
    grid->addWidget(editTypeName, 0, 1);
    grid->addWidget(labelColor, 0, 2);
    grid->addWidget(comboColor, 0, 3);
    grid->addWidget(labelImportance, 1, 0);
    grid->addWidget(comboImportance, 1, 1);
    grid->addWidget(checkExcludeWeekends, 1, 2, 1, 2);
    grid->addWidget(labelComment, 2, 0);
    grid->addWidget(editComment, 2, 1, 1, 3);
    grid->addWidget(labelLongComment, 3, 0, Qt::AlignTop);
    grid->addWidget(memoComment, 3, 1, 1, 3);
    memoComment->setMinimumHeight(36);

    const auto alarmRow = [this](QCheckBox* check, QLabel* delayLabel, QLineEdit* delay,
                                 QLabel* fileLabel, FileNameEdit* file, QToolButton* play,
                                 QToolButton* stop) {
        auto* row = new QHBoxLayout;
        row->setSpacing(4);
        check->setMinimumWidth(check->sizeHint().width());
        row->addWidget(check);
        row->addWidget(delayLabel);
        row->addWidget(delay);
        row->addWidget(fileLabel);
        row->addWidget(file, 1);
        row->addWidget(play);
        row->addWidget(stop);
        return row;
    };
    auto* before = alarmRow(checkBeforeAlarm, labelBeforeAlarmDelay, editBeforeAlarmDelay,
                            labelBeforeAlarmFile, editBeforeAlarmFile, buttonPlay, buttonAudioStop);
    auto* after =
        alarmRow(checkAfterAlarm, labelAfterAlarmDelay, editAfterAlarmDelay, labelAfterAlarmFile,
                 editAfterAlarmFile, buttonPlayFileAfterAlarm, buttonStopPlayFileAfterAlarm);
    // The two check boxes line up, so that both file fields start at one edge.
    const int checkWidth =
        std::max(checkBeforeAlarm->sizeHint().width(), checkAfterAlarm->sizeHint().width());
    checkBeforeAlarm->setMinimumWidth(checkWidth);
    checkAfterAlarm->setMinimumWidth(checkWidth);
    grid->addLayout(before, 4, 0, 1, 4);
    grid->addLayout(after, 5, 0, 1, 4);
    grid->addWidget(ButtonSaveEventType, 6, 3, Qt::AlignRight | Qt::AlignBottom);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(3, 1);

    setTabOrder(editTypeName, comboColor);
    setTabOrder(comboColor, comboImportance);
    setTabOrder(comboImportance, checkExcludeWeekends);
    setTabOrder(checkExcludeWeekends, editComment);
    setTabOrder(editComment, memoComment);
}

void TypePage::showTypeOnPage(const EventType* type) {
    const bool on = type != nullptr;
    editTypeName->clear();
    comboColor->setSelectedColor(std::nullopt);
    comboImportance->setCurrentIndex(-1);
    for (QWidget* control : std::initializer_list<QWidget*>{
             labelTypeName,       editTypeName,          labelColor,           comboColor,
             labelImportance,     comboImportance,       labelComment,         editComment,
             labelLongComment,    memoComment,           checkExcludeWeekends, checkBeforeAlarm,
             checkAfterAlarm,     labelBeforeAlarmDelay, editBeforeAlarmDelay, labelAfterAlarmDelay,
             editAfterAlarmDelay, labelBeforeAlarmFile,  editBeforeAlarmFile,  labelAfterAlarmFile,
             editAfterAlarmFile,  ButtonSaveEventType}) {
        control->setEnabled(on);
    }
    updateBeforeAlarmControls();
    updateAfterAlarmControls();
    if (!on) {
        return;
    }
    const TypePageValues values = typePageValues(*type);
    editTypeName->setText(text(values.name));
    comboColor->setSelectedColor(values.color);
    comboImportance->setCurrentIndex(values.importance);
    editComment->setText(text(values.comment));
    shownLongComment_ = values.longComment;
    memoComment->setPlainText(text(values.longComment));
    shownMemoText_ = memoComment->toPlainText();
    checkExcludeWeekends->setChecked(values.excludeWeekends);
    checkBeforeAlarm->setChecked(values.beforeAlarm);
    editBeforeAlarmDelay->setText(text(values.beforeAlarmDelay));
    editBeforeAlarmFile->setFileName(text(values.beforeAlarmFile));
    checkAfterAlarm->setChecked(values.afterAlarm);
    editAfterAlarmDelay->setText(text(values.afterAlarmDelay));
    editAfterAlarmFile->setFileName(text(values.afterAlarmFile));
}

void TypePage::readTypePage(EventType& type) const {
    TypePageValues values;
    values.name = text(editTypeName->text());
    values.color = comboColor->selectedColor();
    values.importance = comboImportance->currentIndex();
    values.comment = text(editComment->text());
    const QString memoText = memoComment->toPlainText();
    values.longComment = memoText == shownMemoText_ ? shownLongComment_ : text(memoText);
    values.excludeWeekends = checkExcludeWeekends->isChecked();
    values.beforeAlarm = checkBeforeAlarm->isChecked();
    values.beforeAlarmDelay = text(editBeforeAlarmDelay->text());
    values.beforeAlarmFile = text(editBeforeAlarmFile->fileName());
    values.afterAlarm = checkAfterAlarm->isChecked();
    values.afterAlarmDelay = text(editAfterAlarmDelay->text());
    values.afterAlarmFile = text(editAfterAlarmFile->fileName());
    kalvo::readTypePage(values, type);
}

void TypePage::updateBeforeAlarmControls() {
    const bool on = checkBeforeAlarm->isChecked() && checkBeforeAlarm->isEnabledTo(this);
    for (QWidget* dependant : std::initializer_list<QWidget*>{
             editBeforeAlarmDelay, labelBeforeAlarmDelay, editBeforeAlarmFile, labelBeforeAlarmFile,
             buttonPlay, buttonAudioStop}) {
        dependant->setEnabled(on);
    }
}

void TypePage::updateAfterAlarmControls() {
    const bool on = checkAfterAlarm->isChecked() && checkAfterAlarm->isEnabledTo(this);
    for (QWidget* dependant : std::initializer_list<QWidget*>{
             editAfterAlarmDelay, labelAfterAlarmDelay, editAfterAlarmFile, labelAfterAlarmFile,
             buttonPlayFileAfterAlarm, buttonStopPlayFileAfterAlarm}) {
        dependant->setEnabled(on);
    }
}

void TypePage::focusTypeName() {
    if (editTypeName->isEnabled()) {
        editTypeName->setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace kalvo
