#include "export/CalendarExport.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string_view>

#include <libical/ical.h>

#include "alarms/AlarmCheck.h"
#include "day/DateFunctions.h"
#include "settings/ProgramVersion.h"

namespace kalvo {
namespace {

struct ComponentFree {
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

// The zone name inside a path of the zone database ("/usr/share/zoneinfo/Europe/Berlin").
std::string zoneOfPath(std::string_view path) {
    constexpr std::string_view kZoneFolder = "zoneinfo/";
    const std::size_t at = path.rfind(kZoneFolder);
    return at == std::string_view::npos ? std::string()
                                        : std::string(path.substr(at + kZoneFolder.size()));
}

// The local time `minutes` after the start of day `day` in `zone` (floating when null).
icaltimetype localTime(std::int64_t day, int minutes, const icaltimezone* zone) {
    const CivilDate date = civilFromDays(day + minutes / (24 * 60));
    icaltimetype time = icaltime_null_time();
    time.year = date.year;
    time.month = date.month;
    time.day = date.day;
    time.hour = minutes % (24 * 60) / 60;
    time.minute = minutes % 60;
    time.zone = zone;
    return time;
}

// Whether times in `zone` name it: UTC times are marked as such instead ("T090000Z"), and
// floating ones name none.
bool namesZone(const icaltimezone* zone) {
    return zone != nullptr && zone != icaltimezone_get_utc_timezone();
}

// A date-time property in `zone`, its TZID named when there is one.
icalproperty* timeProperty(icalproperty* property, const icaltimezone* zone) {
    if (namesZone(zone)) {
        icalproperty_add_parameter(
            property,
            icalparameter_new_tzid(icaltimezone_get_tzid(const_cast<icaltimezone*>(zone))));
    }
    return property;
}

icalproperty* plannedTimeProperty(const char* name, icaltimetype time, const icaltimezone* zone) {
    icalproperty* property = icalproperty_new(ICAL_X_PROPERTY);
    icalproperty_set_x_name(property, name);
    icalproperty_set_value(property, icalvalue_new_datetime(time));
    return timeProperty(property, zone);
}

std::string uidOf(const ExportedOccurrence& occurrence) {
    const CivilDate date = civilFromDays(dayNumber(occurrence.date));
    char text[64];
    std::snprintf(text, sizeof text, "%d-%04d%02d%02d@kalvo-planner", occurrence.row->id, date.year,
                  date.month, date.day);
    return text;
}

// Categories are one comma-separated list, written as given.
std::string categoriesOf(const std::vector<std::string>& typePath) {
    std::string categories;
    for (const std::string& name : typePath) {
        categories += categories.empty() ? "" : ",";
        categories += name;
    }
    return categories;
}

// Comments keep the line breaks of the memo they were typed in (CR LF); iCalendar text has
// plain line feeds.
std::string withLineFeeds(std::string_view text) {
    std::string lines;
    lines.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            lines += '\n';
            i += i + 1 < text.size() && text[i + 1] == '\n' ? 1 : 0;
        } else {
            lines += text[i];
        }
    }
    return lines;
}

icalcomponent* reminder(icalparameter_related related, const std::string& description) {
    icaltriggertype trigger = icaltriggertype_from_int(0);
    icalproperty* when = icalproperty_new_trigger(trigger);
    icalproperty_add_parameter(when, icalparameter_new_related(related));
    return icalcomponent_vanew(ICAL_VALARM_COMPONENT, icalproperty_new_action(ICAL_ACTION_DISPLAY),
                               when, icalproperty_new_description(description.c_str()), nullptr);
}

// The event of one occurrence, with the UID `uid` and, for a sub-appointment, RELATED-TO
// `parentUid`.
icalcomponent* eventOf(const ExportedOccurrence& occurrence, const std::string& uid,
                       const std::string& parentUid, const icaltimezone* zone, icaltimetype stamp) {
    const std::int64_t day = dayNumber(occurrence.date);
    icalcomponent* event = icalcomponent_new_vevent();
    icalcomponent_add_property(event, icalproperty_new_uid(uid.c_str()));
    icalcomponent_add_property(event, icalproperty_new_dtstamp(stamp));
    icalcomponent_add_property(
        event,
        timeProperty(icalproperty_new_dtstart(localTime(day, occurrence.actualStart, zone)), zone));
    icalcomponent_add_property(
        event,
        timeProperty(icalproperty_new_dtend(localTime(day, occurrence.actualEnd, zone)), zone));
    // The type names the event, and the comment's first line what it is: "Meeting: Call with
    // Anna". CATEGORIES keeps the type's path.
    std::string summary = occurrence.typePath.back();
    if (const std::string headline = commentHeadline(occurrence.row->comment); !headline.empty()) {
        summary += ": " + headline;
    }
    icalcomponent_add_property(event, icalproperty_new_summary(summary.c_str()));
    icalcomponent_add_property(
        event, icalproperty_new_categories(categoriesOf(occurrence.typePath).c_str()));
    if (!occurrence.row->comment.empty()) {
        icalcomponent_add_property(
            event, icalproperty_new_description(withLineFeeds(occurrence.row->comment).c_str()));
    }
    icalcomponent_add_property(
        event, plannedTimeProperty("X-KALVO-PLANNED-START",
                                   localTime(day, occurrence.plannedStart, zone), zone));
    icalcomponent_add_property(
        event, plannedTimeProperty("X-KALVO-PLANNED-END",
                                   localTime(day, occurrence.plannedEnd, zone), zone));
    if (!parentUid.empty()) {
        icalcomponent_add_property(event, icalproperty_new_relatedto(parentUid.c_str()));
    }
    const Event* appointment = occurrence.row->event;
    if (const EventType* type = appointment != nullptr ? appointment->type : nullptr) {
        if (type->beforeAlarm) {
            icalcomponent_add_component(
                event, reminder(ICAL_RELATED_START, std::string(kBeforeAlarmText) + type->name));
        }
        if (type->afterAlarm) {
            icalcomponent_add_component(
                event, reminder(ICAL_RELATED_END, std::string(kAfterAlarmText) + type->name));
        }
    }
    return event;
}

Component calendarComponent() {
    const std::string productId =
        "-//Kalvo Planner//Kalvo Planner " + std::string(kProgramVersion) + "//EN";
    return Component(icalcomponent_vanew(ICAL_VCALENDAR_COMPONENT, icalproperty_new_version("2.0"),
                                         icalproperty_new_prodid(productId.c_str()),
                                         icalproperty_new_calscale("GREGORIAN"),
                                         icalproperty_new_method(ICAL_METHOD_PUBLISH), nullptr));
}

std::string textOf(icalcomponent* calendar) {
    const std::unique_ptr<char, decltype(&std::free)> text(icalcomponent_as_ical_string_r(calendar),
                                                           &std::free);
    return text ? std::string(text.get()) : std::string();
}

std::int32_t appointmentIdOf(const ExportedOccurrence& occurrence) {
    return occurrence.row->event != nullptr ? occurrence.row->event->id : occurrence.row->eventId;
}

std::string appointmentUid(std::int32_t id) {
    return "appointment-" + std::to_string(id) + "@kalvo-planner";
}

// Whether two occurrences of an appointment differ only in their date.
bool sameButDate(const ExportedOccurrence& a, const ExportedOccurrence& b) {
    return a.actualStart == b.actualStart && a.actualEnd == b.actualEnd &&
           a.plannedStart == b.plannedStart && a.plannedEnd == b.plannedEnd &&
           a.typePath == b.typePath && a.row->comment == b.row->comment;
}

// A daily rule from the series' first occurrence to its last, every weekday only when it
// leaves out every weekend day, and the days of the rule the series has no occurrence on taken
// out.
void addDailyRule(icalcomponent* master, const std::vector<const ExportedOccurrence*>& series,
                  const icaltimezone* zone) {
    const std::int64_t firstDay = dayNumber(series.front()->date);
    const std::int64_t lastDay = dayNumber(series.back()->date);
    const int start = series.front()->actualStart;
    std::set<std::int64_t> days;
    bool weekendsLeftOut = true;
    for (const ExportedOccurrence* occurrence : series) {
        days.insert(dayNumber(occurrence->date));
        weekendsLeftOut = weekendsLeftOut && !isWeekend(occurrence->date);
    }
    icaltimetype until = localTime(lastDay, start, zone);
    if (namesZone(zone)) {
        until = icaltime_convert_to_zone(until, icaltimezone_get_utc_timezone());
    }
    icalrecurrencetype rule = icalrecurrencetype_from_string(
        (std::string("FREQ=DAILY;UNTIL=") + icaltime_as_ical_string(until) +
         (weekendsLeftOut ? ";BYDAY=MO,TU,WE,TH,FR" : ""))
            .c_str());
    icalcomponent_add_property(master, icalproperty_new_rrule(rule));
    for (std::int64_t day = firstDay; day <= lastDay; ++day) {
        if (!days.contains(day) && !(weekendsLeftOut && isWeekend(static_cast<DateTime>(day)))) {
            icalcomponent_add_property(
                master, timeProperty(icalproperty_new_exdate(localTime(day, start, zone)), zone));
        }
    }
}

// The zone's definition, cut to the years of the range.
icalcomponent* zoneDefinition(icaltimezone* zone, DateTime from, DateTime to) {
    icalcomponent* definition = icalcomponent_new_clone(icaltimezone_get_component(zone));
    icaltimezone* utc = icaltimezone_get_utc_timezone();
    icaltimetype first = localTime(dayNumber(from), 0, zone);
    icaltimetype last = localTime(dayNumber(to) + 1, 0, zone);
    icaltimezone_truncate_vtimezone(definition, icaltime_convert_to_zone(first, utc),
                                    icaltime_convert_to_zone(last, utc), 0);
    return definition;
}

}  // namespace

