#pragma once

#include <QObject>
#include <QPixmap>
#include <vector>

#include "day/Timeline.h"

class QLabel;
class QScrollArea;
class QWidget;

namespace kalvo {

// The scrolling part of the day: the hour labels, the two rulers and the Actual and Planned
// columns, drawn at the timeline's zoom. The hours take the height the scroll area gives them,
// and never less than the zoom the user chose; Ctrl+wheel over the timeline zooms about the
// mouse, the zoom commands about the middle of what is shown.
class TimelineArea : public QObject {
    Q_OBJECT

public:
    // Fills `scrollArea` with the timeline; the controls keep their component names.
    explicit TimelineArea(QScrollArea& scrollArea);

    QWidget& actualColumn() const { return *actualColumn_; }
    QWidget& plannedColumn() const { return *plannedColumn_; }

    // The zoom the user chose (remembered in the settings), and the one drawn: the chosen one
    // or, when the hours fill more room at a larger one, that.
    TimelineScale chosenScale() const { return chosen_; }
    TimelineScale scale() const { return shown_; }
    void setChosenScale(TimelineScale chosen);

    // One step of the zoom ladder from the zoom drawn, about the middle of the shown part.
    void zoomIn();
    void zoomOut();
    // Back to the described 24 pixels an hour, or what fills the scroll area.
    void resetZoom();

    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // The zoom the user chose changed, to be remembered.
    void chosenScaleChanged(kalvo::TimelineScale chosen);
    // The zoom drawn changed: the panels are to be laid out at it.
    void scaleChanged(kalvo::TimelineScale shown);

private:
    // Chooses `chosen` and keeps the time at `anchorY` (a y in the scroll area's viewport) where
    // it is on screen.
    void zoomTo(TimelineScale chosen, int anchorY);
    // Draws the timeline at the zoom that `chosen_` and the viewport's height give.
    void showScale(int anchorY);

    QScrollArea& scrollArea_;
    QWidget* content_ = nullptr;
    QWidget* actualColumn_ = nullptr;
    QWidget* plannedColumn_ = nullptr;
    std::vector<QLabel*> hourLabels_;
    std::vector<QLabel*> rulers_;
    TimelineScale chosen_;
    TimelineScale shown_;
};

}  // namespace kalvo
