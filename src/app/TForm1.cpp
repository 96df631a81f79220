#include "app/TForm1.h"

#include <QAbstractEventDispatcher>
#include <QAbstractItemView>
#include <QAction>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateEdit>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/AnchoredLayout.h"
#include "app/ApplicationErrors.h"
#include "app/CommandKeyFilter.h"
#include "day/DeleteOccurrence.h"
#include "day/Occurrences.h"
#include "day/Timeline.h"
#include "day/widgets/DayView.h"
#include "gui/ToolBarCustomizeDialog.h"
#include "gui/ToolBarIcons.h"
#include "settings/HelpBrowser.h"
#include "settings/HelpDocuments.h"
#include "settings/TAboutBox.h"

namespace kalvo {
namespace {

// The client area the layout positions refer to; areas anchored to the right or bottom
// follow the window's edges from there.
constexpr QSize kDesignClientSize(887, 661);

void nameForScreenReaders(QWidget* widget, const QString& componentName,
                          const QString& caption = {}) {
    widget->setObjectName(componentName);
    widget->setAccessibleName(caption.isEmpty() ? componentName : caption);
}

// The parts that Qt's composite controls make for themselves, named for screen readers.
void nameInnerControls(QWidget* owner,
                       std::initializer_list<std::pair<const char*, const char*>> names) {
    for (const auto& [objectName, accessibleName] : names) {
        if (auto* part = owner->findChild<QWidget*>(QString::fromLatin1(objectName))) {
            part->setAccessibleName(QString::fromUtf8(accessibleName));
        }
    }
}

QLabel* captionLabel(const QString& componentName, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    nameForScreenReaders(label, componentName, text);
    return label;
}

// A ruler of tick marks: every 5 minutes, longer at quarter and half hours, longest at hours.
QPixmap rulerPicture() {
    QPixmap picture(20, kColumnHeight);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(QPen(Qt::black, 1));
    for (int y = 0; y < kColumnHeight; y += 2) {
        int start = 15;
        if (y % 24 == 0) {
            start = 0;
        } else if (y % 12 == 0) {
            start = 5;
        } else if (y % 6 == 0) {
            start = 10;
        }
        painter.drawLine(start, y, 20, y);
    }
    return picture;
}

DateTime calendarDateOf(const QDate& date) {
    return static_cast<DateTime>(daysFromCivil({date.year(), date.month(), date.day()}));
}

}  // namespace

TForm1::TForm1(ProgrammSettings& programmSettings, SettingsStore& settingsStore,
               const std::string& programFolder, QWidget* parent)
    : QMainWindow(parent),
      programmSettings_(programmSettings),
      settingsStore_(settingsStore),
      programFolder_(QString::fromStdString(programFolder)),
      database_(programFolder) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Kalvo Planner"));
    setAccessibleName(windowTitle());
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
    qApp->installEventFilter(new CommandKeyFilter(this));

    programmSettings_.loadAll(settingsStore_);
    // Whether the database opened is seen when the model is read: a closed table fails it.
    database_.openDatabase(
        "", [this](const std::string& text) { showError(QString::fromStdString(text)); });
    model_ = database_.readModel();
    dayView_ = std::make_unique<DayView>(model_, *panelMain, *panelDifference, *popupMenu);
    connect(dayView_.get(), &DayView::editEventRequested, actionEditEvent, &QAction::trigger);
    connect(dayView_.get(), &DayView::chartChanged, this, &TForm1::drawChart);
    connect(dayView_.get(), &DayView::appointmentPageChanged, this,
            &TForm1::refreshAppointmentPage);
    dayView_->setApplyToFuture([this] { return checkBoxApplyToFuture->isChecked(); });
    connect(calendar, &QCalendarWidget::clicked, this, &TForm1::calendarClick);
    connect(calendar, &QCalendarWidget::activated, this, &TForm1::calendarClick);
    model_.selectedDate = calendarDateOf(calendar->selectedDate());
    buildDay();
    rebuildTypeTree(-1);

    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &TForm1::checkAlarms);

    AboutBox = std::make_unique<TAboutBox>(
        programmSettings_, settingsStore_, programFolder_,
        AboutBoxServices{
            .backupDatabase = [this](const QString& folder) { backupDatabase(folder); },
            .restoreDatabase = [this](const QString& folder) { restoreDatabase(folder); },
            .reportError = showApplicationError,
            .openDocument = {}},
        this);
}

