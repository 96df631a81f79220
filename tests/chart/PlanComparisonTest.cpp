#include "chart/PlanComparison.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "day/ApplyChanges.h"
#include "day/DateFunctions.h"
#include "day/DayModel.h"
#include "day/DayPlacement.h"
#include "day/Occurrences.h"

namespace kalvo {
namespace {

using test::at;

DateTime march(int day) {
    return test::dateOf(2024, 3, day);
}

// A planner model of March 2024 with types, compared over a range of its days.
struct PlanModel {
    EventType& type(const std::string& name) {
        auto type = std::make_unique<EventType>();
        type->id = static_cast<std::int32_t>(day.model.types.size());
        type->name = name;
        return *day.model.types.emplace_back(std::move(type));
    }

    // A new appointment from `firstDay` to `lastDay` (0: no end), planned as it is.
    EventDataRow& series(Event* parent, int firstDay, int lastDay, int startMinute = 540,
                         int endMinute = 570) {
        return day.add(parent, march(firstDay), lastDay == 0 ? 0 : march(lastDay), startMinute,
                       endMinute);
    }

    void show(int dayOfMarch) {
        day.model.selectedDate = march(dayOfMarch);
        static_cast<void>(buildDay(day.model, placement));
    }

    EventDataRow& typed(EventDataRow& row, EventType& type) {
        row.event->type = &type;
        row.event->typeId = type.id;
        return row;
    }

    // The occurrence of one day: planned as given, done from actualStart to actualEnd.
    EventDataRow& occurrence(EventType& type, int dayOfMarch, int plannedStart, int plannedEnd,
                             int actualStart, int actualEnd, Event* parent = nullptr) {
        EventDataRow& row =
            typed(series(parent, dayOfMarch, dayOfMarch, plannedStart, plannedEnd), type);
        row.startTime = at(march(dayOfMarch), actualStart);
        row.endTime = at(march(dayOfMarch), actualEnd);
        return row;
    }