std::string localTimeZoneId() {
    if (const char* tz = std::getenv("TZ"); tz != nullptr && *tz != '\0') {
        const std::string_view name = *tz == ':' ? tz + 1 : tz;
        return name.starts_with('/') ? zoneOfPath(name) : std::string(name);
    }
    std::string name;
    if (std::ifstream timezone("/etc/timezone");
        timezone && std::getline(timezone, name) && !name.empty()) {
        return name;
    }
    std::error_code error;
    const std::filesystem::path target = std::filesystem::read_symlink("/etc/localtime", error);
    return error ? std::string() : zoneOfPath(target.string());
}

std::string icalendarText(const std::vector<ExportedOccurrence>& occurrences, DateTime from,
                          DateTime to, const std::string& timeZoneId,
                          std::int64_t stampUtcSeconds) {
    icaltimezone* zone =
        timeZoneId.empty() ? nullptr : icaltimezone_get_builtin_timezone(timeZoneId.c_str());
    Component calendar = calendarComponent();
    if (namesZone(zone)) {
        icalcomponent_add_component(calendar.get(), zoneDefinition(zone, from, to));
    }
    const icaltimetype stamp = icaltime_from_timet_with_zone(static_cast<time_t>(stampUtcSeconds),
                                                             0, icaltimezone_get_utc_timezone());
    for (const ExportedOccurrence& occurrence : occurrences) {
        const std::string parentUid =
            occurrence.parent < 0 ? std::string()
                                  : uidOf(occurrences[static_cast<std::size_t>(occurrence.parent)]);
        icalcomponent_add_component(calendar.get(),
                                    eventOf(occurrence, uidOf(occurrence), parentUid, zone, stamp));
    }
    return textOf(calendar.get());
}