void TForm1::createActions() {
    struct Command {
        QAction* TForm1::*member;
        const char* name;
        const char* caption;
        const char* category;
        QList<QKeySequence> keys;  // the shortcut first, then the secondary keys
        const char* hint;
        void (TForm1::*handler)();
    };
    using K = QKeySequence;
    const Command commands[] = {
        {&TForm1::actionExit,
         "actionExit",
         "Exit",
         "File",
         {K(Qt::ALT | Qt::Key_F4), K(Qt::Key_Escape), K(Qt::ALT | Qt::Key_X)},
         "",
         &TForm1::actionExitExecute},
        {&TForm1::actionAddNode,
         "actionAddNode",
         "Add Event Type",
         "Edit",
         {K(Qt::CTRL | Qt::Key_Insert)},
         "",
         nullptr},
        {&TForm1::actionEditNode,
         "actionEditNode",
         "Edit Event Type",
         "Edit",
         {K(Qt::CTRL | Qt::Key_F4)},
         "",
         nullptr},
        {&TForm1::actionDeleteNode,
         "actionDeleteNode",
         "Delete Event Type",
         "Edit",
         {K(Qt::CTRL | Qt::Key_Delete)},
         "",
         nullptr},
        {&TForm1::actionBackupDatabase,
         "actionBackupDatabase",
         "Backup Database",
         "File",
         {K(Qt::CTRL | Qt::Key_B)},
         "",
         &TForm1::actionBackupDatabaseExecute},
        {&TForm1::actionRestoreFromBackup,
         "actionRestoreFromBackup",
         "Restore from Backup",
         "File",
         {K(Qt::CTRL | Qt::Key_R)},
         "",
         &TForm1::actionRestoreFromBackupExecute},
        {&TForm1::actionEditEvent,
         "actionEditEvent",
         "Edit Event",
         "Edit",
         {K(Qt::Key_F4)},
         "Edit the Selected Event",
         &TForm1::editEvent},
        {&TForm1::actionShiftUpEventData,
         "actionShiftUpEventData",
         "Shift Event Up",
         "Edit",
         {K(Qt::CTRL | Qt::Key_Up)},
         "Shift Up Event",
         nullptr},
        {&TForm1::actionShiftDownEventData,
         "actionShiftDownEventData",
         "Shift Event Down",
         "Edit",
         {K(Qt::CTRL | Qt::Key_Down)},
         "Shift Down Event",
         nullptr},
        {&TForm1::actionShiftUpEventDataStart,
         "actionShiftUpEventDataStart",
         "actionShiftUpEventDataStart",
         "Edit",
         {},
         "",
         nullptr},
        {&TForm1::actionShiftDownEventDataStart,
         "actionShiftDownEventDataStart",
         "actionShiftUpEventDataStart",
         "Edit",
         {},
         "",
         nullptr},
        {&TForm1::actionShiftUpEventDataEnd,
         "actionShiftUpEventDataEnd",
         "actionShiftUpEventDataEnd",
         "Edit",
         {},
         "",
         nullptr},
        {&TForm1::actionShiftDownEventDataEnd,
         "actionShiftDownEventDataEnd",
         "actionShiftDownEventDataEnd",
         "Edit",
         {},
         "",
         nullptr},
        {&TForm1::actionRefresh,
         "actionRefresh",
         "refresh",
         "File",
         {K(Qt::Key_F5)},
         "",
         &TForm1::refreshChart},
        {&TForm1::actionAbout,
         "actionAbout",
         "actionAbout",
         "Help",
         {K(Qt::CTRL | Qt::Key_F1)},
         "",
         &TForm1::actionAboutExecute},
        {&TForm1::actionSave,
         "actionSave",
         "Save",
         "File",
         {K(Qt::CTRL | Qt::Key_S)},
         "",
         &TForm1::actionSaveExecute},
        {&TForm1::actionDeleteEvent,
         "actionDeleteEvent",
         "Delete Event",
         "Edit",
         {K(Qt::Key_Delete)},
         "Delete the Selected Event",
         &TForm1::deleteEvent},
        {&TForm1::actionChart,
         "actionChart",
         "Chart",
         "Tools",
         {K(Qt::CTRL | Qt::Key_G)},
         "Time Split Chart",
         &TForm1::actionChartExecute},
        {&TForm1::actionCustomizeToolbar,
         "actionCustomizeToolbar",
         "Customize Toolbar",
         "Tools",
         {K(Qt::Key_F8)},
         "",
         &TForm1::actionCustomizeToolbarExecute},
        {&TForm1::actionContents,
         "actionContents",
         "Contents",
         "Help",
         {K(Qt::Key_F1)},
         "Help Contents",
         &TForm1::actionContentsExecute},
        {&TForm1::actionOptions,
         "actionOptions",
         "Options",
         "Tools",
         {K(Qt::CTRL | Qt::Key_O), K(Qt::Key_F10)},
         "Kalvo Planner configuration options",
         &TForm1::actionOptionsExecute},
    };
    for (const Command& command : commands) {
        auto* action = new QAction(QString::fromUtf8(command.caption), this);
        action->setObjectName(QString::fromUtf8(command.name));
        action->setProperty("category", QString::fromUtf8(command.category));
        action->setShortcuts(command.keys);
        action->setToolTip(QString::fromUtf8(command.hint));
        action->setStatusTip(QString::fromUtf8(command.hint));
        if (command.handler != nullptr) {
            connect(action, &QAction::triggered, this, command.handler);
        }
        addAction(action);
        this->*command.member = action;
    }
    for (QAction* shift :
         {actionShiftUpEventData, actionShiftDownEventData, actionShiftUpEventDataStart,
          actionShiftDownEventDataStart, actionShiftUpEventDataEnd, actionShiftDownEventDataEnd}) {
        connect(shift, &QAction::triggered, this, [this, shift] { shiftEvent(shift); });
    }
    for (QAction* typeCommand : {actionAddNode, actionEditNode, actionDeleteNode}) {
        connect(typeCommand, &QAction::triggered, this,
                [this, typeCommand] { editTypeCommand(typeCommand); });
    }

    const auto menuCommand = [this](const char* name, const char* caption, const QKeySequence& key,
                                    void (TForm1::*handler)()) {
        auto* action = new QAction(QString::fromUtf8(caption), this);
        action->setObjectName(QString::fromUtf8(name));
        action->setShortcut(key);
        connect(action, &QAction::triggered, this, handler);
        addAction(action);
        return action;
    };
    Print1 = menuCommand("Print1", "&Print Time Chart", QKeySequence(Qt::CTRL | Qt::Key_P),
                         &TForm1::printTimeChart);
    PrinterSetup1 = menuCommand("PrinterSetup1", "Printer &Setup",
                                QKeySequence(Qt::CTRL | Qt::Key_Q), &TForm1::printerSetup);
    VideoTutorials1 =
        menuCommand("VideoTutorials1", "View the Video Tutorials",
                    QKeySequence(Qt::CTRL | Qt::Key_T), &TForm1::VideoTutorials1Click);
    WebSite1 = menuCommand("WebSite1", "&Kalvo Planner Web Site",
                           QKeySequence(Qt::CTRL | Qt::Key_W), &TForm1::WebSite1Click);
    SendEMail1 = menuCommand("SendEMail1", "&Send E-Mail to Support",
                             QKeySequence(Qt::CTRL | Qt::Key_E), &TForm1::SendEMail1Click);
    About1 = new QAction(QStringLiteral("A&bout"), this);
    About1->setObjectName(QStringLiteral("About1"));
    connect(About1, &QAction::triggered, actionAbout, &QAction::trigger);
    EditEventType1 = new QAction(QStringLiteral("Edit Corresponding Type"), this);
    EditEventType1->setObjectName(QStringLiteral("EditEventType1"));
    connect(EditEventType1, &QAction::triggered, this, [this] { editTypeCommand(EditEventType1); });
}

