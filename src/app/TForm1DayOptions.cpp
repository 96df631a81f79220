// How the day is worked with: the snapping of drags, the timeline's zoom and the step of a
// shift, each a View command remembered in the settings as soon as it changes.
#include <QActionGroup>
#include <QMenu>
#include <QScrollArea>
#include <QSignalBlocker>

#include "app/TForm1.h"
#include "day/widgets/DayView.h"
#include "day/widgets/OtherCalendarsLane.h"
#include "day/widgets/TaskPanel.h"
#include "day/widgets/TimelineArea.h"

namespace kalvo {
namespace {

struct StepChoice {
    ShiftStep step;
    int minutes;  // as stored: 0 for one timeline pixel
    const char* name;
    const char* caption;
};

constexpr StepChoice kStepChoices[] = {
    {ShiftStep::onePixel, 0, "actionShiftStepPixel", "One &Pixel (2 or 3 Minutes)"},
    {ShiftStep::fiveMinutes, 5, "actionShiftStepFiveMinutes", "&5 Minutes"},
    {ShiftStep::fifteenMinutes, 15, "actionShiftStepFifteenMinutes", "&15 Minutes"},
};

}  // namespace

void TForm1::createDayViewActions() {
    actionSnapToFiveMinutes = new QAction(QStringLiteral("&Snap Drags to 5 Minutes"), this);
    actionSnapToFiveMinutes->setObjectName(QStringLiteral("actionSnapToFiveMinutes"));
    actionSnapToFiveMinutes->setCheckable(true);
    connect(actionSnapToFiveMinutes, &QAction::toggled, this, [this](bool snap) {
        programmSettings_.setSnapToFiveMinutes(snap);
        programmSettings_.saveDayViewOptions(settingsStore_);
    });

    const auto zoomCommand = [this](const char* name, const char* caption,
                                    QKeySequence::StandardKey key, void (TimelineArea::*zoom)()) {
        auto* action = new QAction(QString::fromUtf8(caption), this);
        action->setObjectName(QString::fromUtf8(name));
        action->setShortcuts(key);
        connect(action, &QAction::triggered, this, [this, zoom] {
            (timelineArea_->*zoom)();
            revealSelected();
        });
        addAction(action);
        return action;
    };
    actionZoomIn =
        zoomCommand("actionZoomIn", "Zoom &In", QKeySequence::ZoomIn, &TimelineArea::zoomIn);
    actionZoomOut =
        zoomCommand("actionZoomOut", "Zoom &Out", QKeySequence::ZoomOut, &TimelineArea::zoomOut);
    actionResetZoom = zoomCommand("actionResetZoom", "&Reset Zoom", {}, &TimelineArea::resetZoom);
    actionResetZoom->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));

    auto* steps = new QActionGroup(this);
    for (const StepChoice& choice : kStepChoices) {
        auto* action = new QAction(QString::fromUtf8(choice.caption), steps);
        action->setObjectName(QString::fromUtf8(choice.name));
        action->setCheckable(true);
        connect(action, &QAction::toggled, this, [this, choice](bool chosen) {
            if (!chosen) {
                return;
            }
            dayView_->setShiftStep(choice.step);
            programmSettings_.setShiftStepMinutes(choice.minutes);
            programmSettings_.saveDayViewOptions(settingsStore_);
        });
        shiftStepActions_.push_back(action);
    }
}

void TForm1::addDayViewMenu(QMenu& view) {
    view.addActions({actionZoomIn, actionZoomOut, actionResetZoom});
    view.addSeparator();
    view.addAction(actionSnapToFiveMinutes);
    QMenu* steps = view.addMenu(QStringLiteral("S&hift Step"));
    steps->setObjectName(QStringLiteral("ShiftStep1"));
    steps->addActions(shiftStepActions_);
}

void TForm1::showDayViewOptions() {
    // As stored: nothing to save again.
    const QSignalBlocker quiet(actionSnapToFiveMinutes);
    actionSnapToFiveMinutes->setChecked(programmSettings_.getSnapToFiveMinutes());
    // An unknown stored step is the described one pixel.
    QAction* chosenStep = shiftStepActions_.front();
    for (std::size_t index = 0; index < std::size(kStepChoices); ++index) {
        if (kStepChoices[index].minutes == programmSettings_.getShiftStepMinutes()) {
            chosenStep = shiftStepActions_[static_cast<qsizetype>(index)];
            dayView_->setShiftStep(kStepChoices[index].step);
        }
    }
    {
        const QSignalBlocker quietStep(chosenStep);
        chosenStep->setChecked(true);
    }
    dayView_->setScale(timelineArea_->scale());
    connect(timelineArea_, &TimelineArea::scaleChanged, dayView_.get(), &DayView::setScale);
    connect(timelineArea_, &TimelineArea::scaleChanged, otherCalendars_.get(),
            &OtherCalendarsLane::setScale);
    timelineArea_->setChosenScale(TimelineScale(programmSettings_.getPixelsPerHour()));
    connect(timelineArea_, &TimelineArea::chosenScaleChanged, this, [this](TimelineScale chosen) {
        programmSettings_.setPixelsPerHour(chosen.pixelsPerHour());
        programmSettings_.saveDayViewOptions(settingsStore_);
    });
}

}  // namespace kalvo
