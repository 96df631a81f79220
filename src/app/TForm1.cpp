#include "app/TForm1.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextCharFormat>
#include <QTimer>

#include "alarms/AlarmCheck.h"
#include "alarms/Sound.h"
#include "app/ApplicationErrors.h"
#include "app/CommandKeyFilter.h"
#include "app/MainWindowParts.h"
#include "app/StartupTrace.h"
#include "app/WindowAlarms.h"
#include "chart/TimeSplit.h"
#include "chart/widgets/PieChart.h"
#include "chart/widgets/PlanView.h"
#include "chart/widgets/ReportTimeSplit.h"
#include "day/ApplyChanges.h"
#include "day/Occurrences.h"
#include "day/Timeline.h"
#include "day/widgets/AppointmentPage.h"
#include "day/widgets/DayView.h"
#include "day/widgets/OtherCalendarsLane.h"
#include "day/widgets/TaskPanel.h"
#include "day/widgets/TimelineArea.h"
#include "gui/DesktopNotifications.h"
#include "gui/QtSoundPlayer.h"
#include "gui/ToolBarCustomizeDialog.h"
#include "settings/widgets/HelpBrowser.h"
#include "settings/widgets/HelpDocuments.h"
#include "settings/widgets/TAboutBox.h"
#include "types/widgets/TypePage.h"
#include "types/widgets/TypeTreeController.h"
#include "types/widgets/TypeTreeWidget.h"
#include "types/widgets/WarningBox.h"

