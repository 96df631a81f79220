#pragma once

#include <QDate>
#include <QList>
#include <QMainWindow>
#include <QStringList>
#include <QTime>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "alarms/AlarmCheck.h"
#include "alarms/SoundPlayer.h"
#include "calendars/CalendarFile.h"
#include "calendars/Subscriptions.h"
#include "day/ApplyChanges.h"
#include "db/Database.h"
#include "gui/WindowPlacementStore.h"
#include "history/EditHistory.h"
#include "history/RecoveryJournal.h"
#include "model/Model.h"
#include "reminders/Reminders.h"
#include "settings/ProgrammSettings.h"

class QAction;
class QCalendarWidget;
class QTimer;
class QCheckBox;
class QDateEdit;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;
class QSystemTrayIcon;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QWidget;

namespace kalvo {

class AppointmentPage;
class PieChartView;
class PlanPage;
class TformReportGrowthChart;
class TypePage;
class TypeTreeController;
class TypeTreeWidget;
class DayView;
class TimelineArea;
class OtherCalendarsLane;
class CalendarDownloads;
class CalDavCalendars;
class TrustedCertificates;
struct LaneEvent;
class HelpBrowser;
class TAboutBox;
class SettingsStore;
class DesktopNotifications;

// The platform services that tests replace: the sound player, the local clock and the desktop.
struct WindowPlatform {
    std::unique_ptr<SoundPlayer> soundPlayer;     // the Qt Multimedia player when none is given
    std::function<QTime()> currentTime;           // the local clock when none is given
    std::function<QDate()> currentDate;           // the local calendar when none is given
    std::function<void()> beep;                   // the system's beep when none is given
    std::function<bool()> systemTrayAvailable{};  // asks the desktop when none is given
    std::function<void()> quitApplication{};      // ends the event loop when none is given
};

// The main window: it owns the model for the life of the process, holds the command table
// and turns every command into one call on the model, then refreshes what is on screen.
class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    // Loads the options, opens the database of `databaseFolder` (ending in a separator) and
    // builds the model. When the model cannot be read (no database, an unreadable file) the
    // error escapes and no window exists.
    TForm1(ProgrammSettings& programmSettings, SettingsStore& settingsStore,
           const std::string& databaseFolder, WindowPlatform platform = {},
           QWidget* parent = nullptr);
    ~TForm1() override;

    Model& model() { return model_; }
    EditHistory& history() { return history_; }
    Database& database() { return database_; }
    // Whether the files of a save are being written.
    bool saving() const { return saveRunning_; }
    DayView& dayView() { return *dayView_; }
    TAboutBox& aboutBox() { return *AboutBox; }
    TformReportGrowthChart& formReportGrowthChart() { return *formReportGrowthChart_; }

    // A message box owned by the main window: caption "Error", stop icon, one OK button.
    void showError(const QString& text);

    void backupDatabase(const QString& folder);
    void restoreDatabase(const QString& folder);

