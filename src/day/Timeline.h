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
