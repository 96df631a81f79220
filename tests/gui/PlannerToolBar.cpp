#include "PlannerToolBar.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QToolButton>
#include <algorithm>
#include <iterator>

#include "gui/ToolBarIcons.h"

namespace kalvo::test {

namespace {

struct ButtonRow {
    const char* name;
    const char* caption;
    const char* longCaption;
    const char* hint;
    const char* section;
    int position;
    bool shown;
    const char* action;
    ToolBarPicture picture;
};

const ButtonRow rows[] = {
    {"SpeedItemEditNote", "Edit Event", "Edit the selected event", "Edit the Selected Event",
     "Edit", 1, true, "actionEditEvent", ToolBarPicture::EditEvent},
    {"SpeedItemCategory", "Type", "Appointment Type actions", "Appointment Type actions", "Edit", 2,
     true, "actionAddNode", ToolBarPicture::AppointmentType},
    {"SpeedItemCharts", "Chart", "Time Split Chart", "Time Split Chart", "Tools", 3, true,
     "actionChart", ToolBarPicture::Chart},
    {"SpeedItemContents", "Help", "Help Contents", "Help Contents", "Help", 4, true,
     "actionContents", ToolBarPicture::Help},
    {"SpeedItemExit", "Exit", "Exit", "", "File", 5, true, "actionExit", ToolBarPicture::Exit},
    {"SpeedItemBackup", "Backup", "Backup Database", "", "File", 6, false, "actionBackupDatabase",
     ToolBarPicture::Backup},
    {"SpeedItemDeleteNote", "Delete Event", "Delete the Selected Event",
     "Delete the Selected Event", "Edit", 7, false, "actionDeleteEvent",
     ToolBarPicture::DeleteEvent},
};

}  // namespace

PlannerToolBar::PlannerToolBar() {
    window.resize(600, 200);
    toolBar = new SectionedToolBar({"File", "Edit", "Tools", "Help"}, &window);
    window.addToolBar(toolBar);
    typeMenu.addAction("Add Event Type");
    typeMenu.addAction("Edit Event Type");
    for (auto row = std::rbegin(rows); row != std::rend(rows); ++row) {
        auto* action = new QAction(QString::fromLatin1(row->action), &window);
        action->setObjectName(QString::fromLatin1(row->action));
        actions_[row->name] = action;
        ToolBarButton button;
        button.name = row->name;
        button.caption = row->caption;
        button.longCaption = row->longCaption;
        button.hint = row->hint;
        button.section = row->section;
        button.action = action;
        button.icon = toolBarIcon(row->picture);
        button.dropDown = button.name == u"SpeedItemCategory" ? &typeMenu : nullptr;
        button.shownAtFirst = row->shown;
        button.initialPosition = row->position;
        toolBar->addButton(button);
    }
}

std::vector<std::string> texts(const ToolBarArrangement& arrangement) {
    std::vector<std::string> result;
    for (const ToolBarSlot& slot : arrangement) {
        result.push_back(slot.name.toStdString() + (slot.shown ? ":1" : ":0"));
    }
    return result;
}

std::vector<std::string> shownLeftToRight(const SectionedToolBar& toolBar) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    std::vector<const QToolButton*> shown;
    for (const ToolBarButton& button : toolBar.buttons()) {
        const QToolButton* widget = toolBar.button(button.name);
        if (widget->isVisible()) {
            shown.push_back(widget);
        }
    }
    std::sort(shown.begin(), shown.end(), [](const QToolButton* left, const QToolButton* right) {
        return left->x() < right->x();
    });
    std::vector<std::string> names;
    for (const QToolButton* widget : shown) {
        names.push_back(widget->objectName().toStdString());
    }
    return names;
}

}  // namespace kalvo::test