    // The command table, by component name.
    QAction* actionExit = nullptr;
    QAction* actionAddNode = nullptr;
    QAction* actionEditNode = nullptr;
    QAction* actionDeleteNode = nullptr;
    QAction* actionBackupDatabase = nullptr;
    QAction* actionRestoreFromBackup = nullptr;
    QAction* actionEditEvent = nullptr;
    QAction* actionShiftUpEventData = nullptr;
    QAction* actionShiftDownEventData = nullptr;
    QAction* actionShiftUpEventDataStart = nullptr;
    QAction* actionShiftDownEventDataStart = nullptr;
    QAction* actionShiftUpEventDataEnd = nullptr;
    QAction* actionShiftDownEventDataEnd = nullptr;
    QAction* actionRefresh = nullptr;
    QAction* actionAbout = nullptr;
    QAction* actionSave = nullptr;
    QAction* actionDeleteEvent = nullptr;
    QAction* actionChart = nullptr;
    QAction* actionCustomizeToolbar = nullptr;
    QAction* actionContents = nullptr;
    QAction* actionOptions = nullptr;
    QAction* actionPreviousDay = nullptr;
    QAction* actionNextDay = nullptr;
    QAction* actionToday = nullptr;
    QAction* actionUndo = nullptr;
    QAction* actionSnapToFiveMinutes = nullptr;
    QAction* actionCalendars = nullptr;
    QAction* actionZoomIn = nullptr;
    QAction* actionZoomOut = nullptr;
    QAction* actionResetZoom = nullptr;
    QAction* actionRedo = nullptr;
    // Menu commands without an action of their own.
    QAction* Print1 = nullptr;
    QAction* PrinterSetup1 = nullptr;
    QAction* VideoTutorials1 = nullptr;
    QAction* WebSite1 = nullptr;
    QAction* SendEMail1 = nullptr;
    QAction* About1 = nullptr;
    QAction* EditEventType1 = nullptr;
    QAction* ExportAppointments1 = nullptr;
    QAction* ExportTimeSplit1 = nullptr;
    QAction* ImportAppointments1 = nullptr;

    QMenu* popupMenu = nullptr;
    QMenu* popupMenuTree = nullptr;
    QMenu* popupMenuToolbar = nullptr;
    QMenu* popupMenuChart = nullptr;

    SectionedToolBar* toolBar = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    TimelineArea* timelineArea_ = nullptr;
    QWidget* panelMain = nullptr;
    QWidget* panelDifference = nullptr;
    QLabel* labelShownDate = nullptr;
    QLabel* labelToday = nullptr;
    QLabel* labelAllDay = nullptr;  // the shown date's all-day events of other calendars
    QCheckBox* checkBoxApplyToFuture = nullptr;
    QPushButton* buttonTutorial = nullptr;
    QWidget* panelRight = nullptr;
    TypeTreeWidget* tree = nullptr;
    QCalendarWidget* calendar = nullptr;
    QTabWidget* pageControl = nullptr;
    QWidget* sheetEventType = nullptr;
    QWidget* sheetEvent = nullptr;
    QWidget* sheetChart = nullptr;
    QWidget* sheetPlan = nullptr;
    PlanPage* planPage = nullptr;
    AppointmentPage* appointmentPage = nullptr;
    TypePage* typePage = nullptr;
    PieChartView* chart = nullptr;
    QDateEdit* pickerProfStart = nullptr;
    QDateEdit* pickerProfEnd = nullptr;
    QToolButton* buttonPrint = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createLayout();
    void createToolBar(QWidget* client);
    void placeAtFirstStart();
    // The View commands of the day's zoom, snapping and shift step, and their stored state.
    void createDayViewActions();
    void addDayViewMenu(QMenu& view);
    void showDayViewOptions();
    void createRightPanel();
    void createChartPage();
    void createPlanPage();
    void setFocusOrder();

    bool FormCloseQuery();
    void FormShow();
    void showTipAtStartup();
    bool eventFilter(QObject* watched, QEvent* event) override;

    void actionExitExecute();
    void actionSaveExecute();
    void actionBackupDatabaseExecute();
    void actionRestoreFromBackupExecute();
    void actionChartExecute();
    void actionAboutExecute();
    void actionOptionsExecute();
    void actionContentsExecute();
    void actionCustomizeToolbarExecute();
    void VideoTutorials1Click();
    void WebSite1Click();
    void SendEMail1Click();

