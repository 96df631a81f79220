#pragma once

#include <QStringList>
#include <memory>
#include <optional>

#include "gui/SectionedToolBar.h"

class QMainWindow;
class QSettings;
class QVariant;

namespace kalvo {

// Remembers, per user, where the main window was, how large, whether maximised, and the
// toolbar's arrangement: key "Software\Kalvo Planner", section "Screen General" (on Linux the
// group [Screen General] of $XDG_CONFIG_HOME/Kalvo Planner.conf). Two values:
//   Geometry  the bytes of QWidget::saveGeometry (position, size, maximised, screen);
//   ToolBar   the toolbar's buttons from left to right, hidden ones included, as texts
//             "name:1" (shown) or "name:0" (hidden).
// A value that cannot be read is passed over; failures of the store are not reported,
// as elsewhere with the settings store.
class WindowPlacementStore {
public:
    static constexpr const char* geometryValue = "Geometry";
    static constexpr const char* toolBarValue = "ToolBar";

    // Call before the window is first shown, so that it appears in its place at once.
    // Returns whether a position and size were restored; without them the window is where
    // it was (the caller centres it at first start). A window that would lie off the screen
    // is brought back onto it.
    bool restore(QMainWindow& window, SectionedToolBar& toolBar) const;

    // Returns whether the values reached the store.
    bool save(const QMainWindow& window, const SectionedToolBar& toolBar) const;

private:
    static std::unique_ptr<QSettings> openSettings();
};

QStringList arrangementToTexts(const ToolBarArrangement& arrangement);
// nullopt unless every text is "name:0" or "name:1" with a name, and there is at least one.
std::optional<ToolBarArrangement> arrangementFromTexts(const QStringList& texts);
// A stored ToolBar value: a list of texts, or, when one text or written by hand, one text
// with the entries separated by commas.
std::optional<ToolBarArrangement> arrangementFromStored(const QVariant& stored);

}  // namespace kalvo
