#include "settings/widgets/TAboutBox.h"

#include <QCheckBox>
#include <QColor>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <exception>
#include <random>
#include <stdexcept>

#include "gui/AccessibleNames.h"
#include "settings/ProgramVersion.h"
#include "settings/ProgrammSettings.h"
#include "settings/widgets/HelpDocuments.h"

namespace kalvo {

const std::array<const char*, tipCount> tipTexts = {
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

namespace {

struct PageFrame {
    const char* caption;
    int height;  // of the whole window, title bar and borders included
};

constexpr std::array<PageFrame, 6> pageFrames = {{
    {"About Kalvo Planner", 264},
    {"Tip of the Day", 264},
    {"Options", 264},
    {"Backup Kalvo Planner Database", 104},
    {"Restore Kalvo Planner Database", 104},
    {"Video Tutorials", 264},
}};

constexpr int windowWidth = 540;
constexpr const char* folderDialogCaption = "Select directory of Database Backup";

QPushButton* button(const QString& componentName, const QString& caption, QWidget* parent) {
    return named(new QPushButton(caption, parent), componentName, caption);
}

QCheckBox* checkBox(const QString& componentName, const QString& caption, QWidget* parent) {
    return named(new QCheckBox(caption, parent), componentName, caption);
}

QLabel* label(const QString& componentName, const QString& caption, QWidget* parent) {
    return named(new QLabel(caption, parent), componentName, caption);
}

QWidget* page(const QString& componentName) {
    return named(new QWidget, componentName);
}

// A row of buttons at the right edge, as dialogs place their closing buttons.
QHBoxLayout* buttonRow(std::initializer_list<QWidget*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QWidget* widget : buttons) {
        row->addWidget(widget);
    }
    return row;
}

// Starts in the folder typed in the field, else in the last one chosen with either page's
// Browse button, else in the home folder.
void browseForFolder(QWidget* owner, QLineEdit* field, QString& lastChosen) {
    const QString typed = field->text();
    const QString start = !typed.isEmpty() && QDir(typed).exists()             ? typed
                          : !lastChosen.isEmpty() && QDir(lastChosen).exists() ? lastChosen
                                                                               : QDir::homePath();
    // The file dialog's own "Create New Folder" asks for the new folder's name, so a backup
    // can go into a folder made on the spot.
    QFileDialog dialog(owner, QString::fromLatin1(folderDialogCaption), start);
    dialog.setObjectName(QStringLiteral("folderDialog"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        lastChosen = dialog.selectedFiles().constFirst();
        field->setText(QDir::toNativeSeparators(lastChosen));
    }
}

// The label that says what the folder is for, the folder field and its browse button, side
// by side: one row, so the short window of the page keeps its buttons in view.
QHBoxLayout* folderRow(const QString& purpose, QLineEdit* field, QPushButton* browse,
                       QWidget* owner, QString& lastChosen) {
    QLabel* caption = label(field->objectName() + QStringLiteral("Label"),
                            purpose + QLatin1Char(':'), field->parentWidget());
    caption->setBuddy(field);
    field->setAccessibleName(purpose);
    field->setAccessibleDescription(QString::fromLatin1(folderDialogCaption));
    browse->setAccessibleDescription(QString::fromLatin1(folderDialogCaption));
    browse->setAutoDefault(false);
    QObject::connect(browse, &QPushButton::clicked, owner,
                     [owner, field, &lastChosen] { browseForFolder(owner, field, lastChosen); });
    auto* row = new QHBoxLayout;
    row->addWidget(caption);
    row->addWidget(field, 1);
    row->addWidget(browse);
    return row;
}

int startingTipIndex() {
    // Seeded from the clock, so that two runs of the program usually begin on different tips.
    std::mt19937 generator(static_cast<std::mt19937::result_type>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    return tipCount == 0 ? 0 : static_cast<int>(generator() % tipCount);
}

}  // namespace

TAboutBox::TAboutBox(ProgrammSettings& programmSettings, SettingsStore& settingsStore,
                     AboutBoxFolders folders, AboutBoxServices services, QWidget* parent)
    : QDialog(parent),
      programmSettings_(programmSettings),
      settingsStore_(settingsStore),
      folders_(std::move(folders)),
      services_(std::move(services)) {
    if (!services_.backupDatabase || !services_.restoreDatabase || !services_.reportError) {
        throw std::invalid_argument("TAboutBox needs backup, restore and an error report");
    }
    for (std::function<bool()>* asked :
         {&services_.systemTrayAvailable, &services_.notificationsAvailable,
          &services_.restoreCanBeUndone}) {
        if (!*asked) {
            *asked = [] { return false; };
        }
    }
    if (!services_.openDocument) {
        services_.openDocument = [](const QString& path) { openDocument(path); };
    }
    setObjectName(QStringLiteral("AboutBox"));
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);

    pageControl = named(new QStackedWidget(this), QStringLiteral("pageControl"));
    pageControl->addWidget(createAboutPage());
    pageControl->addWidget(createTipPage());
    pageControl->addWidget(createOptionsPage());
    pageControl->addWidget(createBackupPage());
    pageControl->addWidget(createRestorePage());
    pageControl->addWidget(createTutorialPage());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pageControl);

    setFocusOrder();
    previewKeys();

    labelVersion->setText(QStringLiteral("Version ") + QString::fromUtf8(kProgramVersion));
    labelVersion->setAccessibleName(labelVersion->text());
    tipIndex_ = startingTipIndex();
    showCurrentTip();
    selectPage(pageAbout);
}

QWidget* TAboutBox::createAboutPage() {
    QWidget* sheet = page(QStringLiteral("sheetAbout"));
    auto* panel = named(new QFrame(sheet), QStringLiteral("panelAbout"));
    panel->setFrameShape(QFrame::StyledPanel);
    ProductName = label(QStringLiteral("ProductName"), QStringLiteral("Kalvo Planner"), panel);
    QFont productFont(QStringLiteral("Arial"));
    productFont.setPixelSize(24);
    productFont.setBold(true);
    ProductName->setFont(productFont);
    labelVersion = label(QStringLiteral("labelVersion"), QString(), panel);
    // Where the user's files are, so that they can be found and copied; the path can be
    // selected with the mouse.
    labelDatabaseFolder = label(
        QStringLiteral("labelDatabaseFolder"),
        QStringLiteral("Database folder: ") + QDir::toNativeSeparators(folders_.database), panel);
    labelDatabaseFolder->setWordWrap(true);
    labelDatabaseFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    labelDatabaseFolder->setVisible(!folders_.database.isEmpty());
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(16, 16, 16, 16);
    panelLayout->addWidget(ProductName);
    panelLayout->addWidget(labelVersion);
    panelLayout->addWidget(labelDatabaseFolder);
    panelLayout->addStretch();

    OKButton = button(QStringLiteral("OKButton"), QStringLiteral("OK"), sheet);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(sheet);
    layout->addWidget(panel, 1);
    layout->addLayout(buttonRow({OKButton}));
    return sheet;
}

QWidget* TAboutBox::createTipPage() {
    QWidget* sheet = page(QStringLiteral("sheetTip"));
    auto* panelTip = named(new QFrame(sheet), QStringLiteral("panelTip"));
    panelTip->setAutoFillBackground(true);
    QPalette grey = panelTip->palette();
    grey.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    panelTip->setPalette(grey);
    panelTip->setFixedWidth(56);
    auto* imageTip = named(new QLabel(panelTip), QStringLiteral("imageTip"));
    imageTip->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    auto* panelLayout = new QVBoxLayout(panelTip);
    panelLayout->addWidget(imageTip, 0, Qt::AlignHCenter | Qt::AlignTop);

    LabelDoYouKnow =
        label(QStringLiteral("LabelDoYouKnow"), QStringLiteral("Do you know that..."), sheet);
    QFont headingFont = LabelDoYouKnow->font();
    headingFont.setPixelSize(13);
    headingFont.setBold(true);
    LabelDoYouKnow->setFont(headingFont);
    TipMemo = named(new QPlainTextEdit(sheet), QStringLiteral("TipMemo"));
    TipMemo->setReadOnly(true);
    // Read-only, yet reachable from the keyboard: arrows scroll a long tip, Tab moves on.
    TipMemo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    TipMemo->setTabChangesFocus(true);
    TipMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    nameScrollAreaParts(TipMemo);

    tipCheckbox = checkBox(QStringLiteral("tipCheckbox"),
                           QStringLiteral("Show tip of the day at the loading"), sheet);
    tipCheckbox->setChecked(true);
    previousTipButton =
        button(QStringLiteral("previousTipButton"), QStringLiteral("Previous tip"), sheet);
    nextTipButton = button(QStringLiteral("nextTipButton"), QStringLiteral("Next tip"), sheet);
    closeButton = button(QStringLiteral("closeButton"), QStringLiteral("Close"), sheet);
    connect(previousTipButton, &QPushButton::clicked, this, &TAboutBox::previousTipButtonClick);
    connect(nextTipButton, &QPushButton::clicked, this, &TAboutBox::nextTipButtonClick);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* text = new QVBoxLayout;
    text->addWidget(LabelDoYouKnow);
    text->addWidget(TipMemo, 1);
    auto* body = new QHBoxLayout;
    body->setSpacing(10);
    body->addWidget(panelTip);
    body->addLayout(text, 1);
    auto* bottom = buttonRow({previousTipButton, nextTipButton, closeButton});
    bottom->insertWidget(0, tipCheckbox);

    auto* layout = new QVBoxLayout(sheet);
    layout->addLayout(body, 1);
    layout->addLayout(bottom);
    return sheet;
}

QWidget* TAboutBox::createOptionsPage() {
    QWidget* sheet = page(QStringLiteral("sheetOptions"));
    checkExitConfirmation = checkBox(QStringLiteral("checkExitConfirmation"),
                                     QStringLiteral("Exit Confirmation"), sheet);
    checkShowTip = checkBox(QStringLiteral("checkShowTip"),
                            QStringLiteral("Show Tip of the Day at the Loading"), sheet);
    checkAlarmNotifications =
        checkBox(QStringLiteral("checkAlarmNotifications"),
                 QStringLiteral("Show Alarms as Desktop Notifications"), sheet);
    labelNoNotifications =
        label(QStringLiteral("labelNoNotifications"),
              QStringLiteral("No notification service answers on this desktop now, so alarms "
                             "are shown in a message box."),
              sheet);
    checkKeepRunningInTray =
        checkBox(QStringLiteral("checkKeepRunningInTray"),
                 QStringLiteral("Keep running in the tray when the window is closed"), sheet);
    labelNoTray = label(QStringLiteral("labelNoTray"),
                        QStringLiteral("This desktop has no system tray to keep the program in: "
                                       "closing the window ends it."),
                        sheet);
    for (QLabel* note : {labelNoNotifications, labelNoTray}) {
        note->setWordWrap(true);
        note->setIndent(22);  // under the text of the box it explains
    }
    Ok = button(QStringLiteral("Ok"), QStringLiteral("Ok"), sheet);
    Cancel = button(QStringLiteral("Cancel"), QStringLiteral("Cancel"), sheet);
    connect(Ok, &QPushButton::clicked, this, &TAboutBox::OkClick);
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(16, 16, 9, 9);
    layout->addWidget(checkExitConfirmation);
    layout->addWidget(checkShowTip);
    layout->addWidget(checkAlarmNotifications);
    layout->addWidget(labelNoNotifications);
    layout->addWidget(checkKeepRunningInTray);
    layout->addWidget(labelNoTray);
    layout->addStretch();
    layout->addLayout(buttonRow({Ok, Cancel}));
    return sheet;
}

QWidget* TAboutBox::createBackupPage() {
    QWidget* sheet = page(QStringLiteral("sheetBackup"));
    editBackupDirectory = named(new QLineEdit(sheet), QStringLiteral("editBackupDirectory"));
    buttonBrowseBackupDirectory =
        button(QStringLiteral("buttonBrowseBackupDirectory"), QStringLiteral("Browse..."), sheet);
    buttonBackup = button(QStringLiteral("buttonBackup"), QStringLiteral("Backup"), sheet);
    buttonCancelBackup =
        button(QStringLiteral("buttonCancelBackup"), QStringLiteral("Cancel"), sheet);
    connect(buttonBackup, &QPushButton::clicked, this, &TAboutBox::buttonBackupClick);
    connect(buttonCancelBackup, &QPushButton::clicked, this, &TAboutBox::buttonCancelBackupClick);

    // Only the top of the page shows in the short window: the field and the buttons.
    auto* layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    layout->addLayout(folderRow(QStringLiteral("Folder of the backup copy"), editBackupDirectory,
                                buttonBrowseBackupDirectory, this, lastChosenFolder_));
    layout->addLayout(buttonRow({buttonBackup, buttonCancelBackup}));
    layout->addStretch();
    return sheet;
}

QWidget* TAboutBox::createRestorePage() {
    QWidget* sheet = page(QStringLiteral("sheetRestore"));
    editRestoreDirectory = named(new QLineEdit(sheet), QStringLiteral("editRestoreDirectory"));
    buttonBrowseRestoreDirectory =
        button(QStringLiteral("buttonBrowseRestoreDirectory"), QStringLiteral("Browse..."), sheet);
    buttonRestore = button(QStringLiteral("buttonRestore"), QStringLiteral("Restore"), sheet);
    buttonCancelRestore =
        button(QStringLiteral("buttonCancelRestore"), QStringLiteral("Cancel"), sheet);
    connect(buttonRestore, &QPushButton::clicked, this, &TAboutBox::buttonRestoreClick);
    connect(buttonCancelRestore, &QPushButton::clicked, this, &TAboutBox::buttonCancelRestoreClick);

    auto* layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    layout->addLayout(folderRow(QStringLiteral("Folder of the backup to restore"),
                                editRestoreDirectory, buttonBrowseRestoreDirectory, this,
                                lastChosenFolder_));
    labelRestoreNote = label(QStringLiteral("labelRestoreNote"), QString(), sheet);
    labelRestoreNote->setWordWrap(true);
    layout->addWidget(labelRestoreNote);
    layout->addStretch();
    return sheet;
}

QWidget* TAboutBox::createTutorialPage() {
    QWidget* sheet = page(QStringLiteral("sheetTutorial"));
    Button1 = button(QStringLiteral("Button1"),
                     QStringLiteral("Video Tutorial 1: Creating a new Appointment Type"), sheet);
    Button2 = button(
        QStringLiteral("Button2"),
        QStringLiteral("Video Tutorial 2: Modifying Appointment and event start/end time"), sheet);
    Button3 = button(QStringLiteral("Button3"),
                     QStringLiteral("Video Tutorial 3: Using Apply to Future Option"), sheet);
    connect(Button1, &QPushButton::clicked, this, &TAboutBox::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TAboutBox::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TAboutBox::Button3Click);

    auto* layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(10);
    for (QPushButton* tutorial : {Button1, Button2, Button3}) {
        // A tutorial opens beside the dialog, which stays open: Enter must not close it.
        tutorial->setAutoDefault(false);
        tutorial->setMinimumHeight(32);
        layout->addWidget(tutorial);
    }
    layout->addStretch();
    return sheet;
}

void TAboutBox::setFocusOrder() {
    // Reading order, page by page; Tab skips the pages that are not shown.
    const std::initializer_list<QWidget*> order = {
        OKButton,
        TipMemo,
        tipCheckbox,
        previousTipButton,
        nextTipButton,
        closeButton,
        checkExitConfirmation,
        checkShowTip,
        checkAlarmNotifications,
        checkKeepRunningInTray,
        Ok,
        Cancel,
        editBackupDirectory,
        buttonBrowseBackupDirectory,
        buttonBackup,
        buttonCancelBackup,
        editRestoreDirectory,
        buttonBrowseRestoreDirectory,
        buttonRestore,
        buttonCancelRestore,
        Button1,
        Button2,
        Button3,
    };
    QWidget* previous = nullptr;
    for (QWidget* widget : order) {
        if (previous) {
            setTabOrder(previous, widget);
        }
        previous = widget;
    }
}

void TAboutBox::previewKeys() {
    // The dialog sees every key before the control that has the focus, so Esc closes the
    // dialog whatever control would otherwise take it.
    for (QWidget* child : findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
}

void TAboutBox::showAboutPage() {
    showPage(pageAbout);
}

void TAboutBox::showTipPage() {
    showPage(pageTip);
}

void TAboutBox::showOptionsPage() {
    showPage(pageOptions);
}

void TAboutBox::showBackupPage() {
    showPage(pageBackup);
}

void TAboutBox::showRestorePage() {
    showPage(pageRestore);
}

void TAboutBox::showTutorialsPage() {
    showPage(pageTutorial);
}

void TAboutBox::showPage(Page page) {
    selectPage(page);
    exec();
}

void TAboutBox::selectPage(Page page) {
    setWindowTitle(QString::fromLatin1(pageFrames[page].caption));
    setAccessibleName(windowTitle());
    pageControl->setCurrentIndex(page);
    // The tutorials page has no default button: Enter there presses nothing.
    QPushButton* defaults[] = {OKButton, nextTipButton, Ok, buttonBackup, buttonRestore, nullptr};
    if (QPushButton* pageDefault = defaults[page]) {
        pageDefault->setDefault(true);
    }
    QWidget* firstInReadingOrder[] = {
        OKButton, TipMemo, checkExitConfirmation, editBackupDirectory, editRestoreDirectory,
        Button1};
    firstInReadingOrder[page]->setFocus(Qt::OtherFocusReason);
    // The settings may have changed since the last show; the activation reads them again.
    FormActivate();
    fitWindowToPage();
    centreOnScreen();
}

bool TAboutBox::fitWindowToPage() {
    // The page's height is that of the whole window. The title bar and borders are known
    // once the window manager has framed the window; until then they count as nothing. The
    // controls of the page are never cut off, even under an unusually tall title bar.
    const int frameHeight = frameGeometry().height() - geometry().height();
    const QWidget* sheet = pageControl->currentWidget();
    const int needed = sheet->layout() ? sheet->layout()->minimumSize().height() : 0;
    const int height =
        std::max(pageFrames[pageControl->currentIndex()].height - frameHeight, needed);
    if (size() == QSize(windowWidth, height)) {
        return false;
    }
    setFixedSize(windowWidth, height);
    return true;
}

void TAboutBox::centreOnScreen() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect outer = frameGeometry();
        outer.moveCenter(screen->availableGeometry().center());
        move(outer.topLeft());
    }
}

