#pragma once

#include "base/Calendar.h"

namespace kalvo {

// The timeline columns: 24 pixels an hour, so a column of 576 pixels is one day and a pixel
// is 2.5 minutes.
inline constexpr int kPixelsPerHour = 24;
inline constexpr int kColumnHeight = 24 * kPixelsPerHour;
inline constexpr int kColumnWidth = 185;
// Each nesting level is indented this much inside its parent and ends at the parent's right
// edge.
inline constexpr int kPanelIndent = 20;

// The width of an occurrence panel and of its planned twin at a nesting depth (0: top level).
int panelWidth(int depth);

// Minutes to pixels and back, ties rounded to the even integer: 1 pixel is 2 minutes,
// 3 pixels 8, 217 pixels 542 (09:02). Every time that goes through a panel lands on this grid.
int timeToPixels(int minutes);
int pixelsToTime(int pixels);

// The zoom of the timeline: how many screen pixels an hour takes, from the described 24 up to
// 240. Every position of the day (a panel's top and height, a sub-appointment's offset, a drag's
// step) stays in column pixels of 2.5 minutes at every zoom; only the drawing and the mouse are
// scaled, so zooming never changes a time. A column pixel starts at the screen pixel that holds
// its top edge, and a screen pixel belongs to the column pixel it starts in.
class TimelineScale {
public:
    static constexpr int smallest = kPixelsPerHour;
    static constexpr int largest = 240;

    // A zoom outside the range is brought into it.
    explicit TimelineScale(int pixelsPerHour = kPixelsPerHour);

    int pixelsPerHour() const { return pixelsPerHour_; }
    // The screen offset of a column position: its top edge, rounded up.
    int toScreen(int columnPixels) const;
    // The column position that holds a screen offset, rounded down (also above the column).
    int toColumn(int screenPixels) const;
    int columnHeight() const { return toScreen(kColumnHeight); }

    // The next step of the zoom ladder (24, 30, 36, 48, 60, 72, 96, 120, 144, 180, 240) above
    // or below this zoom; at an end of the range the zoom stays.
    TimelineScale zoomedIn() const;
    TimelineScale zoomedOut() const;
    // The zoom at which the whole day fills `screenHeight` pixels, but not less than this one.
    TimelineScale filling(int screenHeight) const;

    friend bool operator==(TimelineScale, TimelineScale) = default;

private:
    int pixelsPerHour_;
};

struct PanelTimes {
    DateTime startTime = 0;
    DateTime endTime = 0;
};

// The times of a panel at `top` and `height` inside a parent whose own top lies `parentTop`
// pixels down the column (0 for a top-level panel), on the day of `startDate`. The start is
// the panel's minutes plus the parent's, each rounded on its own; the end is rounded once
// from the column, so a bottom edge at 576 ends at 00:00 of the following day.
PanelTimes timeByPosition(int top, int height, int parentTop, DateTime startDate);

}  // namespace kalvo