    // Where the later subsystems join the window: the day editor places the appointments of
    // `selectedDate` and edits them, the type tree fills `tree`, the alarm check runs when
    // the event queue has become empty, and the chart recomputes the time split.
    void buildDay();
    // The heading names the date shown, and marks today.
    void showDateHeading();
    // The calendar shows in bold the days of its month that hold an appointment.
    void markDaysWithAppointments();
    // Every change of the calendar's date, by mouse or keys, shows that day; so does a click
    // on the date already shown, or Enter.
    void calendarClick();
    void calendarSelectionChanged();
    void calendarClicked(const QDate& date);
    void actionPreviousDayExecute();
    void actionNextDayExecute();
    void actionTodayExecute();
    // Undo and redo show where the step happened: its date, its occurrence selected, the tree,
    // the pages and the chart as they now are.
    void actionUndoExecute();
    void actionRedoExecute();
    void showEditPlace(const EditPlace& place);
    // The captions of Undo and Redo and the title's mark of unsaved changes.
    void historyChanged();
    // A journal left by a session that did not close: its changes done again when the user
    // wants them, else the journal set aside.
    void recoverUnsavedEdits();
    void journalRecord(const std::string& record);
    // The files hold the model now: the history's saved mark moves, the journal goes.
    void databaseSaved();
    // The journal starts again, empty, from the files just saved.
    void restartJournal();
    // Save writes the files on a worker thread while the window goes on. Once written, the
    // journal starts again from the new files with the edits made during the write; a failed
    // write is shown, and the old journal still holds every edit. Whatever else uses the
    // database first waits for a running save to end.
    void saveWritten();
    void finishRunningSave();
    // Reads the saved files' sizes and checksums for the journal's header on a worker thread,
    // so that the first record after an open or a save does not wait for them.
    void measureSavedFiles();
    void rebuildTypeTree(int selectTypeId);
    // Alarms: the check on the idle hook and a wake-up each minute, desktop notifications with
    // their snoozes, and the tray icon that keeps the program running with its window closed.
    void startAlarms(WindowPlatform& platform);
    void checkAlarms();
    void armAlarmWakeUp();
    // The local date and time of the window's clock.
    DateTime now() const;
    void alarmSnoozed(Reminders::AlarmId alarm);
    // Dismissed, closed or timed out: the alarm's sound stops if it still plays.
    void alarmEnded(Reminders::AlarmId alarm);
    void alarmNotShown(Reminders::AlarmId alarm);
    void stopAlarmSound();
    void createTrayIcon();
    void updateTrayToolTip();
    void showFromTray();
    void quitFromTray();
    // What closing the window saves; false, with the error shown, when the save failed.
    bool saveForClosing();
    // A window left open over midnight on the day that ended goes on to the new one, whose
    // alarms then come; a day chosen from the calendar stays shown.
    void followTheNewDay();
    void refreshChart();
    // The days of the Chart page's pickers, from and to.
    struct ChartRange {
        DateTime from;
        DateTime to;
    };
    ChartRange chartRange() const;
    void drawChart();
    // The Plan page shows the plan against what happened over the chart's range, computed
    // whenever the chart is while the page is shown, and when it is shown after a change.
    void refreshPlan();
    void choosePlanRange(const QDate& from, const QDate& to);
    // Shows a day of a deviation in the timeline with its occurrence selected; the range of
    // the chart and the plan stays.
    void showPlannedDay(const QDate& date, std::int32_t rowId);
    void selectOccurrence(std::int32_t rowId);
    // The timeline scrolls to show the selected appointment.
    void revealSelected();
    void printPlan();
    void updateChart(ChartUpdate update);
    void editEvent();
    void deleteEvent();
    void itemEditEventDataClick();
    void itemDeleteEventDataClick();
    void editOccurrence(EventDataRow* row);
    void deleteOccurrenceOf(EventDataRow* row);
    void refreshAppointmentPage();
    void memoEventDataCommentChange(const QString& comment);
    void shiftEvent(QAction* command);
    void editTypeCommand(QAction* command);
    bool playSound(const QString& fileName);
    void stopSound();
    void buttonPrintClick();
    void PrinterSetup1Click();
    // The occurrences as iCalendar events and the time split as CSV, of a date range asked
    // for, into a file asked for.
    struct ExportFormat;
    void exportAppointments();
    // File > Import > Appointments from iCalendar: a file's events as appointments, one step.
    void importAppointments();
    // Tools > Other Calendars, the events of the shown day in the lane beside the
    // appointments, and one of them added as an appointment of a type asked for, one step.
    // A subscribed file as last read: kept while the file is unchanged, and kept too when a
    // new version cannot be read, so that the day still shows the last good copy.
    struct LoadedCalendar {
        std::optional<CalendarFile> file;
        std::filesystem::file_time_type modified{};
    };
    void manageCalendars();
    void showOtherCalendars();
    // Fetches the shown calendars that are web addresses, into the cache the day reads, and
    // syncs the CalDAV ones.
    void fetchCalendars();
    void showCalendarFailure(const QString& source, const QString& reason);
    bool shownBesideTheDay(const Subscription& other) const;
    // Publishes the appointments of the days around today to the chosen CalDAV calendar, when
    // publishing is on: after a save is written, and once the window is open.
    void publishPlan();
    void startCalendarDownloads();
    const CalendarFile* calendarFileOf(const Subscription& subscription, QStringList& failures);
    void addAsAppointment(const LaneEvent& event);
    void exportTimeSplit();
    void exportToFile(const ExportFormat& format);