void TAboutBox::showCurrentTip() {
    TipMemo->setPlainText(QString::fromUtf8(tipTexts[static_cast<std::size_t>(tipIndex_)]));
}

bool TAboutBox::isTipPageActive() const {
    return pageControl->currentIndex() == pageTip;
}

void TAboutBox::done(int result) {
    if (isVisible()) {
        FormClose();
    }
    QDialog::done(result);
}

bool TAboutBox::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        FormActivate();
        if (fitWindowToPage()) {
            centreOnScreen();
        }
    }
    return QDialog::event(event);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && FormKeyDown(static_cast<QKeyEvent*>(event))) {
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::keyPressEvent(QKeyEvent* event) {
    if (!FormKeyDown(event)) {
        QDialog::keyPressEvent(event);
    }
}

void TAboutBox::FormActivate() {
    checkExitConfirmation->setChecked(programmSettings_.getShowExitConfirmation());
    checkShowTip->setChecked(programmSettings_.getShowTip());
    checkAlarmNotifications->setChecked(programmSettings_.getAlarmNotifications());
    checkKeepRunningInTray->setChecked(programmSettings_.getKeepRunningInTray());
    const bool notifications = services_.notificationsAvailable();
    labelNoNotifications->setVisible(!notifications);
    checkAlarmNotifications->setAccessibleDescription(notifications ? QString()
                                                                    : labelNoNotifications->text());
    const bool tray = services_.systemTrayAvailable();
    checkKeepRunningInTray->setEnabled(tray);
    labelNoTray->setVisible(!tray);
    checkKeepRunningInTray->setAccessibleDescription(tray ? QString() : labelNoTray->text());
    const QString restoreNote =
        services_.restoreCanBeUndone()
            ? QStringLiteral(
                  "The backup replaces the data in memory; Edit > Undo Restore brings "
                  "them back.")
            : QStringLiteral(
                  "The backup replaces the data in memory: the edits made before "
                  "cannot be undone.");
    labelRestoreNote->setText(restoreNote);
    labelRestoreNote->setAccessibleName(restoreNote);
    buttonRestore->setAccessibleDescription(restoreNote);
}

void TAboutBox::FormClose() {
    if (isTipPageActive()) {
        programmSettings_.setShowTip(tipCheckbox->isChecked());
        programmSettings_.saveAll(settingsStore_);
    }
}

bool TAboutBox::FormKeyDown(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        reject();
        return true;
    }
    return false;
}

