#include "export/CalendarExport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>

#include <libical/ical.h>

#include "calendars/CalendarFile.h"
#include "day/DateFunctions.h"
#include "export/SpreadsheetExport.h"
#include "support/EditSession.h"

namespace kalvo {
namespace {

// Sets TZ for one test and puts back what it was.
class ZoneVariable {
public:
    explicit ZoneVariable(const char* value) {
        if (const char* old = std::getenv("TZ")) {
            saved_ = old;
        }
        setenv("TZ", value, 1);
    }
    ~ZoneVariable() {
        if (saved_) {
            setenv("TZ", saved_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
    }
    ZoneVariable(const ZoneVariable&) = delete;
    ZoneVariable& operator=(const ZoneVariable&) = delete;

private:
    std::optional<std::string> saved_;
};

TEST(CalendarExport, LocalZoneIsReadFromEachFormOfTz) {
    const struct {
        const char* tz;
        const char* zone;
    } cases[] = {
        {"Europe/Berlin", "Europe/Berlin"},
        {":America/New_York", "America/New_York"},
        {":/usr/share/zoneinfo/Asia/Tokyo", "Asia/Tokyo"},
        {"/etc/zoneinfo/", ""},
        {"/nowhere/Berlin", ""},
    };
    for (const auto& [tz, zone] : cases) {
        const ZoneVariable variable(tz);
        EXPECT_EQ(localTimeZoneId(), zone) << tz;
    }
}

struct CalendarFree {
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};

// A zone libical does not know leaves the times floating: the same wall-clock times, no
// definition of a zone, and an end at midnight on the next day. UTC's times are marked as UTC
// ("Z"), which names no zone and needs no definition.
TEST(CalendarExport, UnknownZoneGivesFloatingTimesAndUtcGivesUtcTimes) {
    const struct {
        const char* zone;
        const char* start;
        const char* end;
    } cases[] = {{"Nowhere/Atlantis", "20261209T223000", "20261210T000000"},
                 {"UTC", "20261209T223000Z", "20261210T000000Z"},
                 {"GMT", "20261209T223000Z", "20261210T000000Z"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.zone);
        EventDataRow row;
        row.id = 7;
        const DateTime day = static_cast<DateTime>(daysFromCivil({2026, 12, 9}));
        const std::vector<ExportedOccurrence> occurrences{{.date = day,
                                                           .row = &row,
                                                           .typePath = {"Sleep"},
                                                           .actualStart = 22 * 60 + 30,
                                                           .actualEnd = 24 * 60,
                                                           .plannedStart = 23 * 60,
                                                           .plannedEnd = 24 * 60}};
        const std::string text = icalendarText(occurrences, day, day, c.zone, 0);
        const std::unique_ptr<icalcomponent, CalendarFree> calendar(
            icalparser_parse_string(text.c_str()));
        ASSERT_NE(calendar, nullptr) << text;
        EXPECT_EQ(icalcomponent_get_first_component(calendar.get(), ICAL_VTIMEZONE_COMPONENT),
                  nullptr);
        icalcomponent* event =
            icalcomponent_get_first_component(calendar.get(), ICAL_VEVENT_COMPONENT);
        ASSERT_NE(event, nullptr) << text;
        EXPECT_STREQ(icalcomponent_get_uid(event), "7-20261209@kalvo-planner");
        EXPECT_STREQ(icaltime_as_ical_string(icalcomponent_get_dtstart(event)), c.start);
        EXPECT_STREQ(icaltime_as_ical_string(icalcomponent_get_dtend(event)), c.end);
        EXPECT_EQ(text.find("TZID"), std::string::npos) << text;
    }
}

// One occurrence as a calendar shows it: categories, start and end minutes of the day (an end
// on the next day past 24:00), planned start and end as the day's offsets, comment.
using Shown = std::tuple<std::string, int, int, int, int, std::string>;

std::multiset<Shown> timelineDay(const std::vector<ExportedOccurrence>& occurrences,
                                 std::int64_t day) {
    std::multiset<Shown> shown;
    for (const ExportedOccurrence& occurrence : occurrences) {
        if (dayNumber(occurrence.date) == day) {
            std::string categories;
            for (const std::string& name : occurrence.typePath) {
                categories += (categories.empty() ? "" : ",") + name;
            }
            std::string comment;
            for (const char c : occurrence.row->comment) {
                comment += c == '\r' ? '\n' : c;
            }
            shown.emplace(categories, occurrence.actualStart, occurrence.actualEnd,
                          occurrence.plannedStart, occurrence.plannedEnd, comment);
        }
    }
    return shown;
}

std::multiset<Shown> publishedDay(const CalendarFile& calendar, std::int64_t day) {
    std::multiset<Shown> shown;
    const auto offset = [](const LocalTime& time, std::int64_t from) {
        return static_cast<int>(time.day - from) * 24 * 60 + time.minute;
    };
    for (const CalendarOccurrence& occurrence : calendar.occurrencesOn(day)) {
        const CalendarEvent& event = calendar.events()[occurrence.event];
        if (occurrence.start.day != day) {
            continue;  // begun the day before, as the timeline lists it there
        }
        std::string categories;
        for (const std::string& name : event.categories) {
            categories += (categories.empty() ? "" : ",") + name;
        }
        shown.emplace(categories, occurrence.start.minute, offset(occurrence.end, day),
                      offset(event.plannedStart.value_or(LocalTime{}), event.start.day),
                      offset(event.plannedEnd.value_or(LocalTime{}), event.start.day),
                      event.description);
    }
    return shown;
}

// Random edits of two weeks, published one resource per appointment: the days their rules,
// exceptions and overrides give, expanded by libical, are the days the timeline shows; a series
// is one resource.
TEST(PublishedAppointments, GiveBackEveryDayAsTheTimelineShowsIt) {
    const ZoneVariable variable("Europe/Berlin");
    test::EditSession session;
    std::mt19937 random(27);
    const DateTime first = static_cast<DateTime>(test::kFirstDay);
    const DateTime last = static_cast<DateTime>(test::kFirstDay + test::kDays - 1);
    for (int action = 0; action < 200; ++action) {
        if (action % 4 == 0) {
            session.show(static_cast<DateTime>(test::kFirstDay + random() % test::kDays));
        }
        static_cast<void>(test::randomEdit(session, random, action));
        if (action % 40 != 0) {
            continue;
        }
        Model copy = copyOf(session.model);
        const std::vector<ExportedOccurrence> occurrences = exportedOccurrences(copy, first, last);
        const std::map<std::string, std::string> published =
            publishedAppointments(occurrences, first, last, "Europe/Berlin", 0);
        std::set<std::int32_t> appointments;
        for (const ExportedOccurrence& occurrence : occurrences) {
            appointments.insert(occurrence.row->eventId);
        }
        EXPECT_EQ(published.size(), appointments.size()) << action;
        std::string text;
        for (const auto& [uid, resource] : published) {
            text += resource;
        }
        const CalendarFile calendar(text, "Europe/Berlin");
        for (std::int64_t day = test::kFirstDay; day < test::kFirstDay + test::kDays; ++day) {
            ASSERT_EQ(publishedDay(calendar, day), timelineDay(occurrences, day))
                << "action " << action << ", day " << day - test::kFirstDay;
        }
    }
}

}  // namespace
}  // namespace kalvo
