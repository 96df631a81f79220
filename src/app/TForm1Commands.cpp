// The main window's command table: actions, menus, context menus and the toolbar.
#include "app/TForm1.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPoint>

#include "app/MainWindowParts.h"
#include "gui/SectionedToolBar.h"
#include "gui/ToolBarIcons.h"

namespace kalvo {

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
    QList<QKeySequence> redoKeys = K::keyBindings(K::Redo);
    if (!redoKeys.contains(K(Qt::CTRL | Qt::Key_Y))) {
        redoKeys.append(K(Qt::CTRL | Qt::Key_Y));
    }
    const Command commands[] = {
        {&TForm1::actionUndo, "actionUndo", "&Undo", "Edit", K::keyBindings(K::Undo),
         "Take back the last edit", &TForm1::actionUndoExecute},
        {&TForm1::actionRedo, "actionRedo", "&Redo", "Edit", redoKeys,
         "Do the edit taken back again", &TForm1::actionRedoExecute},
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
        {&TForm1::actionPreviousDay,
         "actionPreviousDay",
         "&Previous Day",
         "View",
         {K(Qt::ALT | Qt::Key_Left)},
         "Show the Previous Day",
         &TForm1::actionPreviousDayExecute},
        {&TForm1::actionNextDay,
         "actionNextDay",
         "&Next Day",
         "View",
         {K(Qt::ALT | Qt::Key_Right)},
         "Show the Next Day",
         &TForm1::actionNextDayExecute},
        {&TForm1::actionToday,
         "actionToday",
         "&Today",
         "View",
         {K(Qt::ALT | Qt::Key_Home)},
         "Show Today",
         &TForm1::actionTodayExecute},
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
    createDayViewActions();
    Print1 = menuCommand("Print1", "&Print Time Chart", QKeySequence(Qt::CTRL | Qt::Key_P),
                         &TForm1::buttonPrintClick);
    PrinterSetup1 = menuCommand("PrinterSetup1", "Printer &Setup",
                                QKeySequence(Qt::CTRL | Qt::Key_Q), &TForm1::PrinterSetup1Click);
    VideoTutorials1 =
        menuCommand("VideoTutorials1", "View the Video Tutorials",
                    QKeySequence(Qt::CTRL | Qt::Key_T), &TForm1::VideoTutorials1Click);
    WebSite1 = menuCommand("WebSite1", "&Kalvo Planner Web Site",
                           QKeySequence(Qt::CTRL | Qt::Key_W), &TForm1::WebSite1Click);
    SendEMail1 = menuCommand("SendEMail1", "&Send E-Mail to Support",
                             QKeySequence(Qt::CTRL | Qt::Key_E), &TForm1::SendEMail1Click);
    ExportAppointments1 = menuCommand("ExportAppointments1", "&Appointments as iCalendar...", {},
                                      &TForm1::exportAppointments);
    ExportTimeSplit1 =
        menuCommand("ExportTimeSplit1", "&Time Split as CSV...", {}, &TForm1::exportTimeSplit);
    actionCalendars =
        menuCommand("actionCalendars", "Other C&alendars...", {}, &TForm1::manageCalendars);
    ImportAppointments1 = menuCommand("ImportAppointments1", "&Appointments from iCalendar...", {},
                                      &TForm1::importAppointments);
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
    QMenu* imports = file->addMenu(QStringLiteral("&Import"));
    imports->setObjectName(QStringLiteral("Import1"));
    imports->addAction(ImportAppointments1);
    QMenu* exports = file->addMenu(QStringLiteral("&Export"));
    exports->setObjectName(QStringLiteral("Export1"));
    exports->addActions({ExportAppointments1, ExportTimeSplit1});
    file->addSeparator();
    file->addAction(actionExit);

    QMenu* edit = menu->addMenu(QStringLiteral("&Edit"));
    edit->addActions({actionUndo, actionRedo});
    edit->addSeparator();
    edit->addAction(actionEditEvent);
    // The item stays hidden: Del deletes through the action, the menu does not offer it.
    QAction* deleteItem = edit->addAction(actionDeleteEvent->text());
    deleteItem->setObjectName(QStringLiteral("DeleteEvent1"));
    deleteItem->setVisible(false);
    connect(deleteItem, &QAction::triggered, actionDeleteEvent, &QAction::trigger);
    edit->addActions({actionShiftUpEventData, actionShiftDownEventData});
    edit->addSeparator();
    edit->addActions({actionAddNode, actionEditNode, actionDeleteNode});

    QMenu* view = menu->addMenu(QStringLiteral("&View"));
    view->addActions({actionPreviousDay, actionNextDay, actionToday});
    view->addSeparator();
    addDayViewMenu(*view);

    QMenu* tools = menu->addMenu(QStringLiteral("&Tools"));
    tools->addActions({actionChart, actionCalendars, actionCustomizeToolbar, actionOptions});

    QMenu* help = menu->addMenu(QStringLiteral("&Help"));
    help->addActions({actionContents, VideoTutorials1});
    help->addSeparator();
    help->addActions({WebSite1, SendEMail1});
    help->addSeparator();
    help->addAction(About1);

    for (QMenu* submenu : {file, imports, exports, edit, view, tools, help}) {
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
    popupMenuChart = new QMenu(this);
    popupMenuChart->setObjectName(QStringLiteral("popupMenuChart"));
    popupMenuChart->addActions({Print1, ExportAppointments1, ExportTimeSplit1});

    for (QMenu* context : {popupMenu, popupMenuTree, popupMenuToolbar, popupMenuChart}) {
        context->setAccessibleName(context->objectName());
    }
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
        {"SpeedItemUndo", "Undo", "Undo the last edit", "Take back the last edit", "Edit",
         actionUndo, ToolBarPicture::Undo, false},
        {"SpeedItemRedo", "Redo", "Redo the edit taken back", "Do the edit taken back again",
         "Edit", actionRedo, ToolBarPicture::Redo, false},
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

}  // namespace kalvo
