#include "export/CalendarExport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include <libical/ical.h>

#include "day/DateFunctions.h"

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

}  // namespace
}  // namespace kalvo
