#pragma once

class QCalendarWidget;
class QWidget;

namespace kalvo {

// panelTreeResize: at its greatest height (300) the tree panel lets the month calendar fill
// its column; at any other height the calendar keeps its own height at the top. Watches
// `panelTree` for as long as it lives; the calendar must sit in a box layout.
void installPanelTreeResize(QWidget& panelTree, QCalendarWidget& calendar);

inline constexpr int kPanelTreeMaximumHeight = 300;

}  // namespace kalvo