    test::DayModel day;
    DayPlacement placement;
};

std::string clock(int minutes) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", minutes / 60, minutes % 60);
    return text;
}

// "5 Work 09:00–09:30 → 10:00–10:30 (60)": the day of March, the type, planned → done, size.
std::string deviationText(const OccurrencePlan& occurrence) {
    const std::string done =
        occurrence.skipped ? std::string("skipped")
                           : clock(occurrence.actualStart) + "–" + clock(occurrence.actualEnd);
    return std::to_string(occurrence.day - dayNumber(march(1)) + 1) + " " +
           occurrence.row->event->type->name + " " + clock(occurrence.plannedStart) + "–" +
           clock(occurrence.plannedEnd) + " → " + done + " (" +
           std::to_string(occurrence.deviationSize()) + ")";
}

TEST(PlanComparison, TypesHoursOnTimeShareAndDeviationsOfWorkedExamples) {
    struct Case {
        const char* what;
        std::function<void(PlanModel&)> build;
        int from;  // days of March
        int to;
        SubTypes subTypes;
        std::vector<PlanTableRow> table;
        const char* onTime;  // started on time / occurrences
        std::vector<std::string> deviations;
    };
    const auto workWithACall = [](PlanModel& t) {
        EventType& work = t.type("Work");
        EventType& call = t.type("Call");
        EventDataRow& morning = t.occurrence(work, 4, 9 * 60, 12 * 60, 9 * 60, 12 * 60);
        t.occurrence(call, 4, 10 * 60, 10 * 60 + 30, 10 * 60, 10 * 60 + 45, morning.event);
    };
    const Case cases[] = {
        {"a day run to plan",
         [](PlanModel& t) { t.occurrence(t.type("Work"), 4, 9 * 60, 17 * 60, 9 * 60, 17 * 60); },
         4,
         4,
         SubTypes::folded,
         {{"Work", "8.00", "8.00", "0.00", "100"}},
         "1/1",
         {}},
        {"a day that overran, and a type with nothing planned",
         [](PlanModel& t) {
             t.occurrence(t.type("Work"), 4, 9 * 60, 12 * 60, 9 * 60 + 10, 13 * 60);
             t.occurrence(t.type("Lunch"), 4, 13 * 60, 13 * 60, 13 * 60 + 5, 13 * 60 + 35);
         },
         4,
         4,
         SubTypes::folded,
         {{"Work", "3.00", "3.83", "0.83", "128"}, {"Lunch", "0.00", "0.50", "0.50", ""}},
         "1/2",
         {"4 Work 09:00–12:00 → 09:10–13:00 (60)", "4 Lunch 13:00–13:00 → 13:05–13:35 (35)"}},
        {"a deleted occurrence was planned and not done",
         [](PlanModel& t) {
             t.occurrence(t.type("Work"), 4, 9 * 60, 10 * 60, 9 * 60, 10 * 60).deleted = true;
             t.occurrence(t.type("Lunch"), 4, 12 * 60, 13 * 60, 12 * 60, 13 * 60);
         },
         4,
         4,
         SubTypes::folded,
         {{"Work", "1.00", "0.00", "-1.00", "0"}, {"Lunch", "1.00", "1.00", "0.00", "100"}},
         "1/2",
         {"4 Work 09:00–10:00 → skipped (60)"}},
        {"a series split by moving one day",
         [](PlanModel& t) {
             EventDataRow& gym = t.typed(t.series(nullptr, 1, 0), t.type("Gym"));
             t.show(5);
             t.day.model.hoverPanel = &gym;
             gym.top += 24;  // 09:00–09:30 to 10:00–10:30
             static_cast<void>(applyChanges(t.day.model, t.placement, gym, false));
         },
         4,
         6,
         SubTypes::folded,
         {{"Gym", "1.50", "1.50", "0.00", "100"}},
         "2/3",
         {"5 Gym 09:00–09:30 → 10:00–10:30 (60)"}},
        {"a sub-appointment folded into its parent's time",
         workWithACall,
         4,
         4,
         SubTypes::folded,
         {{"Work", "3.00", "3.00", "0.00", "100"}},
         "1/1",
         {}},
        {"a sub-appointment on a line of its own",
         workWithACall,
         4,
         4,
         SubTypes::shown,
         {{"Work", "3.00", "3.00", "0.00", "100"}, {"Call", "0.50", "0.75", "0.25", "150"}},
         "2/2",
         {"4 Call 10:00–10:30 → 10:00–10:45 (15)"}},
        {"a range before the occurrences",
         [](PlanModel& t) { t.occurrence(t.type("Work"), 4, 540, 600, 540, 600); },
         2,
         3,
         SubTypes::folded,
         {},
         "0/0",
         {}},
        {"an empty range",
         [](PlanModel& t) { t.occurrence(t.type("Work"), 4, 540, 600, 540, 600); },
         5,
         4,
         SubTypes::folded,
         {},
         "0/0",
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PlanModel t;
        c.build(t);
        collectChartPanels(t.day.model, march(c.from), march(c.to));
        const PlanComparison comparison = comparePlan(t.day.model, c.subTypes);
        EXPECT_EQ(planTable(comparison), c.table);
        EXPECT_EQ(
            std::to_string(comparison.startedOnTime) + "/" + std::to_string(comparison.occurrences),
            c.onTime);
        EXPECT_EQ(comparison.onTimeShare().has_value(), comparison.occurrences > 0);
        std::vector<std::string> deviations;
        for (const OccurrencePlan& occurrence : comparison.largestDeviations) {
            deviations.push_back(deviationText(occurrence));
        }
        EXPECT_EQ(deviations, c.deviations);
    }
}

// Only the largest deviations are kept, largest first, the earlier day first among equals.
TEST(PlanComparison, LargestDeviationsAreTheTopOfTheRange) {
    PlanModel t;
    EventType& work = t.type("Work");
    const int lateness[] = {3, 40, 0, 15, 40, 70, 1};
    for (int i = 0; i < 7; ++i) {
        t.occurrence(work, 4 + i, 9 * 60, 10 * 60, 9 * 60 + lateness[i], 10 * 60 + lateness[i]);
    }
    collectChartPanels(t.day.model, march(1), march(31));
    std::vector<std::string> largest;
    for (const OccurrencePlan& occurrence :
         comparePlan(t.day.model, SubTypes::folded, 4).largestDeviations) {
        largest.push_back(deviationText(occurrence));
    }
    EXPECT_EQ(largest, (std::vector<std::string>{"9 Work 09:00–10:00 → 10:10–11:10 (70)",
                                                 "5 Work 09:00–10:00 → 09:40–10:40 (40)",
                                                 "8 Work 09:00–10:00 → 09:40–10:40 (40)",
                                                 "7 Work 09:00–10:00 → 09:15–10:15 (15)"}));
}

}  // namespace
}  // namespace kalvo