void TForm1::createMenus() {
    QMenuBar* menu = menuBar();
    menu->setObjectName(QStringLiteral("menu"));
    menu->setAccessibleName(QStringLiteral("menu"));

    QMenu* file = menu->addMenu(QStringLiteral("&File"));
    file->addActions({actionSave, Print1, PrinterSetup1});
    file->addSeparator();
    file->addActions({actionBackupDatabase, actionRestoreFromBackup});
    file->addSeparator();
    file->addAction(actionExit);

    QMenu* edit = menu->addMenu(QStringLiteral("&Edit"));
    edit->addAction(actionEditEvent);
    // The item stays hidden: Del deletes through the action, the menu does not offer it.
    QAction* deleteItem = edit->addAction(actionDeleteEvent->text());
    deleteItem->setObjectName(QStringLiteral("DeleteEvent1"));
    deleteItem->setVisible(false);
    connect(deleteItem, &QAction::triggered, actionDeleteEvent, &QAction::trigger);
    edit->addActions({actionShiftUpEventData, actionShiftDownEventData});
    edit->addSeparator();
    edit->addActions({actionAddNode, actionEditNode, actionDeleteNode});

    QMenu* tools = menu->addMenu(QStringLiteral("&Tools"));
    tools->addActions({actionChart, actionCustomizeToolbar, actionOptions});

    QMenu* help = menu->addMenu(QStringLiteral("&Help"));
    help->addActions({actionContents, VideoTutorials1});
    help->addSeparator();
    help->addActions({WebSite1, SendEMail1});
    help->addSeparator();
    help->addAction(About1);

    for (QMenu* submenu : {file, edit, tools, help}) {
        submenu->setToolTipsVisible(true);
        submenu->setAccessibleName(submenu->title().remove(QLatin1Char('&')));
    }

    popupMenu = new QMenu(this);
    popupMenu->setObjectName(QStringLiteral("popupMenu"));
    QAction* itemEditEventData = popupMenu->addAction(QStringLiteral("Edit Event"));
    itemEditEventData->setObjectName(QStringLiteral("itemEditEventData"));
    itemEditEventData->setShortcut(actionEditEvent->shortcut());
    itemEditEventData->setToolTip(QStringLiteral("Edit the Selected Event"));
    QAction* itemDeleteEventData = popupMenu->addAction(QStringLiteral("Delete Event"));
    itemDeleteEventData->setObjectName(QStringLiteral("itemDeleteEventData"));
    itemDeleteEventData->setShortcut(actionDeleteEvent->shortcut());
    itemDeleteEventData->setToolTip(QStringLiteral("Delete the Selected Event"));
    // The keys beside the items are those of the window's actions; in the menu they only
    // show, so that a key press runs the action once, on the selected appointment.
    for (QAction* item : {itemEditEventData, itemDeleteEventData}) {
        item->setShortcutContext(Qt::WidgetShortcut);
    }
    connect(itemEditEventData, &QAction::triggered, this, &TForm1::itemEditEventDataClick);
    connect(itemDeleteEventData, &QAction::triggered, this, &TForm1::itemDeleteEventDataClick);
    popupMenu->addAction(EditEventType1);
    popupMenu->addSeparator();
    popupMenu->addActions({actionShiftUpEventData, actionShiftDownEventData});
    popupMenu->addSeparator();
    popupMenu->addAction(actionChart);

    popupMenuTree = new QMenu(this);
    popupMenuTree->setObjectName(QStringLiteral("popupMenuTree"));
    popupMenuTree->addActions({actionAddNode, actionEditNode, actionDeleteNode});

    popupMenuToolbar = new QMenu(this);
    popupMenuToolbar->setObjectName(QStringLiteral("popupMenuToolbar"));
    popupMenuToolbar->addAction(actionCustomizeToolbar);
    for (QMenu* context : {popupMenu, popupMenuTree, popupMenuToolbar}) {
        context->setAccessibleName(context->objectName());
    }
}

