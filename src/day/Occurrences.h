#pragma once

#include <cstdint>
#include <vector>

#include "model/Model.h"

namespace kalvo {

// The row of `event` that applies on the date of `date`, or none: the first of its rows, in
// list order, whose range covers the date (an end with day number 0 is open) and that does not
// exclude weekends when the date is a Saturday or Sunday. A deleted row still covers its days
// and so hides the later rows of the appointment there.
EventDataRow* findOccurrence(const Event& event, DateTime date);

// Walks the occurrences of `date` in day order: each appointment of `roots` in order, and
// under an occurrence the occurrences of its sub-appointments, depth-first, parent before its
// children. A sub-appointment whose parent has no occurrence is not visited, whatever its own
// rows say.
//
// visit(row, parentToken) is called for each occurrence with the token its parent's visit
// returned (-1 at the top level) and returns the token for its own sub-appointments.
// afterTopLevel(row) follows each top-level lookup, found or not (row may be null), before
// that appointment's sub-appointments are visited.
template <typename Visit, typename AfterTopLevel>
void walkDay(const std::vector<Event*>& roots, DateTime date, Visit&& visit,
             AfterTopLevel&& afterTopLevel) {
    // An explicit stack: a hand-edited file may nest appointments deeper than the call stack.
    struct Frame {
        const Event* event;
        int token;
        std::size_t nextChild;
    };
    std::vector<Frame> stack;
    for (const Event* root : roots) {
        EventDataRow* row = findOccurrence(*root, date);
        const int token = row != nullptr ? visit(*row, -1) : -1;
        afterTopLevel(row);
        if (row == nullptr) {
            continue;
        }
        stack.push_back({root, token, 0});
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (frame.nextChild == frame.event->children.size()) {
                stack.pop_back();
                continue;
            }
            const Event* child = frame.event->children[frame.nextChild++];
            const int parentToken = frame.token;
            if (EventDataRow* childRow = findOccurrence(*child, date)) {
                stack.push_back({child, visit(*childRow, parentToken), 0});
            }
        }
    }
}

// The chart's date loop: empties model.chartPanels and model.chartSlices, then appends the
// occurrences of every day from the day of `from` to the day of `to`, both included, each day's
// in day order (nothing when `to` is on an earlier day), with the day of each in
// model.chartPanelDays. Deleted rows are collected like any other; nothing is placed and the
// selection is not touched.
void collectChartPanels(Model& model, DateTime from, DateTime to);

// The days from the day of `first` to the day of `last`, both included, on which the timeline
// shows an appointment: an occurrence of a top-level appointment that is not deleted. In day
// order, as day numbers; for the calendar's days in bold.
std::vector<std::int64_t> daysWithAppointments(const Model& model, DateTime first, DateTime last);

}  // namespace kalvo
