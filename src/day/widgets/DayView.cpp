#include "day/widgets/DayView.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QWidget>
#include <utility>

#include "day/ApplyChanges.h"
#include "day/CreateAppointment.h"
#include "day/DeleteOccurrence.h"
#include "day/EditScope.h"
#include "day/widgets/TaskPanel.h"
#include "gui/StoredColor.h"

namespace kalvo {

DayView::DayView(Model& model, EditHistory& history, QWidget& actualColumn, QWidget& plannedColumn,
                 QMenu& panelMenu, QObject* parent)
    : QObject(parent),
      model_(model),
      history_(history),
      actualColumn_(actualColumn),
      plannedColumn_(plannedColumn),
      panelMenu_(panelMenu) {
    actualColumn_.setAcceptDrops(true);
    actualColumn_.installEventFilter(this);
}

DayView::~DayView() {
    clearPanels();
}

void DayView::clearPanels() {
    drag_ = {};
    draggedRow_ = nullptr;
    panelByRow_.clear();
    panelHadFocus_ = false;
    for (const QPointer<TaskPanel>& panel : panels_) {
        if (panel) {
            if (panel->hasFocus()) {
                // Let go first: hiding it would hand the focus to the next panel, selecting it.
                panel->clearFocus();
                panelHadFocus_ = true;
            }
            // A panel may be the one whose own event led here: it goes once that is over.
            panel->hide();
            panel->setParent(nullptr);
            panel->deleteLater();
        }
    }
    panels_.clear();
}

bool DayView::buildDay() {
    // A step still open (the typing of a comment) was scoped to the day shown; what is typed
    // on the day built now is a step of its own.
    history_.endStep();
    clearPanels();
    const bool selectionChosen = kalvo::buildDay(model_, placement_);
    createPanels();
    return selectionChosen;
}

namespace {

// The widget that the panels follow in the Tab order: the first one around the column that
// takes the focus itself (the timeline's scroll area).
QWidget* tabOrderAnchorOf(QWidget& column) {
    for (QWidget* holder = column.parentWidget(); holder != nullptr;
         holder = holder->parentWidget()) {
        if (holder->focusPolicy() != Qt::NoFocus) {
            return holder;
        }
    }
    return nullptr;
}

}  // namespace

void DayView::createPanels() {
    std::vector<TaskPanel*> panelOfOccurrence(placement_.occurrences().size(), nullptr);
    std::vector<TaskPanel*> twinOfOccurrence(placement_.occurrences().size(), nullptr);
    QWidget* previousInTabOrder = tabOrderAnchorOf(actualColumn_);
    for (std::size_t index = 0; index < placement_.occurrences().size(); ++index) {
        const PlacedOccurrence& occurrence = placement_.occurrences()[index];
        const bool topLevel = occurrence.parent < 0;
        const auto parentIndex = static_cast<std::size_t>(occurrence.parent);
        QWidget* actualParent = topLevel ? &actualColumn_ : panelOfOccurrence[parentIndex];
        QWidget* plannedParent = topLevel ? &plannedColumn_ : twinOfOccurrence[parentIndex];
        auto* twin = new TaskPanel(*this, *occurrence.row, true, plannedParent);
        TaskPanel* panel = nullptr;
        if (occurrence.shown && actualParent != nullptr) {
            panel = new TaskPanel(*this, *occurrence.row, false, actualParent);
            panel->setTwin(twin);
            panels_.emplace_back(panel);
            panelByRow_[occurrence.row] = panel;
        }
        panels_.emplace_back(twin);
        panelOfOccurrence[index] = panel;
        twinOfOccurrence[index] = twin;
        if (panel != nullptr) {
            layOut(occurrence, *panel, *twin);
            // Tab reaches the appointments in the day's order, right after the timeline.
            if (previousInTabOrder != nullptr) {
                QWidget::setTabOrder(previousInTabOrder, panel);
            }
            previousInTabOrder = panel;
        } else {
            layOut(occurrence, *twin, *twin);
        }
    }
    TaskPanel* selected = panelOf(model_.selectedPanel);
    if (std::exchange(panelHadFocus_, false) && selected != nullptr) {
        selected->setFocus(Qt::OtherFocusReason);
    }
}

namespace {

// An appointment whose type is gone is drawn grey and without caption.
QColor colorOf(const EventDataRow& row) {
    const EventType* type = row.event != nullptr ? row.event->type : nullptr;
    return type != nullptr ? colorFromStored(type->color) : QColor(Qt::gray);
}

// The caption's type name: none when the type is gone.
std::string shownTypeName(const EventDataRow& row) {
    const EventType* type = row.event != nullptr ? row.event->type : nullptr;
    return type != nullptr ? type->name : std::string();
}

QString typeCaptionOf(const EventDataRow& row) {
    return QString::fromStdString(shownTypeName(row));
}

// The type's name and, after it, the first line of the occurrence's comment, so that two
// appointments of one type can be told apart: "Meeting · Call with Anna".
QString captionOf(const EventDataRow& row) {
    return QString::fromStdString(occurrenceCaption(shownTypeName(row), row.comment));
}

}  // namespace

void DayView::layOut(const PlacedOccurrence& occurrence, TaskPanel& panel, TaskPanel& twin) const {
    const EventDataRow& row = *occurrence.row;
    const QColor color = colorOf(row);
    twin.setAppearance(color, typeCaptionOf(row));
    placePanel(twin);
    twin.show();
    if (&panel != &twin) {
        panel.setAppearance(color, captionOf(row));
        placePanel(panel);
        panel.show();
    }
}

int DayView::columnTopOf(const TaskPanel& panel) const {
    const EventDataRow& row = panel.row();
    const TimelineColumn column =
        panel.isPlanned() ? TimelineColumn::planned : TimelineColumn::actual;
    const int index = placement_.indexOf(row);
    const int parent =
        index < 0 ? -1 : placement_.occurrences()[static_cast<std::size_t>(index)].parent;
    return placement_.getParentTop(parent, column) + (panel.isPlanned() ? row.plannedTop : row.top);
}

void DayView::placePanel(TaskPanel& panel) const {
    const EventDataRow& row = panel.row();
    const int index = placement_.indexOf(row);
    const int depth =
        index < 0 ? 0 : placement_.occurrences()[static_cast<std::size_t>(index)].depth;
    // Measured from the column, so that a sub-appointment's edges fall on the same screen
    // pixels as the times beside it in the ruler.
    const int top = columnTopOf(panel);
    const int parentTop = top - (panel.isPlanned() ? row.plannedTop : row.top);
    const int height = panel.isPlanned() ? row.plannedHeight : row.height;
    const int screenTop = scale_.toScreen(top);
    panel.setGeometry(kPanelIndent, screenTop - scale_.toScreen(parentTop), panelWidth(depth),
                      scale_.toScreen(top + height) - screenTop);
}

int DayView::columnYOf(const TaskPanel& panel, int screenY) const {
    const int top = columnTopOf(panel);
    return scale_.toColumn(scale_.toScreen(top) + screenY) - top;
}

void DayView::setScale(TimelineScale scale) {
    scale_ = scale;
    for (const QPointer<TaskPanel>& panel : panels_) {
        if (panel) {
            placePanel(*panel);
        }
    }
}

void DayView::selectPanel(EventDataRow* row) {
    TaskPanel* previous = panelOf(model_.selectedPanel);
    model_.selectedPanel = row;
    if (previous != nullptr) {
        previous->repaint();
    }
    if (TaskPanel* selected = panelOf(row)) {
        selected->repaint();
    }
}

TaskPanel* DayView::panelOf(const EventDataRow* row) const {
    const auto found = panelByRow_.find(row);
    return found == panelByRow_.end() ? nullptr : found->second;
}

void DayView::panelClicked(TaskPanel& panel) {
    selectPanel(&panel.row());
    emit selectionChanged();
}

void DayView::panelDoubleClicked(TaskPanel& panel) {
    selectPanel(&panel.row());
    emit selectionChanged();
    emit editEventRequested();
}

void DayView::panelHovered(TaskPanel& panel) {
    model_.hoverPanel = &panel.row();
}

void DayView::panelFocused(TaskPanel& panel) {
    if (model_.selectedPanel != &panel.row()) {
        panelClicked(panel);
    }
}

void DayView::setApplyToFuture(std::function<bool()> applyToFuture) {
    applyToFuture_ = std::move(applyToFuture);
}

void DayView::setSnapToFiveMinutes(std::function<bool()> snapToFiveMinutes) {
    snapToFiveMinutes_ = std::move(snapToFiveMinutes);
}

ApplyStep DayView::applyStepFor(EventDataRow& row) {
    return [this, &row] { showChange(applyChanges(model_, placement_, row, applyToFuture_())); };
}

void DayView::changeSelectedComment(const std::string& comment) {
    if (model_.selectedPanel == nullptr) {
        return;
    }
    if (!history_.stepOpen()) {
        beginDayStep("Edit Comment of", model_.selectedPanel);
    }
    showChange(changeComment(model_, placement_, *model_.selectedPanel, comment));
    if (TaskPanel* panel = panelOf(model_.selectedPanel)) {
        panel->setAppearance(colorOf(*model_.selectedPanel), captionOf(*model_.selectedPanel));
    }
}

namespace {

std::string typeNameOf(const EventDataRow& row) {
    return row.event != nullptr && row.event->type != nullptr ? row.event->type->name
                                                              : row.typeName;
}

}  // namespace

void DayView::beginDayStep(const std::string& action, const EventDataRow* row) {
    history_.beginStep(row != nullptr ? action + " " + typeNameOf(*row) : action,
                       dayEditScope(model_, placement_),
                       {model_.selectedDate, row != nullptr ? row->id : -1});
}

void DayView::showChange(const ChangeResult& result) {
    // The edited panel and the sub-appointments that moved with it show their new places.
    for (EventDataRow* applied : result.applied) {
        if (TaskPanel* panel = panelOf(applied)) {
            placePanel(*panel);
            placePanel(*panel->twin());
            panel->raise();
            panel->twin()->updateHint();
        }
    }
    if (result.chartUpdate != ChartUpdate::none) {
        emit chartChanged(result.chartUpdate);
    }
    if (result.refreshAppointmentPage) {
        emit appointmentPageChanged();
    }
}

void DayView::show(const DragResult& result, TaskPanel* panel) {
    if (panel == nullptr) {
        return;
    }
    if (result.cursor == DragCursor::verticalResize) {
        panel->setCursor(Qt::SizeVerCursor);
    } else if (result.cursor == DragCursor::normal) {
        panel->unsetCursor();
    }
    if (result.greyFrame) {
        panel->setBorderColor(QColor(0x80, 0x80, 0x80));
    }
    if (result.setHint) {
        panel->updateHint();
    }
    if (result.refreshAppointmentPage) {
        emit appointmentPageChanged();
    }
}

void DayView::panelPressed(TaskPanel& panel, int y) {
    const TimelineColumn column =
        panel.isPlanned() ? TimelineColumn::planned : TimelineColumn::actual;
    draggedRow_ = &panel.row();
    show(dragPress(drag_, panel.row(), column, columnYOf(panel, y)), &panel);
    drag_.snapToFiveMinutes = snapToFiveMinutes_();
    if (drag_.dragging()) {
        beginDayStep(drag_.moving ? "Move" : "Resize", &panel.row());
    }
}

void DayView::panelMoved(TaskPanel& panel, int y, bool leftButtonHeld) {
    if (drag_.dragging() && !leftButtonHeld) {
        // The release went elsewhere (an alarm's message or a menu took the mouse): the drag
        // ends where it stands, before this movement can edit anything.
        if (TaskPanel* pressed = panelOf(draggedRow_)) {
            panelReleased(*pressed);
        }
        drag_ = {};
    }
    const TimelineColumn column =
        panel.isPlanned() ? TimelineColumn::planned : TimelineColumn::actual;
    if (!panel.isPlanned()) {
        panelHovered(panel);
    }
    show(dragMove(drag_, panel.row(), column, placement_, columnYOf(panel, y),
                  applyStepFor(panel.row())),
         &panel);
}

void DayView::panelReleased(TaskPanel& panel) {
    const TimelineColumn column =
        panel.isPlanned() ? TimelineColumn::planned : TimelineColumn::actual;
    const bool wasDragging = drag_.dragging();
    show(dragRelease(drag_, panel.row(), column, placement_, applyStepFor(panel.row())), &panel);
    draggedRow_ = nullptr;
    if (wasDragging) {
        history_.endStep();
    }
}

void DayView::setDraggedTypeId(DraggedTypeId draggedTypeId) {
    draggedTypeId_ = std::move(draggedTypeId);
}

namespace {

DropTarget dropTargetOf(const TaskPanel* panel) {
    if (panel == nullptr) {
        return {};
    }
    return {panel->isPlanned() ? TimelineColumn::planned : TimelineColumn::actual, &panel->row()};
}

}  // namespace

bool DayView::acceptsDropOn(const TaskPanel* panel, const QMimeData& data) const {
    const std::optional<int> typeId = draggedTypeId_(data);
    return typeId && acceptsDrop(model_, *typeId, dropTargetOf(panel));
}

void DayView::dropOn(TaskPanel* panel, const QMimeData& data, int y) {
    const std::optional<int> typeId = draggedTypeId_(data);
    if (!typeId) {
        return;
    }
    const DropTarget target = dropTargetOf(panel);
    const int columnY = panel != nullptr ? columnYOf(*panel, y) : scale_.toColumn(y);
    const EventType* type = model_.findType(*typeId);
    beginDayStep("Add " + (type != nullptr ? type->name : std::string()), nullptr);
    // The drop builds the day anew, so the panels go first: the target may be one of them.
    clearPanels();
    DropResult result;
    try {
        result = dropAppointment(model_, placement_, *typeId, target, columnY, applyToFuture_());
    } catch (...) {
        history_.endStep();
        createPanels();
        throw;
    }
    if (result.row != nullptr) {
        history_.setStepRow(result.row->id);
    }
    history_.endStep();
    createPanels();
    if (!result.refusal.empty()) {
        emit dropRefused(QString::fromStdString(result.refusal));
        return;
    }
    if (result.created) {
        emit dayRebuilt();
    }
    if (result.refreshAppointmentPage) {
        emit appointmentPageChanged();
    }
}

bool DayView::onFreeSpace(QPoint at) const {
    return actualColumn_.childAt(at) == nullptr;
}

bool DayView::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &actualColumn_) {
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
        // A drag that an occurrence panel refused comes on to the column: the column takes only
        // what is dropped on its free space.
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            drag->setAccepted(onFreeSpace(drag->position().toPoint()) &&
                              acceptsDropOn(nullptr, *drag->mimeData()));
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (onFreeSpace(drop->position().toPoint()) &&
                acceptsDropOn(nullptr, *drop->mimeData())) {
                drop->acceptProposedAction();
                dropOn(nullptr, *drop->mimeData(), static_cast<int>(drop->position().y()));
            }
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
    }
}

