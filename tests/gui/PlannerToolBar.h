#pragma once

#include <QMainWindow>
#include <QMenu>
#include <QString>
#include <map>
#include <string>
#include <vector>

#include "gui/SectionedToolBar.h"

class QAction;

namespace kalvo::test {

// The planner's toolbar as the main window sets it up: its seven buttons in its four
// sections, each running an action of its own, the Type button with the type menu as its
// drop-down. The buttons are added in the reverse of their first order, so that the first
// order must come from their positions.
class PlannerToolBar {
public:
    PlannerToolBar();

    QAction* actionOf(const QString& buttonName) const { return actions_.at(buttonName); }

    QMenu typeMenu;  // destroyed after the window, whose Type button points at it
    QMainWindow window;
    SectionedToolBar* toolBar = nullptr;

private:
    std::map<QString, QAction*> actions_;
};

// "name:1" for a shown button, "name:0" for a hidden one; readable in a failed expectation.
std::vector<std::string> texts(const ToolBarArrangement& arrangement);

// The names of the buttons on screen, from left to right, once the toolbar is laid out.
std::vector<std::string> shownLeftToRight(const SectionedToolBar& toolBar);

}  // namespace kalvo::test