void TAboutBox::previousTipButtonClick() {
    tipIndex_ -= 1;
    if (tipIndex_ < 0) {
        tipIndex_ = tipCount - 1;
    }
    showCurrentTip();
}

void TAboutBox::nextTipButtonClick() {
    tipIndex_ += 1;
    if (tipIndex_ == tipCount) {
        tipIndex_ = 0;
    }
    showCurrentTip();
}

void TAboutBox::OkClick() {
    programmSettings_.setShowExitConfirmation(checkExitConfirmation->isChecked());
    programmSettings_.setShowTip(checkShowTip->isChecked());
    programmSettings_.saveAll(settingsStore_);
    const bool notifications = checkAlarmNotifications->isChecked();
    const bool tray = checkKeepRunningInTray->isEnabled()
                          ? checkKeepRunningInTray->isChecked()
                          : programmSettings_.getKeepRunningInTray();
    if (notifications != programmSettings_.getAlarmNotifications() ||
        tray != programmSettings_.getKeepRunningInTray()) {
        programmSettings_.setAlarmNotifications(notifications);
        programmSettings_.setKeepRunningInTray(tray);
        programmSettings_.saveReminderOptions(settingsStore_);
    }
    accept();
}

void TAboutBox::buttonBackupClick() {
    try {
        services_.backupDatabase(editBackupDirectory->text());
    } catch (const std::exception& error) {
        // The user can correct the folder and try again.
        services_.reportError(QString::fromStdString(error.what()));
        return;
    }
    accept();
}

void TAboutBox::buttonCancelBackupClick() {
    reject();
}

void TAboutBox::buttonRestoreClick() {
    try {
        services_.restoreDatabase(editRestoreDirectory->text());
    } catch (const std::exception& error) {
        services_.reportError(QString::fromStdString(error.what()));
        return;
    }
    accept();
}

void TAboutBox::buttonCancelRestoreClick() {
    reject();
}

void TAboutBox::Button1Click() {
    openTutorial(tutorialNewEvent);
}

void TAboutBox::Button2Click() {
    openTutorial(tutorialModifyEvent);
}

void TAboutBox::Button3Click() {
    openTutorial(tutorialApplyToFuture);
}

void TAboutBox::openTutorial(const char* relativeName) {
    services_.openDocument(
        programDocumentPath(folders_.documents, QString::fromLatin1(relativeName)));
}

}  // namespace kalvo