void DayView::deleteOccurrenceOf(EventDataRow& row) {
    beginDayStep("Delete", &row);
    clearPanels();  // the rows of the panels may be destroyed
    DeleteResult result;
    try {
        result = deleteOccurrence(model_, placement_, row, applyToFuture_());
    } catch (...) {
        history_.endStep();
        createPanels();  // a refused deletion changed nothing
        throw;
    }
    history_.endStep();
    createPanels();
    emit dayRebuilt();
    if (result.refreshAppointmentPage) {
        emit appointmentPageChanged();
    }
}

void DayView::shiftSelected(ShiftCommand command) {
    runOnSelected("Shift", [this, command](EventDataRow& row) {
        return shiftOccurrence(command, row, placement_, applyStepFor(row), shiftStep_);
    });
}

void DayView::setSelectedTime(OccurrenceEdge edge, int minuteOfDay) {
    runOnSelected(edge == OccurrenceEdge::start ? "Change Start of" : "Change End of",
                  [this, edge, minuteOfDay](EventDataRow& row) {
                      return setOccurrenceTime(edge, minuteOfDay, row, placement_,
                                               applyStepFor(row));
                  });
}

void DayView::runOnSelected(const std::string& action,
                            const std::function<DragResult(EventDataRow&)>& edit) {
    EventDataRow* row = model_.selectedPanel;
    if (row == nullptr || placement_.indexOf(*row) < 0) {
        return;
    }
    model_.hoverPanel = row;
    beginDayStep(action, row);
    const DragResult result = edit(*row);
    history_.endStep();
    show(result, panelOf(row));
}

}  // namespace kalvo