void TForm1::createLayout() {
    auto* client = new QWidget(this);
    nameForScreenReaders(client, QStringLiteral("clientArea"));
    auto* layout = new AnchoredLayout(kDesignClientSize, client);

    createToolBar(client);
    layout->addAnchored(toolBar, {0, 0, kDesignClientSize.width(), 56},
                        AnchorLeft | AnchorTop | AnchorRight);

    layout->addAnchored(captionLabel(QStringLiteral("Label1"), QStringLiteral("Actual"), client),
                        {64, 58, 120, 14}, AnchorLeft | AnchorTop);
    layout->addAnchored(captionLabel(QStringLiteral("Label2"), QStringLiteral("Planned"), client),
                        {280, 58, 120, 14}, AnchorLeft | AnchorTop);

    ScrollBox1 = new QScrollArea(client);
    nameForScreenReaders(ScrollBox1, QStringLiteral("ScrollBox1"));
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* timeline = new QWidget;
    nameForScreenReaders(timeline, QStringLiteral("timeline"));
    timeline->setFixedSize(466, kColumnHeight);
    createTimeline(timeline);
    ScrollBox1->setWidget(timeline);
    ScrollBox1->viewport()->setAccessibleName(QStringLiteral("ScrollBox1"));
    layout->addAnchored(ScrollBox1, {0, 74, 483, 578}, AnchorLeft | AnchorTop | AnchorBottom);

    checkBoxApplyToFuture = new QCheckBox(QStringLiteral("Apply to Future"), client);
    nameForScreenReaders(checkBoxApplyToFuture, QStringLiteral("checkBoxApplyToFuture"),
                         checkBoxApplyToFuture->text());
    layout->addAnchored(checkBoxApplyToFuture, {488, 64, 180, 22}, AnchorLeft | AnchorTop);

    buttonTutorial = new QPushButton(QStringLiteral("View the Video Tutorials"), client);
    nameForScreenReaders(buttonTutorial, QStringLiteral("buttonTutorial"), buttonTutorial->text());
    connect(buttonTutorial, &QPushButton::clicked, VideoTutorials1, &QAction::trigger);
    layout->addAnchored(buttonTutorial, {752, 64, 129, 25}, AnchorTop | AnchorRight);

    panelRight = new QWidget(client);
    nameForScreenReaders(panelRight, QStringLiteral("panelRight"));
    createRightPanel();
    layout->addAnchored(panelRight, {488, 94, 395, 561},
                        AnchorLeft | AnchorTop | AnchorRight | AnchorBottom);

    setCentralWidget(client);
    setFocusOrder();
}