namespace kalvo {

TForm1::TForm1(ProgrammSettings& programmSettings, SettingsStore& settingsStore,
               const std::string& databaseFolder, WindowPlatform platform, QWidget* parent)
    : QMainWindow(parent),
      programmSettings_(programmSettings),
      settingsStore_(settingsStore),
      documentsFolder_(programDocumentsFolder()),
      database_(databaseFolder) {
    // The files are read into a model on a worker thread while the window is built; what the
    // open reports is shown once the window needs the model.
    std::vector<std::string> openErrors;
    std::future<Model> opening = std::async(std::launch::async, [this, &openErrors] {
        database_.openDatabase(
            "", [&openErrors](const std::string& text) { openErrors.push_back(text); });
        // Whether the database opened is seen when the model is read: a closed table fails it.
        return database_.readModel();
    });
    setObjectName(QStringLiteral("TForm1"));
    // The mark of unsaved changes shows as Qt puts it: "Kalvo Planner*" on most desktops.
    setWindowTitle(QStringLiteral("Kalvo Planner[*]"));
    setAccessibleName(QStringLiteral("Kalvo Planner"));
    // What a command did that shows nowhere else, such as where a backup went.
    nameForScreenReaders(statusBar(), QStringLiteral("statusBar"), QStringLiteral("Status"));
    // The window was laid out for an 8-point sans serif; Liberation Sans keeps its metrics.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    createActions();
    createMenus();
    createLayout();
    setMinimumSize(799, 540);
    if (!placementStore_.restore(*this, *toolBar)) {
        placeAtFirstStart();
    }
    qApp->installEventFilter(
        new CommandKeyFilter(this, [this] { return dayView_ != nullptr && dayView_->dragging(); }));

    programmSettings_.loadAll(settingsStore_);
    programmSettings_.loadReminderOptions(settingsStore_);
    programmSettings_.loadDayViewOptions(settingsStore_);
    startup::phaseDone("settings");
    opening.wait();
    for (const std::string& text : openErrors) {
        showError(QString::fromStdString(text));
    }
    model_ = opening.get();
    startup::phaseDone("open and model");
    history_.setRecordListener([this](const std::string& record) { journalRecord(record); });
    recoverUnsavedEdits();
    if (!journal_.started()) {
        measureSavedFiles();
    }
    dayView_ =
        std::make_unique<DayView>(model_, history_, *panelMain, *panelDifference, *popupMenu);
    otherCalendars_ = std::make_unique<OtherCalendarsLane>(*panelMain);
    connect(otherCalendars_.get(), &OtherCalendarsLane::addAsAppointmentRequested, this,
            &TForm1::addAsAppointment);
    subscriptions_ = loadSubscriptions(settingsStore_);
    startCalendarDownloads();
    connect(dayView_.get(), &DayView::editEventRequested, actionEditEvent, &QAction::trigger);
    connect(dayView_.get(), &DayView::chartChanged, this, &TForm1::updateChart);
    connect(dayView_.get(), &DayView::appointmentPageChanged, this,
            &TForm1::refreshAppointmentPage);
    dayView_->setApplyToFuture([this] { return checkBoxApplyToFuture->isChecked(); });
    dayView_->setSnapToFiveMinutes([this] { return actionSnapToFiveMinutes->isChecked(); });
    connect(dayView_.get(), &DayView::selectionChanged, this, &TForm1::refreshAppointmentPage);
    connect(dayView_.get(), &DayView::selectionChanged, this, &TForm1::revealSelected);
    connect(dayView_.get(), &DayView::dropRefused, this,
            [this](const QString& message) { showWarningBox(this, message); });
    dayView_->setDraggedTypeId(
        [](const QMimeData& drag) -> std::optional<int> { return draggedTypeId(drag); });
    wavPlayer_ =
        platform.soundPlayer ? std::move(platform.soundPlayer) : std::make_unique<QtSoundPlayer>();
    typeTree_ = std::make_unique<TypeTreeController>(
        model_, history_, *tree, *typePage,
        TypeTreeServices{
            .showWarning = [this](const QString& text) { showWarningBox(this, text); },
            .buildDay = [this] { buildDay(); },
            .playSound = [this](const QString& file) { return playSound(file); },
            .stopSound = [this] { stopSound(); },
            .showTypePage = [this] { pageControl->setCurrentWidget(sheetEventType); }});
    connect(dayView_.get(), &DayView::dayRebuilt, this, &TForm1::refreshChart);
    connect(appointmentPage, &AppointmentPage::shiftRequested, dayView_.get(),
            &DayView::shiftSelected);
    // A typed time the limits refused or cut shows the time the appointment has.
    connect(appointmentPage, &AppointmentPage::timeTyped, this,
            [this](OccurrenceEdge edge, int minuteOfDay) {
                dayView_->setSelectedTime(edge, minuteOfDay);
                refreshAppointmentPage();
            });
    showDayViewOptions();
    connect(appointmentPage, &AppointmentPage::commentEdited, this,
            &TForm1::memoEventDataCommentChange);
    // The typing of a comment is one step until the editor loses the focus.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget*) {
        if (old != nullptr && old == appointmentPage->memoEventDataComment) {
            history_.endStep();
        }
    });
    history_.setChangeListener([this] { historyChanged(); });
    historyChanged();
    connect(calendar, &QCalendarWidget::selectionChanged, this, &TForm1::calendarSelectionChanged);
    connect(calendar, &QCalendarWidget::clicked, this, &TForm1::calendarClicked);
    connect(calendar, &QCalendarWidget::activated, this, &TForm1::calendarClick);
    connect(calendar, &QCalendarWidget::currentPageChanged, this,
            &TForm1::markDaysWithAppointments);
    currentDate_ = platform.currentDate ? std::move(platform.currentDate) : &QDate::currentDate;
    model_.selectedDate = calendarDateOf(calendar->selectedDate());
    buildDay();
    rebuildTypeTree(-1);
    startup::phaseDone("tree");
    startup::quitAfterFirstPaint(*panelMain);

    formReportGrowthChart_ = std::make_unique<TformReportGrowthChart>(this);
    startAlarms(platform);

    AboutBox = std::make_unique<TAboutBox>(
        programmSettings_, settingsStore_,
        AboutBoxFolders{.documents = documentsFolder_,
                        .database = QString::fromStdString(database_.databaseFolder())},
        AboutBoxServices{
            .backupDatabase = [this](const QString& folder) { backupDatabase(folder); },
            .restoreDatabase = [this](const QString& folder) { restoreDatabase(folder); },
            .reportError = showApplicationError,
            .openDocument = {},
            .systemTrayAvailable = systemTrayAvailable_,
            .notificationsAvailable = [this] { return notifications_->available(); },
            .restoreCanBeUndone = [this] { return history_.canKeepWhole(model_); }},
        this);
}
void TForm1::placeAtFirstStart() {
    resize(895, 706);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

TForm1::~TForm1() {
    // The focus moves while the base class destroys the controls, after the members are gone.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
}

void TForm1::showError(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok,
                    isVisible() ? this : nullptr);
    box.exec();
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
}