    ProgrammSettings& programmSettings_;
    SettingsStore& settingsStore_;
    QString documentsFolder_;
    Database database_;
    Model model_;
    EditHistory history_{model_};
    JournalWriter journal_{database_.databaseFolder()};
    std::future<SavedFiles> savedFiles_;
    // Off from a restore (the model then differs from the files it would apply to) to the next
    // save, and after a journal could not be written.
    bool journaling_ = true;
    bool saveRunning_ = false;
    bool planStale_ = true;  // the chart's rows changed while the Plan page was not shown
    std::vector<std::string> recordsDuringSave_;
    std::unique_ptr<DayView> dayView_;
    std::vector<Subscription> subscriptions_;
    std::map<std::string, LoadedCalendar> loadedCalendars_;  // by the file's path
    std::unique_ptr<OtherCalendarsLane> otherCalendars_;
    CalendarDownloads* downloads_ = nullptr;
    CalDavCalendars* calDav_ = nullptr;
    PublishTarget publishTarget_;
    int publishesAsked_ = 0;  // the last publish asked for, the one whose resources are sent
    QTimer* publishRetry_ = nullptr;          // a failed publish again, its interval the last pause
    TrustedCertificates* trusted_ = nullptr;  // for calendars on the web and CalDAV servers
    QTimer* calendarRefresh_ = nullptr;       // fetches the web calendars again, as often as set
    QList<QAction*> shiftStepActions_;        // View > Shift Step, one of them checked
    std::unique_ptr<TypeTreeController> typeTree_;
    std::unique_ptr<SoundPlayer> wavPlayer_;
    class Alarms;
    std::unique_ptr<Alarms> alarms_;
    AlarmCheckState alarmCheckState_;
    Reminders reminders_;
    std::unique_ptr<DesktopNotifications> notifications_;
    std::function<bool()> systemTrayAvailable_;
    std::function<void()> quitApplication_;
    QSystemTrayIcon* trayIcon_ = nullptr;
    int trayToolTipMinute_ = -1;  // the minute the tooltip was made for; -1: to be made again
    bool quitting_ = false;       // closing ends the program, whatever the tray setting says
    std::function<QDate()> currentDate_;
    QDate today_;  // the date the last alarm check saw
    QTimer* alarmWakeUp_ = nullptr;
    std::vector<std::int64_t> boldDays_;  // the days the calendar shows in bold
    std::unique_ptr<TformReportGrowthChart> formReportGrowthChart_;
    std::unique_ptr<TAboutBox> AboutBox;
    std::unique_ptr<HelpBrowser> helpBrowser_;
    WindowPlacementStore placementStore_;
    bool shownOnce_ = false;
    QString exportFolder_;  // where the last export or import went
    // The date the calendar's selection has just changed to, until the events of that change
    // are handled: a click that chose a new date reports the change first, then the click.
    QDate dateJustChosen_;
};

}  // namespace kalvo