void TForm1::createToolBar(QWidget* client) {
    toolBar = new SectionedToolBar({QStringLiteral("File"), QStringLiteral("Edit"),
                                    QStringLiteral("Tools"), QStringLiteral("Help")},
                                   client);
    toolBar->setObjectName(QStringLiteral("toolBar"));
    toolBar->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(toolBar, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popupMenuToolbar->popup(toolBar->mapToGlobal(at)); });
    struct Button {
        const char* name;
        const char* caption;
        const char* longCaption;
        const char* hint;
        const char* section;
        QAction* action;
        ToolBarPicture picture;
        bool shownAtFirst;
    };
    const Button buttons[] = {
        {"SpeedItemEditNote", "Edit Event", "Edit the selected event", "Edit the Selected Event",
         "Edit", actionEditEvent, ToolBarPicture::EditEvent, true},
        {"SpeedItemCategory", "Type", "Appointment Type actions", "Appointment Type actions",
         "Edit", actionAddNode, ToolBarPicture::AppointmentType, true},
        {"SpeedItemCharts", "Chart", "Time Split Chart", "Time Split Chart", "Tools", actionChart,
         ToolBarPicture::Chart, true},
        {"SpeedItemContents", "Help", "Help Contents", "Help Contents", "Help", actionContents,
         ToolBarPicture::Help, true},
        {"SpeedItemExit", "Exit", "Exit", "", "File", actionExit, ToolBarPicture::Exit, true},
        {"SpeedItemBackup", "Backup", "Backup Database", "", "File", actionBackupDatabase,
         ToolBarPicture::Backup, false},
        {"SpeedItemDeleteNote", "Delete Event", "Delete the Selected Event",
         "Delete the Selected Event", "Edit", actionDeleteEvent, ToolBarPicture::DeleteEvent,
         false},
    };
    int position = 0;
    for (const Button& button : buttons) {
        ToolBarButton entry;
        entry.name = QString::fromUtf8(button.name);
        entry.caption = QString::fromUtf8(button.caption);
        entry.longCaption = QString::fromUtf8(button.longCaption);
        entry.hint = QString::fromUtf8(button.hint);
        entry.section = QString::fromUtf8(button.section);
        entry.action = button.action;
        entry.icon = toolBarIcon(button.picture);
        entry.dropDown = button.action == actionAddNode ? popupMenuTree : nullptr;
        entry.shownAtFirst = button.shownAtFirst;
        entry.initialPosition = ++position;
        toolBar->addButton(entry);
    }
    nameInnerControls(toolBar, {{"qt_toolbar_ext_button", "More toolbar buttons"}});
}

