#include "calendars/CalendarLane.h"

#include <algorithm>

namespace kalvo {

std::vector<LanePlace> layOutLane(const std::vector<LaneSpan>& spans) {
    std::vector<LanePlace> places(spans.size());
    std::vector<int> columnEnds;  // of the group being laid out
    std::size_t groupStart = 0;
    int groupEnd = -1;
    const auto closeGroup = [&](std::size_t until) {
        for (std::size_t i = groupStart; i < until; ++i) {
            places[i].columns = static_cast<int>(columnEnds.size());
        }
        columnEnds.clear();
        groupStart = until;
    };
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const int start = spans[i].start;
        const int end = std::max(spans[i].end, start + 1);
        if (start >= groupEnd) {
            closeGroup(i);
        }
        // The first column free at the start, else a new one.
        const auto free = std::find_if(columnEnds.begin(), columnEnds.end(),
                                       [start](int columnEnd) { return columnEnd <= start; });
        if (free != columnEnds.end()) {
            *free = end;
            places[i].column = static_cast<int>(free - columnEnds.begin());
        } else {
            places[i].column = static_cast<int>(columnEnds.size());
            columnEnds.push_back(end);
        }
        groupEnd = std::max(groupEnd, end);
    }
    closeGroup(spans.size());
    return places;
}

}  // namespace kalvo
