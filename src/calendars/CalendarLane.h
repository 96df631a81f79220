#pragma once

#include <vector>

namespace kalvo {

// The lane beside the day's own appointments that shows other calendars' events: events that
// overlap lie side by side, each group of overlapping ones sharing the lane's width.

// An event's time on the shown day, in minutes (the end may be 1440).
struct LaneSpan {
    int start = 0;
    int end = 0;
};

// The column an event takes, counted from the left, and how many columns its group shares.
struct LanePlace {
    int column = 0;
    int columns = 1;

    friend bool operator==(const LanePlace&, const LanePlace&) = default;
};

// The places of `spans`, given in start order. Spans that only touch do not overlap; an empty
// span takes room as if it lasted a minute.
std::vector<LanePlace> layOutLane(const std::vector<LaneSpan>& spans);

}  // namespace kalvo