void TForm1::placeAtFirstStart() {
    resize(895, 706);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void TForm1::createTimeline(QWidget* content) {
    for (int hour = 0; hour < 24; ++hour) {
        const QString text = QStringLiteral("%1:00").arg(hour, 2, 10, QLatin1Char('0'));
        // The first label kept its designer name; the others were numbered from 4 on.
        const QString name =
            hour == 0 ? QStringLiteral("label0") : QStringLiteral("Label%1").arg(hour + 5);
        auto* label = captionLabel(name, text, content);
        label->move(8, hour * kPixelsPerHour);
    }
    const QPixmap ruler = rulerPicture();
    for (const auto& [name, left] :
         {std::pair{QStringLiteral("image"), 45}, std::pair{QStringLiteral("imageRight"), 261}}) {
        auto* image = new QLabel(content);
        nameForScreenReaders(image, name);
        image->setPixmap(ruler);
        image->setGeometry(left, 0, 20, kColumnHeight);
    }
    for (auto [column, name, left] :
         {std::tuple{&panelMain, QStringLiteral("panelMain"), 64},
          std::tuple{&panelDifference, QStringLiteral("panelDifference"), 280}}) {
        auto* panel = new QFrame(content);
        nameForScreenReaders(panel, name);
        panel->setAutoFillBackground(true);
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));  // silver
        panel->setPalette(palette);
        panel->setGeometry(left, 0, 185, kColumnHeight);
        *column = panel;
    }
}

void TForm1::createRightPanel() {
    auto* column = new QVBoxLayout(panelRight);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(3);

    auto* panelTree = new QWidget(panelRight);
    nameForScreenReaders(panelTree, QStringLiteral("panelTree"));
    panelTree->setMinimumHeight(160);
    panelTree->setMaximumHeight(300);
    panelTree->setFixedHeight(299);
    auto* treeRow = new QHBoxLayout(panelTree);
    treeRow->setContentsMargins(0, 0, 0, 0);
    treeRow->setSpacing(3);

    tree = new QTreeWidget(panelTree);
    nameForScreenReaders(tree, QStringLiteral("tree"));
    tree->setHeaderHidden(true);
    tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popupMenuTree->popup(tree->viewport()->mapToGlobal(at)); });
    treeRow->addWidget(tree, 1);

    auto* panelCalendar = new QWidget(panelTree);
    nameForScreenReaders(panelCalendar, QStringLiteral("panelCalendar"));
    panelCalendar->setFixedWidth(201);
    auto* calendarColumn = new QVBoxLayout(panelCalendar);
    calendarColumn->setContentsMargins(0, 0, 0, 0);
    calendar = new QCalendarWidget(panelCalendar);
    nameForScreenReaders(calendar, QStringLiteral("calendar"));
    calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calendar->setGridVisible(false);
    nameInnerControls(calendar, {{"qt_calendar_prevmonth", "Previous month"},
                                 {"qt_calendar_nextmonth", "Next month"},
                                 {"qt_calendar_monthbutton", "Month"},
                                 {"qt_calendar_yearbutton", "Year"},
                                 {"qt_calendar_yearedit", "Year"},
                                 {"qt_calendar_navigationbar", "Month and year"},
                                 {"qt_calendar_calendarview", "Days of the month"}});
    if (auto* days = calendar->findChild<QAbstractItemView*>()) {
        days->viewport()->setAccessibleName(QStringLiteral("Days of the month"));
    }
    calendarColumn->addWidget(calendar);
    calendarColumn->addStretch();
    treeRow->addWidget(panelCalendar);
    column->addWidget(panelTree);

    pageControl = new QTabWidget(panelRight);
    nameForScreenReaders(pageControl, QStringLiteral("pageControl"));
    for (auto [page, name, caption] :
         {std::tuple{&sheetEventType, QStringLiteral("sheetEventType"),
                     QStringLiteral("Appointment Type")},
          std::tuple{&sheetEvent, QStringLiteral("sheetEvent"), QStringLiteral("Appointment")},
          std::tuple{&sheetChart, QStringLiteral("sheetChart"), QStringLiteral("Chart")}}) {
        auto* sheet = new QWidget(pageControl);
        nameForScreenReaders(sheet, name, caption);
        pageControl->addTab(sheet, caption);
        *page = sheet;
    }
    createChartPage();
    nameInnerControls(pageControl, {{"qt_tabwidget_stackedwidget", "Pages"}});
    column->addWidget(pageControl, 1);
}

