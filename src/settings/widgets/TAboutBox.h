#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <functional>

class QCheckBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

namespace kalvo {

class ProgrammSettings;
class SettingsStore;

inline constexpr int tipCount = 5;
extern const std::array<const char*, tipCount> tipTexts;

// What the dialog asks of the rest of the program. The main window owns the database, the
// error handler and the desktop, so they come in from outside.
struct AboutBoxServices {
    // Each is given the folder field's text as the user left it, possibly empty. A failure
    // is thrown as an exception whose message the user is to see.
    std::function<void(const QString& folder)> backupDatabase;
    std::function<void(const QString& folder)> restoreDatabase;
    // The application's general error handler.
    std::function<void(const QString& message)> reportError;
    // Opens a local document given by its full path; by default through the desktop.
    std::function<void(const QString& path)> openDocument;
    // Whether the desktop has a system tray and a notification service, asked whenever the
    // Options page is shown; by default neither.
    std::function<bool()> systemTrayAvailable{};
    std::function<bool()> notificationsAvailable{};
    // Whether Undo Restore can bring back the data a restore replaces (they fit the edit
    // history's memory), asked whenever the Restore page is shown; by default not.
    std::function<bool()> restoreCanBeUndone{};
};

// Where the program's files are: the shipped documents (the tutorials are found relative to
// them) and the user's database, which the About page names so that it can be found.
struct AboutBoxFolders {
    QString documents;
    QString database;
};

// The one auxiliary dialog of the program: about, tip of the day, options, backup, restore
// and tutorials, each on a page of its own. The caller picks the page; the dialog takes the
// caption and height of that page and runs modally until it is closed.
class TAboutBox : public QDialog {
    Q_OBJECT

public:
    enum Page {
        pageAbout = 0,
        pageTip = 1,
        pageOptions = 2,
        pageBackup = 3,
        pageRestore = 4,
        pageTutorial = 5,
    };

    // Throws std::invalid_argument when backup, restore or the error report is missing.
    TAboutBox(ProgrammSettings& programmSettings, SettingsStore& settingsStore,
              AboutBoxFolders folders, AboutBoxServices services, QWidget* parent = nullptr);

    // Each shows its page modally and returns when the dialog is closed.
    void showAboutPage();
    void showTipPage();
    void showOptionsPage();
    void showBackupPage();
    void showRestorePage();
    void showTutorialsPage();

    // Takes the page's caption, height and default button and makes it the active page,
    // without showing the dialog: the first half of every show operation.
    void selectPage(Page page);

    // Puts tipTexts[tipIndex] into the tip memo.
    void showCurrentTip();
    bool isTipPageActive() const;
    int tipIndex() const { return tipIndex_; }

protected:
    // Every way of closing ends here: buttons, Esc and the window's close box.
    void done(int result) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* createAboutPage();
    QWidget* createTipPage();
    QWidget* createOptionsPage();
    QWidget* createBackupPage();
    QWidget* createRestorePage();
    QWidget* createTutorialPage();
    void setFocusOrder();
    void previewKeys();
    void showPage(Page page);
    bool fitWindowToPage();  // true when the size changed
    void centreOnScreen();

    void FormActivate();
    void FormClose();
    bool FormKeyDown(QKeyEvent* event);
    void previousTipButtonClick();
    void nextTipButtonClick();
    void OkClick();
    void buttonBackupClick();
    void buttonCancelBackupClick();
    void buttonRestoreClick();
    void buttonCancelRestoreClick();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void openTutorial(const char* relativeName);

    ProgrammSettings& programmSettings_;
    SettingsStore& settingsStore_;
    AboutBoxFolders folders_;
    QString lastChosenFolder_;  // the last folder chosen with a Browse button
    AboutBoxServices services_;
    int tipIndex_ = 0;

    QStackedWidget* pageControl = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* labelVersion = nullptr;
    QLabel* labelDatabaseFolder = nullptr;
    QPushButton* OKButton = nullptr;
    QLabel* LabelDoYouKnow = nullptr;
    QPlainTextEdit* TipMemo = nullptr;
    QCheckBox* tipCheckbox = nullptr;
    QPushButton* previousTipButton = nullptr;
    QPushButton* nextTipButton = nullptr;
    QPushButton* closeButton = nullptr;
    QCheckBox* checkExitConfirmation = nullptr;
    QCheckBox* checkShowTip = nullptr;
    QCheckBox* checkAlarmNotifications = nullptr;
    QLabel* labelNoNotifications = nullptr;
    QCheckBox* checkKeepRunningInTray = nullptr;
    QLabel* labelNoTray = nullptr;
    QPushButton* Ok = nullptr;
    QPushButton* Cancel = nullptr;
    QLineEdit* editBackupDirectory = nullptr;
    QPushButton* buttonBrowseBackupDirectory = nullptr;
    QPushButton* buttonBackup = nullptr;
    QPushButton* buttonCancelBackup = nullptr;
    QLineEdit* editRestoreDirectory = nullptr;
    QLabel* labelRestoreNote = nullptr;
    QPushButton* buttonBrowseRestoreDirectory = nullptr;
    QPushButton* buttonRestore = nullptr;
    QPushButton* buttonCancelRestore = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
};

}  // namespace kalvo