void TForm1::FormShow() {
    actionChartExecute();
    // The web calendars come once the window is on the screen; the cache shows them till then.
    QMetaObject::invokeMethod(this, &TForm1::fetchCalendars, Qt::QueuedConnection);
    // So is what changed here while the server could not be reached.
    QMetaObject::invokeMethod(this, &TForm1::publishPlan, Qt::QueuedConnection);
    // Queued, so that the tip comes only once the window is on the screen.
    QMetaObject::invokeMethod(this, &TForm1::showTipAtStartup, Qt::QueuedConnection);
}

void TForm1::showTipAtStartup() {
    if (programmSettings_.getShowTip()) {
        AboutBox->showTipPage();
    }
}

bool TForm1::FormCloseQuery() {
    if (!programmSettings_.getShowExitConfirmation()) {
        return true;
    }
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Confirmation"),
                    QStringLiteral("Do you want to close the application?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    return box.exec() == QMessageBox::Yes;
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Kept running in the tray: the window saves as it does on closing and hides, and its
    // alarms keep coming. Nothing asks to confirm, for nothing ends.
    if (!quitting_ && trayIcon_ != nullptr && programmSettings_.getKeepRunningInTray()) {
        event->ignore();
        if (saveForClosing()) {
            hide();
        }
        return;
    }
    if (!FormCloseQuery() || !saveForClosing()) {
        event->ignore();
        return;
    }
    event->accept();
}

bool TForm1::saveForClosing() {
    try {
        history_.endStep();
        finishRunningSave();
        database_.saveDatabase(model_);
        databaseSaved();
    } catch (const std::exception& error) {
        // Nothing is lost: the window stays open with the model as it was.
        showApplicationError(errorMessage(error));
        return false;
    }
    placementStore_.save(*this, *toolBar);  // a store that fails costs only the placement
    if (helpBrowser_) {
        helpBrowser_->close();
    }
    return true;
}

void TForm1::actionExitExecute() {
    if (isActiveWindow()) {
        close();
    }
}

void TForm1::actionSaveExecute() {
    history_.endStep();
    finishRunningSave();
    if (savedFiles_.valid()) {
        savedFiles_.wait();  // the files being measured are not replaced under the measure
    }
    database_.startSave(model_, [this] {
        QMetaObject::invokeMethod(this, &TForm1::saveWritten, Qt::QueuedConnection);
    });
    history_.markSaveStarted();
    saveRunning_ = true;
}

void TForm1::actionUndoExecute() {
    if (!dayView_->dragging() && history_.canUndo()) {
        showEditPlace(history_.undo());
    }
}

void TForm1::actionRedoExecute() {
    if (!dayView_->dragging() && history_.canRedo()) {
        showEditPlace(history_.redo());
    }
}

void TForm1::showEditPlace(const EditPlace& place) {
    {
        const QSignalBlocker quiet(calendar);  // the day is built below, once
        calendar->setSelectedDate(qDateOf(place.date));
    }
    calendarClick();
    selectOccurrence(place.rowId);
    rebuildTypeTree(-1);
}

void TForm1::selectOccurrence(std::int32_t rowId) {
    for (const PlacedOccurrence& occurrence : dayView_->placement().occurrences()) {
        if (occurrence.shown && occurrence.row->id == rowId) {
            model_.selectedPanel = occurrence.row;
            dayView_->selectPanel(occurrence.row);
        }
    }
    refreshAppointmentPage();
    revealSelected();
}

void TForm1::revealSelected() {
    if (TaskPanel* panel = dayView_->panelOf(model_.selectedPanel)) {
        ScrollBox1->ensureWidgetVisible(panel, 0, timelineArea_->scale().pixelsPerHour() / 2);
    }
}

void TForm1::historyChanged() {
    const auto caption = [](const char* command, const std::string& label) {
        return label.empty() ? QString::fromLatin1(command)
                             : QStringLiteral("%1 %2").arg(QLatin1String(command),
                                                           QString::fromStdString(label));
    };
    actionUndo->setText(caption("&Undo", history_.undoLabel()));
    actionRedo->setText(caption("&Redo", history_.redoLabel()));
    actionUndo->setEnabled(history_.canUndo());
    actionRedo->setEnabled(history_.canRedo());
    setWindowModified(history_.modified());
    trayToolTipMinute_ = -1;  // an edit may have changed today's next appointment
    markDaysWithAppointments();
}

void TForm1::backupDatabase(const QString& folder) {
    history_.endStep();
    finishRunningSave();
    database_.saveDatabase(model_);
    // The save stands when the backup folder cannot be written: the journal starts again from
    // the files just saved.
    databaseSaved();
    database_.writeBackup(folder.toStdString());
    statusBar()->showMessage(
        QStringLiteral("Backup written to %1")
            .arg(QDir::toNativeSeparators(QFileInfo(folder + QLatin1Char('/')).absolutePath())));
}

void TForm1::restoreDatabase(const QString& folder) {
    dayView_->clearPanels();
    const QDate today = QDate::currentDate();
    try {
        history_.endStep();
        finishRunningSave();
        // Where the data before the restore fit the history's memory, the restore is a step
        // that Undo Restore takes back; else the edits start again from the restored data.
        const bool undoable = history_.canKeepWhole(model_);
        database_.restoreDatabase(
            model_, folder.toStdString(),
            [this](const std::string& text) { showError(QString::fromStdString(text)); },
            [this, undoable, today](Model&& restored, bool fromBackup) {
                // The restore saved the model first: the files hold the data before it.
                history_.markSaved();
                restartJournal();
                if (undoable && fromBackup) {
                    history_.replaceModel("Restore", {calendarDateOf(today), -1},
                                          std::move(restored));
                    return;
                }
                history_.clear();
                model_.freeModel();
                model_ = std::move(restored);
                if (fromBackup) {
                    // The database folder holds it from the next save on, and until then no
                    // journal applies to the files.
                    history_.markUnsaved();
                    journal_.remove();
                    journaling_ = false;
                }
            });
    } catch (...) {
        buildDay();  // the model is as it was, and its day is shown again
        throw;
    }
    {
        const QSignalBlocker quiet(calendar);  // the restored day is built below, once
        calendar->setSelectedDate(today);
    }
    for (QDateEdit* picker : {pickerProfStart, pickerProfEnd}) {
        const QSignalBlocker quiet(picker);  // the day build below recollects the chart once
        picker->setDate(today);
    }
    model_.selectedDate = calendarDateOf(today);
    buildDay();
    rebuildTypeTree(-1);
}

void TForm1::actionChartExecute() {
    pageControl->setCurrentWidget(sheetChart);
}

void TForm1::actionBackupDatabaseExecute() {
    AboutBox->showBackupPage();
}

void TForm1::actionRestoreFromBackupExecute() {
    AboutBox->showRestorePage();
}

void TForm1::actionAboutExecute() {
    AboutBox->showAboutPage();
}

void TForm1::actionOptionsExecute() {
    AboutBox->showOptionsPage();
}

void TForm1::actionContentsExecute() {
    if (!helpBrowser_) {
        helpBrowser_ = std::make_unique<HelpBrowser>(documentsFolder_);
        // A window of its own beside the main window, which alone keeps the program running:
        // it goes when the main window closes.
        helpBrowser_->setAttribute(Qt::WA_QuitOnClose, false);
    }
    helpBrowser_->showContents();
}
void TForm1::actionCustomizeToolbarExecute() {
    ToolBarCustomizeDialog dialog(*toolBar, this);
    dialog.exec();
}
void TForm1::VideoTutorials1Click() {
    AboutBox->showTutorialsPage();
}

void TForm1::WebSite1Click() {
    openWebSite();
}

void TForm1::SendEMail1Click() {
    sendMailToSupport();
}

void TForm1::buildDay() {
    if (dayView_->buildDay()) {
        refreshAppointmentPage();
    }
    showOtherCalendars();
    revealSelected();
    showDateHeading();
    startup::phaseDone("day build");
    refreshChart();
    startup::phaseDone("chart");
}

void TForm1::showDateHeading() {
    const QDate shown = qDateOf(model_.selectedDate);
    labelShownDate->setText(QLocale().toString(shown, QLocale::LongFormat));
    labelShownDate->setAccessibleName(labelShownDate->text());
    labelToday->setVisible(shown == currentDate_());
}

void TForm1::markDaysWithAppointments() {
    const QDate month(calendar->yearShown(), calendar->monthShown(), 1);
    std::vector<std::int64_t> days = daysWithAppointments(
        model_, calendarDateOf(month), calendarDateOf(month.addMonths(1).addDays(-1)));
    // Most edits, each keystroke of a comment among them, leave the bold days as they are.
    if (days == boldDays_) {
        return;
    }
    boldDays_ = std::move(days);
    calendar->setDateTextFormat(QDate(), QTextCharFormat());  // the month shown before
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    for (const std::int64_t day : boldDays_) {
        calendar->setDateTextFormat(qDateOf(static_cast<DateTime>(day)), bold);
    }
}

void TForm1::calendarClick() {
    const QDate date = calendar->selectedDate();
    if (dayView_->dragging()) {
        // The panels under the mouse belong to the day shown; the calendar goes back to it.
        const QSignalBlocker quiet(calendar);
        calendar->setSelectedDate(qDateOf(model_.selectedDate));
        return;
    }
    model_.selectedDate = calendarDateOf(date);
    for (QDateEdit* picker : {pickerProfStart, pickerProfEnd}) {
        const QSignalBlocker quiet(picker);  // the day build below collects the chart once
        picker->setDate(date);
    }
    model_.selectedPanel = nullptr;
    buildDay();
}
void TForm1::calendarSelectionChanged() {
    dateJustChosen_ = calendar->selectedDate();
    QMetaObject::invokeMethod(
        this, [this] { dateJustChosen_ = {}; }, Qt::QueuedConnection);
    calendarClick();
}

void TForm1::calendarClicked(const QDate& date) {
    if (date != dateJustChosen_) {
        calendarClick();
    }
}

void TForm1::actionPreviousDayExecute() {
    calendar->setSelectedDate(calendar->selectedDate().addDays(-1));
}

void TForm1::actionNextDayExecute() {
    calendar->setSelectedDate(calendar->selectedDate().addDays(1));
}

void TForm1::actionTodayExecute() {
    calendar->setSelectedDate(QDate::currentDate());
}

void TForm1::rebuildTypeTree(int selectTypeId) {
    typeTree_->rebuildTypeTree(selectTypeId);
}
TForm1::ChartRange TForm1::chartRange() const {
    return {calendarDateOf(pickerProfStart->date()), calendarDateOf(pickerProfEnd->date())};
}

void TForm1::refreshChart() {
    const auto [from, to] = chartRange();
    planPage->setRange(pickerProfStart->date(), pickerProfEnd->date());
    collectChartPanels(model_, from, to);
    drawChart();
}

void TForm1::updateChart(ChartUpdate update) {
    if (update == ChartUpdate::recollect) {
        refreshChart();
    } else if (update == ChartUpdate::redraw) {
        drawChart();
    }
}

// After an edit the collected rows are the edited ones: their new times count without
// collecting again.
void TForm1::drawChart() {
    computeSlices(model_);
    const auto [from, to] = chartRange();
    chart->setSlices(pieSlices(model_.chartSlices, from, to));
    refreshPlan();
}
// The menu, toolbar and keys act on the selected occurrence, the panel's context menu on the
// one last under the mouse.
void TForm1::editEvent() {
    editOccurrence(model_.selectedPanel);
}

void TForm1::itemEditEventDataClick() {
    editOccurrence(model_.hoverPanel);
}

void TForm1::deleteEvent() {
    deleteOccurrenceOf(model_.selectedPanel);
}

void TForm1::itemDeleteEventDataClick() {
    deleteOccurrenceOf(model_.hoverPanel);
}

void TForm1::editOccurrence(EventDataRow* row) {
    if (row == nullptr) {
        return;
    }
    dayView_->selectPanel(row);
    pageControl->setCurrentWidget(sheetEvent);
    refreshAppointmentPage();
}

void TForm1::deleteOccurrenceOf(EventDataRow* row) {
    if (row != nullptr) {
        dayView_->deleteOccurrenceOf(*row);
    }
}

void TForm1::refreshAppointmentPage() {
    appointmentPage->refreshAppointmentPage(model_, model_.selectedPanel);
}

// The comment belongs to the shown day only, whatever "Apply to Future" says.
void TForm1::memoEventDataCommentChange(const QString& comment) {
    dayView_->changeSelectedComment(comment.toStdString());
    historyChanged();  // the step of the typing stays open until the editor loses the focus
}
void TForm1::shiftEvent(QAction* command) {
    const std::pair<QAction*, ShiftCommand> commands[] = {
        {actionShiftUpEventData, ShiftCommand::shiftUp},
        {actionShiftDownEventData, ShiftCommand::shiftDown},
        {actionShiftUpEventDataStart, ShiftCommand::startEarlier},
        {actionShiftDownEventDataStart, ShiftCommand::startLater},
        {actionShiftUpEventDataEnd, ShiftCommand::endEarlier},
        {actionShiftDownEventDataEnd, ShiftCommand::endLater}};
    for (const auto& [action, shift] : commands) {
        if (action == command) {
            dayView_->shiftSelected(shift);
        }
    }
}
void TForm1::editTypeCommand(QAction* command) {
    if (command == actionAddNode) {
        typeTree_->actionAddNodeExecute();
    } else if (command == actionEditNode) {
        typeTree_->actionEditNodeExecute();
    } else if (command == actionDeleteNode) {
        typeTree_->actionDeleteNodeExecute();
    } else if (command == EditEventType1) {
        typeTree_->EditEventType1Click();
    }
}

bool TForm1::playSound(const QString& fileName) {
    const bool started = kalvo::playSound(*wavPlayer_, fileName.toStdString());
    typePage->updateBeforeAlarmControls();
    typePage->updateAfterAlarmControls();
    return started;
}

void TForm1::stopSound() {
    const std::optional<std::string> report = kalvo::stopSound(*wavPlayer_);
    typePage->updateBeforeAlarmControls();
    typePage->updateAfterAlarmControls();
    if (report) {
        showApplicationError(QString::fromStdString(*report));
    }
}
void TForm1::buttonPrintClick() {
    const auto [from, to] = chartRange();
    formReportGrowthChart_->setChartData(model_.chartSlices, from, to);
    formReportGrowthChart_->preview();
}

void TForm1::PrinterSetup1Click() {
    formReportGrowthChart_->printerSetup();
}

}  // namespace kalvo