std::map<std::string, std::string> publishedAppointments(
    const std::vector<ExportedOccurrence>& occurrences, DateTime from, DateTime to,
    const std::string& timeZoneId, std::int64_t stampUtcSeconds) {
    icaltimezone* zone =
        timeZoneId.empty() ? nullptr : icaltimezone_get_builtin_timezone(timeZoneId.c_str());
    const icaltimetype stamp = icaltime_from_timet_with_zone(static_cast<time_t>(stampUtcSeconds),
                                                             0, icaltimezone_get_utc_timezone());
    // Each appointment's occurrences, in the order their appointments first come.
    std::vector<std::vector<const ExportedOccurrence*>> groups;
    std::map<std::int32_t, std::size_t> groupOf;
    for (const ExportedOccurrence& occurrence : occurrences) {
        const auto [at, added] = groupOf.emplace(appointmentIdOf(occurrence), groups.size());
        if (added) {
            groups.emplace_back();
        }
        groups[at->second].push_back(&occurrence);
    }
    std::map<std::string, std::string> published;
    for (const std::vector<const ExportedOccurrence*>& group : groups) {
        const ExportedOccurrence& first = *group.front();
        const std::string uid = appointmentUid(appointmentIdOf(first));
        const auto parentUidOf = [&](const ExportedOccurrence& occurrence) {
            return occurrence.parent < 0
                       ? std::string()
                       : appointmentUid(appointmentIdOf(
                             occurrences[static_cast<std::size_t>(occurrence.parent)]));
        };
        Component calendar = calendarComponent();
        if (namesZone(zone)) {
            icalcomponent_add_component(calendar.get(), zoneDefinition(zone, from, to));
        }
        icalcomponent* master = eventOf(first, uid, parentUidOf(first), zone, stamp);
        icalcomponent_add_component(calendar.get(), master);
        if (group.size() > 1) {
            addDailyRule(master, group, zone);
            const icaltimetype seriesStart =
                localTime(dayNumber(first.date), first.actualStart, zone);
            for (std::size_t i = 1; i < group.size(); ++i) {
                const ExportedOccurrence& day = *group[i];
                if (sameButDate(day, first) && parentUidOf(day) == parentUidOf(first)) {
                    continue;
                }
                icalcomponent* changed = eventOf(day, uid, parentUidOf(day), zone, stamp);
                icaltimetype overridden = seriesStart;
                const CivilDate date = civilFromDays(dayNumber(day.date));
                overridden.year = date.year;
                overridden.month = date.month;
                overridden.day = date.day;
                icalcomponent_add_property(
                    changed, timeProperty(icalproperty_new_recurrenceid(overridden), zone));
                icalcomponent_add_component(calendar.get(), changed);
            }
        }
        published.emplace(uid, textOf(calendar.get()));
    }
    return published;
}

}  // namespace kalvo
