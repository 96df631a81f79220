#include "chart/TimeSplit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "day/DateFunctions.h"
#include "day/DayModel.h"
#include "day/Occurrences.h"

namespace kalvo {
namespace {

using test::dateOf;

// A day model with types, as a load links them.
struct ChartModel : test::DayModel {
    EventType& type(const std::string& name, std::int32_t color) {
        auto type = std::make_unique<EventType>();
        type->id = static_cast<std::int32_t>(model.types.size());
        type->name = name;
        type->color = color;
        return *model.types.emplace_back(std::move(type));
    }

    EventDataRow& add(EventType& type, DateTime first, DateTime last, int startMinute,
                      int endMinute, Event* parent = nullptr) {
        EventDataRow& row = DayModel::add(parent, first, last, startMinute, endMinute);
        row.event->type = &type;
        row.event->typeId = type.id;
        return row;
    }

    std::vector<std::string> pie(DateTime from, DateTime to) {
        collectChartPanels(model, from, to);
        computeSlices(model);
        std::vector<std::string> marks;
        for (const PieSlice& slice : pieSlices(model.chartSlices, from, to)) {
            marks.push_back(markText(slice) + " #" + std::to_string(slice.color));
        }
        return marks;
    }
};

using Marks = std::vector<std::string>;
constexpr std::int32_t kWork = 0xFF0000;
constexpr std::int32_t kLunch = 0x00FFFF;
const std::string notSpecified = " #" + std::to_string(notSpecifiedColor);

TEST(TimeSplitTest, SlicesOfTheWorkedDays) {
    const DateTime monday = dateOf(2004, 7, 12);
    struct Case {
        const char* what;
        void (*build)(ChartModel&, DateTime day);
        DateTime from;
        DateTime to;
        Marks marks;
    };
    const auto workingDay = [](ChartModel& m, DateTime day) {
        EventType& work = m.type("Work", kWork);
        EventType& lunch = m.type("Lunch", kLunch);
        m.add(work, day, day, 9 * 60, 12 * 60);
        m.add(lunch, day, day, 12 * 60, 13 * 60);
        m.add(work, day, day, 13 * 60, 17 * 60);
    };
    const Case cases[] = {
        {"two appointments of one type and one of another",
         workingDay,
         monday,
         monday,
         {"Work 7.0 #16711680", "Lunch 1.0 #65535", "Not Specified 16.0" + notSpecified}},
        {"a sub-appointment is not counted, its type gets no slice",
         [](ChartModel& m, DateTime day) {
             EventType& work = m.type("Work", kWork);
             EventType& call = m.type("Call", 1);
             EventDataRow& morning = m.add(work, day, day, 9 * 60, 12 * 60);
             m.add(call, day, day, 10 * 60, 10 * 60 + 30, morning.event);
             m.add(m.type("Lunch", kLunch), day, day, 12 * 60, 13 * 60);
             m.add(work, day, day, 13 * 60, 17 * 60);
         },
         monday,
         monday,
         {"Work 7.0 #16711680", "Lunch 1.0 #65535", "Not Specified 16.0" + notSpecified}},
        {"a daily row counts on every day of the range",
         [](ChartModel& m, DateTime day) { m.add(m.type("Work", kWork), day, 0, 540, 1020); },
         monday,
         monday + 1,
         {"Work 16.0 #16711680", "Not Specified 32.0" + notSpecified}},
        {"an occurrence past midnight counts up to midnight",
         [](ChartModel& m, DateTime day) { m.add(m.type("Night", 7), day, day, 1380, 1500); },
         monday,
         monday,
         {"Night 1.0 #7", "Not Specified 23.0" + notSpecified}},
        {"zero-length occurrences give no slice",
         [](ChartModel& m, DateTime day) { m.add(m.type("Instant", 7), day, day, 600, 600); },
         monday,
         monday,
         {"Not Specified 24.0" + notSpecified}},
        {"negative hours are not drawn but leave more unspecified",
         [](ChartModel& m, DateTime day) {
             m.add(m.type("Work", kWork), day, day, 540, 1020);
             m.add(m.type("Backwards", 7), day, day, 720, 660);
         },
         monday,
         monday,
         {"Work 8.0 #16711680", "Not Specified 17.0" + notSpecified}},
        {"a full day leaves nothing unspecified",
         [](ChartModel& m, DateTime day) {
             m.add(m.type("Sleep", 1), day, day, 0, 1440);
             m.add(m.type("Overtime", 2), day, day, 0, 60);
         },
         monday,
         monday,
         {"Sleep 24.0 #1", "Overtime 1.0 #2"}},
        {"an end before the start draws nothing", workingDay, monday + 1, monday, {}},
        {"two types of one name give two slices",
         [](ChartModel& m, DateTime day) {
             m.add(m.type("Work", 1), day, day, 540, 600);
             m.add(m.type("Work", 2), day, day, 600, 630);
         },
         monday,
         monday,
         {"Work 1.0 #1", "Work 0.5 #2", "Not Specified 22.5" + notSpecified}},
        {"a deleted row is counted like any other",
         [](ChartModel& m, DateTime day) {
             m.add(m.type("Gone", 1), day, day, 540, 600).deleted = true;
         },
         monday,
         monday,
         {"Gone 1.0 #1", "Not Specified 23.0" + notSpecified}},
        {"a type's slice stands at its first entry, even an uncounted one",
         [](ChartModel& m, DateTime day) {
             EventType& call = m.type("Call", 1);
             EventDataRow& meeting = m.add(m.type("Meeting", 2), day, day, 540, 600);
             m.add(call, day, day, 545, 550, meeting.event);
             m.add(m.type("Lunch", 3), day, day, 720, 780);
             m.add(call, day, day, 900, 915);
         },
         monday,
         monday,
         {"Meeting 1.0 #2", "Call 0.3 #1", "Lunch 1.0 #3", "Not Specified 21.8" + notSpecified}},
        {"an appointment without a type is left unspecified",
         [](ChartModel& m, DateTime day) {
             m.add(m.type("Work", 1), day, day, 540, 600);
             m.DayModel::add(nullptr, day, day, 600, 720);
         },
         monday,
         monday,
         {"Work 1.0 #1", "Not Specified 23.0" + notSpecified}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ChartModel m;
        c.build(m, monday);
        EXPECT_EQ(m.pie(c.from, c.to), c.marks);
    }
}

// The slices as the chart was first described: every entry compared with every later one.
std::vector<ChartData> comparedSlices(const std::vector<EventDataRow*>& entries) {
    std::vector<ChartData> slices;
    std::vector<bool> counted(entries.size(), false);
    for (std::size_t q = 0; q < entries.size(); ++q) {
        const Event& r = *entries[q]->event;
        ChartData slice{0, r.type->name, r.type->color};
        for (std::size_t j = q; j < entries.size(); ++j) {
            const EventDataRow& s = *entries[j];
            if (s.event->typeId == r.typeId && !counted[j] && s.event->parent == nullptr) {
                counted[j] = true;
                slice.hours += static_cast<float>(durationMinutes(s.startTime, s.endTime));
            }
        }
        if (slice.hours != 0) {
            slice.hours /= 60;
            slices.push_back(slice);
        }
    }
    return slices;
}

TEST(TimeSplitTest, OnePassGivesTheSlicesOfComparingEveryPair) {
    std::mt19937 random(20041207);
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE(round);
        ChartModel m;
        for (int t = 0; t < 6; ++t) {
            m.type("T" + std::to_string(t), t);
        }
        const DateTime first = dateOf(2004, 7, 1);
        std::vector<EventDataRow*> parents;
        for (int a = 0; a < 40; ++a) {
            EventType& type = *m.model.types[random() % 6];
            const int start = static_cast<int>(random() % 1440);
            const int end = start + static_cast<int>(random() % 300) - 60;  // some backwards
            Event* parent = parents.empty() || random() % 3 != 0
                                ? nullptr
                                : parents[random() % parents.size()]->event;
            const DateTime day = first + static_cast<double>(random() % 20);
            EventDataRow& row = m.add(type, day, random() % 2 ? day + 9 : 0, start, end, parent);
            if (parent == nullptr) {
                parents.push_back(&row);
            }
        }
        collectChartPanels(m.model, first, first + 30);
        computeSlices(m.model);
        const std::vector<ChartData> expected = comparedSlices(m.model.chartPanels);
        ASSERT_EQ(m.model.chartSlices.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(m.model.chartSlices[i].label, expected[i].label);
            EXPECT_EQ(m.model.chartSlices[i].color, expected[i].color);
            EXPECT_EQ(std::memcmp(&m.model.chartSlices[i].hours, &expected[i].hours, sizeof(float)),
                      0)
                << m.model.chartSlices[i].hours << " vs " << expected[i].hours;
        }
    }
}

TEST(TimeSplitTest, NumbersAreRoundedAsTheirDecimalsRead) {
    struct Case {
        double value;
        int decimals;
        bool optionalDecimals;
        const char* text;
    };
    const Case cases[] = {
        {8, 1, false, "8.0"},
        {0.25, 1, false, "0.3"},                                // a quarter of an hour
        {static_cast<float>(21) / 60, 1, false, "0.4"},         // 0.35 as a float, a hair below
        {static_cast<float>(9) / 60, 1, false, "0.2"},          // 0.15 as a float, a hair above
        {24.0 - static_cast<float>(9) / 60, 1, false, "23.9"},  // 23.85 reached through a float
        {0.04, 1, false, "0.0"},
        {-0.25, 1, false, "-0.3"},
        {-0.04, 1, false, "0.0"},
        {1234.45, 1, false, "1234.5"},
        {static_cast<float>(5256021) / 60, 1, false, "87600.4"},  // ten years of minutes
        {2e12, 1, false, "2000000000000.0"},  // no span of hours, but never shown as nothing
        {75, 2, true, "75"},
        {100.0 / 3, 2, true, "33.33"},
        {12.5, 2, true, "12.5"},
        {0.005, 2, true, "0.01"},
        {0.004, 2, true, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(formatDecimal(c.value, c.decimals, c.optionalDecimals), c.text);
    }
    EXPECT_EQ(formatDecimal(8, 1, false, ","), "8,0");
}

TEST(TimeSplitTest, MarksLegendLinesAndReportHeader) {
    const PieSlice work{18, "Work", 0};
    const PieSlice notSpecifiedSlice{24, std::string(notSpecifiedLabel), notSpecifiedColor};
    EXPECT_EQ(markText(work), "Work 18.0");
    EXPECT_EQ(legendText(work, 24), "75 % Work");
    EXPECT_EQ(legendText(notSpecifiedSlice, 24), "100 % Not Specified");

    const DateTime day = dateOf(2004, 7, 12);
    EXPECT_EQ(reportHeaderText(day, day, "12/07/2004", "12/07/2004"), "Time Split for 12/07/2004");
    EXPECT_EQ(reportHeaderText(day, day + 2, "12/07/2004", "14/07/2004"),
              "Time Split from 12/07/2004 to 14/07/2004");
}

}  // namespace
}  // namespace kalvo
