#include "calendars/ImportAppointments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Calendar.h"
#include "calendars/IcalendarText.h"
#include "day/DateFunctions.h"
#include "db/Database.h"
#include "export/SpreadsheetExport.h"
#include "support/DatabaseFiles.h"

namespace kalvo {
namespace {

using test::calendar;
using test::day;

std::string event(const std::string& uid, const std::string& start, const std::string& end,
                  const std::string& more = {}) {
    return "BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTART:" + start + "\r\nDTEND:" + end + "\r\n" +
           more + "END:VEVENT\r\n";
}

// A database with the types Work, Work/Meeting and Lunch and no appointments.
class ImportAppointmentsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeDatabase(folder.path(),
                            "<ROW Id=\"0\" Name=\"Work\"/><ROW Id=\"1\" ParentTypeId=\"0\" "
                            "Name=\"Meeting\"/><ROW Id=\"2\" Name=\"Lunch\"/>",
                            "", "");
        Database database(folder.path().string() + "/");
        ASSERT_TRUE(database.openDatabase("", [](const std::string&) {}));
        model = database.readModel();
    }

    ImportPlan plan(const std::string& body, const ImportOptions& options = {}) {
        const CalendarFile file(calendar(body), "");
        return planImport(model, file, options);
    }

    // Plans and adds; the plan must not be refused.
    ImportPlan import(const std::string& body, const ImportOptions& options = {}) {
        const CalendarFile file(calendar(body), "");
        ImportPlan planned = planImport(model, file, options);
        EXPECT_EQ(planned.refusal, "");
        applyImport(model, planned);
        return planned;
    }

    // The occurrences of the days as the timeline shows them: "date type start-end planned
    // comment".
    std::vector<std::string> shown(std::int64_t first, std::int64_t last) {
        std::vector<std::string> lines;
        Model copy = copyOf(model);
        for (const ExportedOccurrence& occurrence :
             exportedOccurrences(copy, static_cast<DateTime>(first), static_cast<DateTime>(last))) {
            std::string path;
            for (const std::string& name : occurrence.typePath) {
                path += (path.empty() ? "" : "/") + name;
            }
            lines.push_back(std::to_string(dayNumber(occurrence.date) - first) + " " + path + " " +
                            std::to_string(occurrence.actualStart) + "-" +
                            std::to_string(occurrence.actualEnd) + " " +
                            std::to_string(occurrence.plannedStart) + "-" +
                            std::to_string(occurrence.plannedEnd) + " " + occurrence.row->comment);
        }
        return lines;
    }

    test::TemporaryFolder folder;
    Model model;
};

// Weekdays from Thursday 10 to Wednesday 16 December, Friday taken out and Tuesday moved.
TEST_F(ImportAppointmentsTest, ADailySeriesKeepsItsDaysItsExceptionsAndItsPlan) {
    const ImportPlan added = import(
        event("s", "20261210T090000", "20261210T100000",
              "CATEGORIES:Work\r\nDESCRIPTION:Stand-up\\nthen mail\r\n"
              "RRULE:FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR;UNTIL=20261216\r\n"
              "EXDATE:20261211T090000\r\nX-KALVO-PLANNED-START:20261210T083000\r\n"
              "X-KALVO-PLANNED-END:20261210T093000\r\n") +
        "BEGIN:VEVENT\r\nUID:s\r\nRECURRENCE-ID:20261215T090000\r\nDTSTART:20261215T110000\r\n"
        "DTEND:20261215T113000\r\nDESCRIPTION:moved\r\nEND:VEVENT\r\n");
    EXPECT_EQ(added.additions(), "1 appointment (1 daily series)");
    const std::string comment = "Stand-up\r\nthen mail";
    EXPECT_EQ(shown(day(2026, 12, 10), day(2026, 12, 17)),
              (std::vector<std::string>{
                  "0 Work 540-600 510-570 " + comment, "4 Work 540-600 510-570 " + comment,
                  "5 Work 660-690 660-690 moved", "6 Work 540-600 510-570 " + comment}));
    ASSERT_EQ(model.events.size(), 1U);
    EXPECT_TRUE(model.events[0]->excludeWeekends);
}

