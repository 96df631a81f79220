#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "day/ApplyChanges.h"
#include "day/DayPlacement.h"
#include "day/DragStep.h"
#include "history/EditHistory.h"
#include "model/Model.h"

class QMenu;
class QMimeData;
class QDropEvent;
class QWidget;

namespace kalvo {

class TaskPanel;

// The panels of the shown day: one pair (occurrence panel and planned twin) per placed
// occurrence, laid out from the day's placement. Widgets exist for what is on screen only;
// every rebuild makes them anew from the model.
class DayView : public QObject {
    Q_OBJECT

public:
    // Each edit is one step of `history`: a drag from its press to its release, a shift, a
    // drop, and the typing of a comment until the window ends it.
    DayView(Model& model, EditHistory& history, QWidget& actualColumn, QWidget& plannedColumn,
            QMenu& panelMenu, QObject* parent = nullptr);
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

    // The zoom the panels are drawn at; the panels are laid out again at once.
    void setScale(TimelineScale scale);
    TimelineScale scale() const { return scale_; }

    // Whether an edit applies to the shown day only or to every later day too.
    void setApplyToFuture(std::function<bool()> applyToFuture);
    // Whether a drag's edges snap to five-minute marks, asked at each press.
    void setSnapToFiveMinutes(std::function<bool()> snapToFiveMinutes);

    // Called by the panels, with positions in the panel's own screen coordinates.
    void panelClicked(TaskPanel& panel);
    void panelDoubleClicked(TaskPanel& panel);
    void panelHovered(TaskPanel& panel);
    // The keyboard reached a panel: it becomes the selection, as a click makes it.
    void panelFocused(TaskPanel& panel);
    void panelPressed(TaskPanel& panel, int y);
    void panelMoved(TaskPanel& panel, int y, bool leftButtonHeld);
    void panelReleased(TaskPanel& panel);

    // Between a press on a panel and its release.
    bool dragging() const { return drag_.dragging(); }

    // A shift command on the selected occurrence: the same step as a drag by one pixel, or to
    // the next mark of the chosen step.
    void shiftSelected(ShiftCommand command);
    void setShiftStep(ShiftStep step) { shiftStep_ = step; }
    // A start or end typed for the selected occurrence, applied as a drag of that edge.
    void setSelectedTime(OccurrenceEdge edge, int minuteOfDay);
    // A new comment of the selected occurrence for the shown day. The typing goes on in one
    // step until the history's step is ended (the editor lost the focus, a command ran).
    void changeSelectedComment(const std::string& comment);
    // The Delete Event commands on `row`'s occurrence of the shown day (and the later days with
    // "Apply to Future"), as one step; the day is built again and the window told.
    void deleteOccurrenceOf(EventDataRow& row);

    // Dropping a type from the type tree creates an appointment: on the Actual column for a
    // top-level type, on an occurrence of its parent type for a sub-type. The decoder reads the
    // dragged type's id from the drag's data.
    using DraggedTypeId = std::function<std::optional<int>(const QMimeData&)>;
    void setDraggedTypeId(DraggedTypeId draggedTypeId);
    // Whether a drag over `panel` (none: the Actual column) may be dropped there.
    bool acceptsDropOn(const TaskPanel* panel, const QMimeData& data) const;
    void dropOn(TaskPanel* panel, const QMimeData& data, int y);

    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void selectionChanged();
    void editEventRequested();
    // An edit changed stored times: the chart's sums and the Appointment page are out of date.
    void chartChanged(ChartUpdate update);
    void appointmentPageChanged();
    // A drop was refused with this message, for the warning box.
    void dropRefused(const QString& message);
    // The day was built anew by an edit (a drop, a delete): the chart's rows are to be
    // collected again.
    void dayRebuilt();

private:
    // Opens a step of the history for an edit of the shown day: "Move" on `row` gives
    // "Move Work".
    void beginDayStep(const std::string& action, const EventDataRow* row);
    void layOut(const PlacedOccurrence& occurrence, TaskPanel& panel, TaskPanel& twin) const;
    // Puts the panel where its row's position lies at the zoom drawn.
    void placePanel(TaskPanel& panel) const;
    // The panel's top, in column pixels from the top of its column.
    int columnTopOf(const TaskPanel& panel) const;
    // A y in the panel's screen coordinates as a y in column pixels from the panel's top.
    int columnYOf(const TaskPanel& panel, int screenY) const;
    ApplyStep applyStepFor(EventDataRow& row);
    // Puts the panels and twins of an edit's rows where the edit left them (on an
    // appointment's first day the plan follows the hovered row) and tells the window.
    void showChange(const ChangeResult& result);
    bool onFreeSpace(QPoint at) const;
    // An edit of the selected occurrence as one step of the history, "Shift Work".
    void runOnSelected(const std::string& action,
                       const std::function<DragResult(EventDataRow&)>& edit);
    void show(const DragResult& result, TaskPanel* panel);

    Model& model_;
    EditHistory& history_;
    QWidget& actualColumn_;
    QWidget& plannedColumn_;
    QMenu& panelMenu_;
    DayPlacement placement_;
    DragState drag_;
    TimelineScale scale_;
    ShiftStep shiftStep_ = ShiftStep::onePixel;
    EventDataRow* draggedRow_ = nullptr;  // the row whose panel was pressed, until the release
    std::function<bool()> applyToFuture_ = [] { return false; };
    std::function<bool()> snapToFiveMinutes_ = [] { return false; };
    DraggedTypeId draggedTypeId_ = [](const QMimeData&) { return std::optional<int>(); };
    std::vector<QPointer<TaskPanel>> panels_;  // occurrence panels and twins, for removal
    // A panel had the keyboard focus when the panels went: the selection's new panel takes it.
    bool panelHadFocus_ = false;
    std::unordered_map<const EventDataRow*, TaskPanel*> panelByRow_;
};

}  // namespace kalvo