void TForm1::createChartPage() {
    auto* layout = new AnchoredLayout(QSize(383, 230), sheetChart);
    chart = new QWidget(sheetChart);
    nameForScreenReaders(chart, QStringLiteral("chart"));
    chart->setAutoFillBackground(true);
    QPalette white = chart->palette();
    white.setColor(QPalette::Window, Qt::white);
    chart->setPalette(white);
    layout->addAnchored(chart, {0, 0, 383, 200},
                        AnchorLeft | AnchorTop | AnchorRight | AnchorBottom);

    const QDate today = QDate::currentDate();
    const auto datePicker = [&](const QString& name) {
        auto* picker = new QDateEdit(today, sheetChart);
        nameForScreenReaders(picker, name);
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
        connect(picker, &QDateEdit::dateChanged, this, &TForm1::refreshChart);
        return picker;
    };
    auto* labelFrom = captionLabel(QStringLiteral("LabelFrom"), QStringLiteral("From"), sheetChart);
    pickerProfStart = datePicker(QStringLiteral("pickerProfStart"));
    labelFrom->setBuddy(pickerProfStart);
    auto* labelTo = captionLabel(QStringLiteral("labelTo"), QStringLiteral("To"), sheetChart);
    pickerProfEnd = datePicker(QStringLiteral("pickerProfEnd"));
    labelTo->setBuddy(pickerProfEnd);
    layout->addAnchored(labelFrom, {8, 209, 30, 14}, AnchorLeft | AnchorBottom);
    layout->addAnchored(pickerProfStart, {40, 205, 89, 21}, AnchorLeft | AnchorBottom);
    layout->addAnchored(labelTo, {136, 209, 22, 14}, AnchorLeft | AnchorBottom);
    layout->addAnchored(pickerProfEnd, {160, 205, 89, 21}, AnchorLeft | AnchorBottom);
}

void TForm1::setFocusOrder() {
    // Reading order: the toolbar, the timeline, then the right-hand side from top to bottom.
    const QList<QWidget*> order = {
        toolBar, ScrollBox1, checkBoxApplyToFuture, buttonTutorial, tree, calendar, pageControl};
    for (qsizetype i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

TForm1::~TForm1() = default;

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
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    try {
        database_.saveDatabase(model_);
    } catch (const std::exception& error) {
        // Nothing is lost: the window stays open with the model as it was.
        showApplicationError(QString::fromStdString(error.what()));
        event->ignore();
        return;
    }
    placementStore_.save(*this, *toolBar);  // a store that fails costs only the placement
    event->accept();
}

void TForm1::actionExitExecute() {
    if (isActiveWindow()) {
        close();
    }
}

void TForm1::actionSaveExecute() {
    database_.saveDatabase(model_);
}

void TForm1::backupDatabase(const QString& folder) {
    database_.backupDatabase(model_, folder.toStdString());
}

void TForm1::restoreDatabase(const QString& folder) {
    dayView_->clearPanels();
    database_.restoreDatabase(model_, folder.toStdString(), [this](const std::string& text) {
        showError(QString::fromStdString(text));
    });
    const QDate today = QDate::currentDate();
    calendar->setSelectedDate(today);
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
        helpBrowser_ = std::make_unique<HelpBrowser>(programFolder_);
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
    dayView_->buildDay();
    refreshChart();
}

void TForm1::calendarClick() {
    model_.selectedDate = calendarDateOf(calendar->selectedDate());
    model_.selectedPanel = nullptr;
    buildDay();
}
void TForm1::rebuildTypeTree(int) {}
void TForm1::checkAlarms() {}
void TForm1::refreshChart() {
    const auto dayOf = [](const QDateEdit* picker) { return calendarDateOf(picker->date()); };
    collectChartPanels(model_, dayOf(pickerProfStart), dayOf(pickerProfEnd));
    drawChart();
}

void TForm1::drawChart() {}
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
    if (row == nullptr) {
        return;
    }
    dayView_->clearPanels();
    DeleteResult result{};
    try {
        result = deleteOccurrence(model_, dayView_->placement(), *row,
                                  checkBoxApplyToFuture->isChecked());
    } catch (...) {
        dayView_->createPanels();  // a refused deletion changed nothing
        throw;
    }
    dayView_->createPanels();
    refreshChart();
    if (result.refreshAppointmentPage) {
        refreshAppointmentPage();
    }
}
void TForm1::refreshAppointmentPage() {}
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
void TForm1::editTypeCommand(QAction*) {}
void TForm1::printTimeChart() {}
void TForm1::printerSetup() {}

}  // namespace kalvo
