#pragma once

#include <QObject>
#include <QPointer>
#include <unordered_map>
#include <vector>

#include "day/DayPlacement.h"
#include "db/Model.h"

class QMenu;
class QWidget;

namespace kalvo {

class TaskPanel;

// The panels of the shown day: one pair (occurrence panel and planned twin) per placed
// occurrence, laid out from the day's placement. Widgets exist for what is on screen only;
// every rebuild makes them anew from the model.
class DayView : public QObject {
    Q_OBJECT

public:
    DayView(Model& model, QWidget& actualColumn, QWidget& plannedColumn, QMenu& panelMenu,
            QObject* parent = nullptr);
    ~DayView() override;

    Model& model() { return model_; }
    DayPlacement& placement() { return placement_; }
    QMenu& panelMenu() { return panelMenu_; }

    // Places the occurrences of model.selectedDate and makes their panels. Returns true when
    // the day build chose the selection, so the Appointment page must show it.
    bool buildDay();
    // Removes every panel, as the day build does first and as any change that destroys rows
    // needs before it runs: no widget may outlive the row it draws.
    void clearPanels();
    // Makes the panels of the placement as it stands, after a change that built the day anew.
    void createPanels();

    // Moves the white frame to `row` (none: no selection).
    void selectPanel(EventDataRow* row);
    TaskPanel* panelOf(const EventDataRow* row) const;

    // Called by the panels.
    void panelClicked(TaskPanel& panel);
    void panelDoubleClicked(TaskPanel& panel);
    void panelHovered(TaskPanel& panel);

signals:
    void selectionChanged();
    void editEventRequested();

private:
    void layOut(const PlacedOccurrence& occurrence, TaskPanel& panel, TaskPanel& twin) const;

    Model& model_;
    QWidget& actualColumn_;
    QWidget& plannedColumn_;
    QMenu& panelMenu_;
    DayPlacement placement_;
    std::vector<QPointer<TaskPanel>> panels_;  // occurrence panels and twins, for removal
    std::unordered_map<const EventDataRow*, TaskPanel*> panelByRow_;
};

}  // namespace kalvo