TEST_F(ImportAppointmentsTest, TheTypeIsTheCategoriesPathElseTheChosenOneElseMadeElseRefused) {
    struct Case {
        const char* what;
        std::string categories;
        ImportOptions options;
        std::string refusal;  // the start of it; empty: added
        std::string shownType;
        std::vector<std::vector<std::string>> made;
    };
    const Case cases[] = {
        {"a path of the database", "CATEGORIES:Work,Meeting\r\n", {}, "", "Work/Meeting", {}},
        {"a path it lacks",
         "CATEGORIES:Sport,Gym\r\n",
         {},
         "Line 4: the event \"Gym\" names the type Sport/Gym, which the database lacks",
         "",
         {}},
        {"no categories", "", {}, "Line 4: the event \"Gym\" names no type", "", {}},
        {"no categories, a type chosen", "", {.fallbackTypeId = 2}, "", "Lunch", {}},
        {"a path it lacks, a type chosen",
         "CATEGORIES:Sport,Gym\r\n",
         {.fallbackTypeId = 2},
         "",
         "Lunch",
         {}},
        {"a path it lacks, made",
         "CATEGORIES:Sport,Gym\r\n",
         {.makeTypes = true},
         "",
         "Sport/Gym",
         {{"Sport"}, {"Sport", "Gym"}}},
        {"a path half there, made",
         "CATEGORIES:Work,Review\r\n",
         {.makeTypes = true},
         "",
         "Work/Review",
         {{"Work", "Review"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        const std::string body =
            event("g", "20261210T180000", "20261210T190000", "SUMMARY:Gym\r\n" + c.categories);
        const ImportPlan planned = plan(body, c.options);
        if (!c.refusal.empty()) {
            EXPECT_EQ(planned.refusal.rfind(c.refusal, 0), 0U) << planned.refusal;
            continue;
        }
        ASSERT_EQ(planned.refusal, "");
        EXPECT_EQ(planned.typesToMake, c.made);
        applyImport(model, planned);
        EXPECT_EQ(shown(day(2026, 12, 10), day(2026, 12, 10)),
                  (std::vector<std::string>{"0 " + c.shownType + " 1080-1140 1080-1140 "}));
    }
}

// Our export names a sub-appointment's parent by RELATED-TO; the file may list it first.
TEST_F(ImportAppointmentsTest, ASubAppointmentGoesInsideItsParentWhereverTheFileListsIt) {
    const ImportPlan added =
        import(event("m", "20261210T093000", "20261210T100000",
                     "CATEGORIES:Work,Meeting\r\nRELATED-TO:w\r\n") +
               event("w", "20261210T090000", "20261210T120000", "CATEGORIES:Work\r\n"));
    EXPECT_EQ(added.additions(), "2 appointments (1 sub-appointment)");
    ASSERT_EQ(model.events.size(), 2U);
    const Event& meeting = *model.events[1];
    ASSERT_EQ(meeting.parent, model.events[0].get());
    EXPECT_EQ(meeting.eventData.at(0)->startDelta, 12);  // 30 minutes into Work
    EXPECT_EQ(
        shown(day(2026, 12, 10), day(2026, 12, 10)),
        (std::vector<std::string>{"0 Work 540-720 540-720 ", "0 Work/Meeting 570-600 570-600 "}));
}

TEST_F(ImportAppointmentsTest, AnotherRecurrenceBecomesSingleAppointmentsOverTheChosenDays) {
    const std::string weekly = event("r", "20261207T120000", "20261207T123000",
                                     "CATEGORIES:Lunch\r\nRRULE:FREQ=WEEKLY\r\n");
    EXPECT_EQ(plan(weekly).refusal.rfind("Line 4: the event \"\" recurs other than daily", 0), 0U);
    const ImportPlan added =
        import(weekly, {.firstDay = day(2026, 12, 1), .lastDay = day(2026, 12, 31)});
    EXPECT_EQ(added.additions(), "4 appointments");
    EXPECT_EQ(shown(day(2026, 12, 7), day(2026, 12, 28)).size(), 4U);
}

TEST_F(ImportAppointmentsTest, WhatTheDatabaseHoldsAlreadyOrTheFileTwiceIsLeftOut) {
    const std::string body =
        event("a", "20261210T090000", "20261210T100000", "CATEGORIES:Work\r\n") +
        event("a", "20261210T090000", "20261210T100000", "CATEGORIES:Work\r\n") +
        event("b", "20261210T230000", "20261211T010000", "CATEGORIES:Lunch\r\n") +
        "BEGIN:VEVENT\r\nUID:c\r\nDTSTART;VALUE=DATE:20261210\r\nEND:VEVENT\r\n";
    const ImportPlan first = import(body);
    EXPECT_EQ(first.additions(), "2 appointments");
    EXPECT_EQ(first.notes(),
              "1 all-day event is left out: the day has no hours for it. 1 event runs past "
              "midnight and ends at 24:00.");
    const ImportPlan second = plan(body);
    EXPECT_EQ(second.appointments.size(), 0U);
    EXPECT_EQ(second.alreadyThere, 2);
}

}  // namespace
}  // namespace kalvo
