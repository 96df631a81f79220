#include "calendars/CalendarFile.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include <libical/ical.h>

#include "base/Calendar.h"

namespace kalvo {
namespace {

struct ComponentFree {
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

// A content line of the file, unfolded, with the line it starts on.
struct ContentLine {
    int line = 0;
    std::string text;
};

std::vector<ContentLine> contentLines(std::string_view text) {
    std::vector<ContentLine> lines;
    int number = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view physical = text.substr(at, end - at);
        if (physical.ends_with('\r')) {
            physical.remove_suffix(1);
        }
        ++number;
        at = end + 1;
        if (!physical.empty() && (physical.front() == ' ' || physical.front() == '\t') &&
            !lines.empty()) {
            lines.back().text += physical.substr(1);  // a folded line goes on the one before
        } else if (!physical.empty()) {
            lines.push_back({number, std::string(physical)});
        }
    }
    return lines;
}

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return result;
}

// The name of a content line ("DTSTART") and its value, after the first colon outside quotes.
struct NameAndValue {
    std::string name;
    std::string parameters;
    std::string value;
    bool hasColon = false;
};

NameAndValue split(const std::string& line) {
    NameAndValue parts;
    const std::size_t nameEnd = line.find_first_of(";:");
    parts.name = upper(line.substr(0, nameEnd));
    bool quoted = false;
    for (std::size_t i = nameEnd == std::string::npos ? line.size() : nameEnd; i < line.size();
         ++i) {
        if (line[i] == '"') {
            quoted = !quoted;
        } else if (line[i] == ':' && !quoted) {
            parts.parameters = line.substr(nameEnd, i - nameEnd);
            parts.value = line.substr(i + 1);
            parts.hasColon = true;
            break;
        }
    }
    return parts;
}

bool validDateOrDateTime(const std::string& text) {
    const icaltimetype time = icaltime_from_string(text.c_str());
    if (icaltime_is_null_time(time) || time.month < 1 || time.month > 12 || time.day < 1 ||
        time.day > icaltime_days_in_month(time.month, time.year)) {
        return false;
    }
    return time.is_date || (time.hour < 24 && time.minute < 60 && time.second <= 60);
}

std::vector<std::string> commaSeparated(const std::string& value) {
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (at <= value.size()) {
        const std::size_t comma = value.find(',', at);
        parts.push_back(
            value.substr(at, comma == std::string::npos ? std::string::npos : comma - at));
        if (comma == std::string::npos) {
            break;
        }
        at = comma + 1;
    }
    return parts;
}

bool isTimeProperty(const std::string& name) {
    return name == "DTSTART" || name == "DTEND" || name == "RECURRENCE-ID" || name == "EXDATE" ||
           name == "RDATE" || name == "DUE" || name == "X-KALVO-PLANNED-START" ||
           name == "X-KALVO-PLANNED-END";
}

// What is wrong with one content line of an event, or nothing.
std::optional<std::string> faultOf(const ContentLine& line) {
    const NameAndValue parts = split(line.text);
    if (!parts.hasColon || parts.name.empty()) {
        return "\"" + line.text + "\" is not a property (NAME:value)";
    }
    if (isTimeProperty(parts.name) &&
        upper(parts.parameters).find("VALUE=PERIOD") == std::string::npos) {
        for (const std::string& value : commaSeparated(parts.value)) {
            if (!validDateOrDateTime(value)) {
                return parts.name + " has no valid date or time: \"" + value + "\"";
            }
        }
    } else if (parts.name == "RRULE") {
        const icalrecurrencetype rule = icalrecurrencetype_from_string(parts.value.c_str());
        icalerror_clear_errno();
        if (rule.freq == ICAL_NO_RECURRENCE) {
            return "RRULE is not a valid recurrence: \"" + parts.value + "\"";
        }
    } else if (parts.name == "DURATION") {
        if (icaldurationtype_is_bad_duration(icaldurationtype_from_string(parts.value.c_str()))) {
            icalerror_clear_errno();
            return "DURATION is not a valid duration: \"" + parts.value + "\"";
        }
    } else if (parts.value.empty()) {
        return std::nullopt;  // an empty text, such as "LOCATION:", which calendar servers write
    }
    icalproperty* property = icalproperty_new_from_string(line.text.c_str());
    icalerror_clear_errno();
    if (property == nullptr) {
        return "\"" + parts.name + "\" cannot be read as iCalendar";
    }
    icalproperty_free(property);
    return std::nullopt;
}

// The content lines of the file's events, checked: the line each event begins on, and for each
// of its properties the line it is on. Components must nest and close.
struct EventLines {
    int begin = 0;
    std::vector<std::pair<std::string, int>> properties;  // name, line

    int lineOf(std::string_view name) const {
        for (const auto& [property, line] : properties) {
            if (property == name) {
                return line;
            }
        }
        return begin;
    }
};

std::vector<EventLines> checkedEvents(const std::vector<ContentLine>& lines) {
    std::vector<EventLines> events;
    std::vector<std::pair<std::string, int>> open;  // component name, line
    for (const ContentLine& line : lines) {
        const NameAndValue parts = split(line.text);
        if (parts.name == "BEGIN" || parts.name == "END") {
            const std::string component = upper(parts.value);
            if (parts.name == "BEGIN") {
                if (open.empty() && component != "VCALENDAR") {
                    throw IcalendarError(line.line,
                                         "The file does not begin with BEGIN:VCALENDAR.");
                }
                open.emplace_back(component, line.line);
                if (component == "VEVENT") {
                    events.push_back({line.line, {}});
                }
            } else if (open.empty() || open.back().first != component) {
                throw IcalendarError(
                    line.line, "END:" + component + " closes " +
                                   (open.empty() ? std::string("nothing")
                                                 : "the " + open.back().first + " begun on line " +
                                                       std::to_string(open.back().second)) +
                                   ".");
            } else {
                open.pop_back();
            }
            continue;
        }
        if (open.empty()) {
            throw IcalendarError(line.line,
                                 "The line stands outside BEGIN:VCALENDAR and END:VCALENDAR.");
        }
        if (open.back().first == "VEVENT") {
            if (const std::optional<std::string> fault = faultOf(line)) {
                throw IcalendarError(line.line, *fault + ".");
            }
            events.back().properties.emplace_back(split(line.text).name, line.line);
        }
    }
    if (!open.empty()) {
        throw IcalendarError(open.back().second,
                             "BEGIN:" + open.back().first + " is never closed.");
    }
    if (lines.empty()) {
        throw IcalendarError(1, "The file is empty.");
    }
    return events;
}

std::string textOf(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}

}  // namespace

IcalendarError::IcalendarError(int line, const std::string& message)
    : std::runtime_error("Line " + std::to_string(line) + ": " + message), line_(line) {}

struct CalendarFile::Parsed {
    Component root;
    std::vector<icalcomponent*> calendars;  // the VCALENDARs, owned by root
    std::vector<icalcomponent*> events;     // in file order, owned by root
    icaltimezone* local = nullptr;

    // The zone a TZID names: the file's own VTIMEZONE, else the zone database's.
    icaltimezone* zoneNamed(const char* tzid) const {
        if (tzid == nullptr) {
            return nullptr;
        }
        for (icalcomponent* calendar : calendars) {
            if (icaltimezone* zone = icalcomponent_get_timezone(calendar, tzid)) {
                return zone;
            }
        }
        return icaltimezone_get_builtin_timezone(tzid);
    }

    // A time of `property` in the zone its TZID names, which the getters of some properties
    // leave unresolved.
    icaltimetype inItsZone(icalproperty* property, icaltimetype time) const {
        if (time.zone == nullptr && !time.is_date) {
            icalparameter* tzid = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER);
            time.zone = tzid != nullptr ? zoneNamed(icalparameter_get_tzid(tzid)) : nullptr;
        }
        return time;
    }

    LocalTime toLocal(icaltimetype time) const {
        if (!time.is_date && time.zone != nullptr && local != nullptr) {
            time = icaltime_convert_to_zone(time, local);
        }
        return {daysFromCivil({time.year, time.month, time.day}),
                time.is_date ? 0 : time.hour * 60 + time.minute};
    }

    // The value of an X- date-time property with its TZID, as the parser leaves it unresolved.
    std::optional<LocalTime> xTime(icalcomponent* event, std::string_view name) const {
        for (icalproperty* property = icalcomponent_get_first_property(event, ICAL_X_PROPERTY);
             property != nullptr;
             property = icalcomponent_get_next_property(event, ICAL_X_PROPERTY)) {
            if (name != textOf(icalproperty_get_x_name(property))) {
                continue;
            }
            return toLocal(inItsZone(
                property, icaltime_from_string(icalproperty_get_value_as_string(property))));
        }
        return std::nullopt;
    }
};

namespace {

bool onlyWeekdays(const icalrecurrencetype& rule) {
    std::vector<int> days;
    for (int i = 0; i < ICAL_BY_DAY_SIZE && rule.by_day[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i) {
        if (icalrecurrencetype_day_position(rule.by_day[i]) != 0) {
            return false;
        }
        days.push_back(static_cast<int>(icalrecurrencetype_day_day_of_week(rule.by_day[i])));
    }
    std::sort(days.begin(), days.end());
    return days == std::vector<int>{ICAL_MONDAY_WEEKDAY, ICAL_TUESDAY_WEEKDAY,
                                    ICAL_WEDNESDAY_WEEKDAY, ICAL_THURSDAY_WEEKDAY,
                                    ICAL_FRIDAY_WEEKDAY};
}

bool unset(const short* values) {
    return values[0] == ICAL_RECURRENCE_ARRAY_MAX;
}

}  // namespace

CalendarFile::CalendarFile(std::string_view text, const std::string& localZoneId)
    : parsed_(std::make_unique<Parsed>()) {
    const std::vector<EventLines> lines = checkedEvents(contentLines(text));
    const std::string whole(text);
    parsed_->root.reset(icalparser_parse_string(whole.c_str()));
    icalerror_clear_errno();
    if (!parsed_->root) {
        throw IcalendarError(1, "The file is not iCalendar.");
    }
    parsed_->local =
        localZoneId.empty() ? nullptr : icaltimezone_get_builtin_timezone(localZoneId.c_str());
    // Every VEVENT in file order, in one calendar or in several one after the other.
    std::vector<icalcomponent*>& calendars = parsed_->calendars;
    if (icalcomponent_isa(parsed_->root.get()) == ICAL_VCALENDAR_COMPONENT) {
        calendars.push_back(parsed_->root.get());
    } else {
        for (icalcomponent* calendar =
                 icalcomponent_get_first_component(parsed_->root.get(), ICAL_VCALENDAR_COMPONENT);
             calendar != nullptr; calendar = icalcomponent_get_next_component(
                                      parsed_->root.get(), ICAL_VCALENDAR_COMPONENT)) {
            calendars.push_back(calendar);
        }
    }
    for (icalcomponent* calendar : calendars) {
        for (icalcomponent* event =
                 icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
             event != nullptr;
             event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
            parsed_->events.push_back(event);
        }
    }
    if (parsed_->events.size() != lines.size()) {
        throw IcalendarError(1, "The events of the file cannot be told apart.");
    }

    for (std::size_t index = 0; index < parsed_->events.size(); ++index) {
        icalcomponent* component = parsed_->events[index];
        const EventLines& where = lines[index];
        for (icalproperty* error =
                 icalcomponent_get_first_property(component, ICAL_XLICERROR_PROPERTY);
             error != nullptr;
             error = icalcomponent_get_next_property(component, ICAL_XLICERROR_PROPERTY)) {
            const std::string message = textOf(icalproperty_get_xlicerror(error));
            // libical drops a property with an empty text, which is as good as none.
            if (message.rfind("No value for ", 0) != 0) {
                throw IcalendarError(where.begin, message + ".");
            }
        }
        CalendarEvent event;
        event.line = where.begin;
        event.uid = textOf(icalcomponent_get_uid(component));
        event.summary = textOf(icalcomponent_get_summary(component));
        event.description = textOf(icalcomponent_get_description(component));
        event.location = textOf(icalcomponent_get_location(component));
        for (icalproperty* property =
                 icalcomponent_get_first_property(component, ICAL_CATEGORIES_PROPERTY);
             property != nullptr;
             property = icalcomponent_get_next_property(component, ICAL_CATEGORIES_PROPERTY)) {
            for (const std::string& name :
                 commaSeparated(textOf(icalproperty_get_categories(property)))) {
                event.categories.push_back(name);
            }
        }
        if (icalproperty* related =
                icalcomponent_get_first_property(component, ICAL_RELATEDTO_PROPERTY)) {
            event.relatedTo = textOf(icalproperty_get_relatedto(related));
        }
        const icaltimetype start = icalcomponent_get_dtstart(component);
        if (icaltime_is_null_time(start)) {
            throw IcalendarError(where.begin, "The event has no start (DTSTART).");
        }
        const icaltimetype end = icalcomponent_get_dtend(component);
        event.allDay = start.is_date != 0;
        event.start = parsed_->toLocal(start);
        event.end = icaltime_is_null_time(end) ? event.start : parsed_->toLocal(end);
        if (event.end.day * 1440 + event.end.minute < event.start.day * 1440 + event.start.minute) {
            throw IcalendarError(where.lineOf("DTEND"), "The event ends before it begins.");
        }
        event.plannedStart = parsed_->xTime(component, "X-KALVO-PLANNED-START");
        event.plannedEnd = parsed_->xTime(component, "X-KALVO-PLANNED-END");
        if (icalproperty* recurrenceId =
                icalcomponent_get_first_property(component, ICAL_RECURRENCEID_PROPERTY)) {
            event.recurrenceId = parsed_->toLocal(
                parsed_->inItsZone(recurrenceId, icalproperty_get_recurrenceid(recurrenceId)));
        }
        for (icalproperty* excluded =
                 icalcomponent_get_first_property(component, ICAL_EXDATE_PROPERTY);
             excluded != nullptr;
             excluded = icalcomponent_get_next_property(component, ICAL_EXDATE_PROPERTY)) {
            event.excludedDays.push_back(
                parsed_->toLocal(parsed_->inItsZone(excluded, icalproperty_get_exdate(excluded)))
                    .day);
        }
        const int rules = icalcomponent_count_properties(component, ICAL_RRULE_PROPERTY);
        const int dates = icalcomponent_count_properties(component, ICAL_RDATE_PROPERTY);
        event.recurs = rules + dates > 0;
        if (rules == 1 && dates == 0 && !event.allDay) {
            const icalrecurrencetype rule = icalproperty_get_rrule(
                icalcomponent_get_first_property(component, ICAL_RRULE_PROPERTY));
            const bool weekdays = onlyWeekdays(rule);
            const bool everyDay = unset(rule.by_day);
            if (rule.freq == ICAL_DAILY_RECURRENCE && rule.interval <= 1 &&
                (weekdays || everyDay) && unset(rule.by_second) && unset(rule.by_minute) &&
                unset(rule.by_hour) && unset(rule.by_month_day) && unset(rule.by_year_day) &&
                unset(rule.by_week_no) && unset(rule.by_month) && unset(rule.by_set_pos)) {
                DailyRule daily{std::nullopt, weekdays};
                if (!icaltime_is_null_time(rule.until)) {
                    daily.lastDay = parsed_->toLocal(rule.until).day;
                } else if (rule.count > 0) {
                    icalrecur_iterator* iterator = icalrecur_iterator_new(rule, start);
                    icaltimetype last = start;
                    for (icaltimetype next = icalrecur_iterator_next(iterator);
                         !icaltime_is_null_time(next); next = icalrecur_iterator_next(iterator)) {
                        last = next;
                    }
                    icalrecur_iterator_free(iterator);
                    daily.lastDay = parsed_->toLocal(last).day;
                }
                event.daily = daily;
            }
        }
        events_.push_back(std::move(event));
    }
    for (std::size_t index = 0; index < events_.size(); ++index) {
        const CalendarEvent& event = events_[index];
        longestSpan_ = std::max(longestSpan_, event.end.day - event.start.day);
        if (event.recurs) {
            recurring_.push_back(index);
        } else if (!event.recurrenceId) {
            singlesByDay_.emplace_back(event.start.day, index);
        }
    }
    std::sort(singlesByDay_.begin(), singlesByDay_.end());
}

std::vector<CalendarOccurrence> CalendarFile::occurrencesOn(std::int64_t day) const {
    std::vector<CalendarOccurrence> found;
    // An end at the midnight that begins the day, or an all-day event's exclusive end, does not
    // reach into it.
    const auto reaches = [day](const LocalTime& start, const LocalTime& end) {
        return start.day == day || end.day > day || (end.day == day && end.minute > 0);
    };
    const auto first = std::lower_bound(singlesByDay_.begin(), singlesByDay_.end(),
                                        std::pair{day - longestSpan_, std::size_t{0}});
    for (auto at = first; at != singlesByDay_.end() && at->first <= day; ++at) {
        const CalendarEvent& event = events_[at->second];
        if (reaches(event.start, event.end)) {
            found.push_back({at->second, event.start, event.end});
        }
    }
    for (const std::size_t index : recurring_) {
        for (const CalendarOccurrence& occurrence : occurrences(index, day - longestSpan_, day)) {
            if (reaches(occurrence.start, occurrence.end)) {
                found.push_back(occurrence);
            }
        }
    }
    std::sort(found.begin(), found.end(),
              [](const CalendarOccurrence& a, const CalendarOccurrence& b) {
                  return a.start.day != b.start.day ? a.start.day < b.start.day
                                                    : a.start.minute < b.start.minute;
              });
    return found;
}

CalendarFile::~CalendarFile() = default;
CalendarFile::CalendarFile(CalendarFile&&) noexcept = default;
CalendarFile& CalendarFile::operator=(CalendarFile&&) noexcept = default;

std::vector<CalendarOccurrence> CalendarFile::occurrences(std::size_t index, std::int64_t first,
                                                          std::int64_t last) const {
    const CalendarEvent& event = events_.at(index);
    icalcomponent* component = parsed_->events.at(index);
    const int length = static_cast<int>((event.end.day - event.start.day) * 1440 +
                                        event.end.minute - event.start.minute);
    std::vector<CalendarOccurrence> found;
    const auto add = [&](std::size_t from, LocalTime start, int minutes) {
        if (start.day < first || start.day > last) {
            return;
        }
        const int endMinute = start.minute + minutes;
        found.push_back({from, start, {start.day + endMinute / 1440, endMinute % 1440}});
    };
    // The overrides of this event's occurrences.
    std::vector<std::size_t> overrides;
    for (std::size_t other = 0; other < events_.size(); ++other) {
        if (other != index && events_[other].recurrenceId && !event.uid.empty() &&
            events_[other].uid == event.uid) {
            overrides.push_back(other);
        }
    }
    const auto overridden = [&](LocalTime start) {
        return std::any_of(overrides.begin(), overrides.end(), [&](std::size_t other) {
            return *events_[other].recurrenceId == start;
        });
    };
    const auto excluded = [&](LocalTime start) {
        return std::find(event.excludedDays.begin(), event.excludedDays.end(), start.day) !=
               event.excludedDays.end();
    };
    const auto occur = [&](icaltimetype time) {
        const LocalTime start = parsed_->toLocal(time);
        if (!excluded(start) && !overridden(start)) {
            add(index, start, length);
        }
        return start.day <= last;
    };
    const icaltimetype start = icalcomponent_get_dtstart(component);
    if (!event.recurs) {
        occur(start);
    }
    for (icalproperty* property = icalcomponent_get_first_property(component, ICAL_RRULE_PROPERTY);
         property != nullptr;
         property = icalcomponent_get_next_property(component, ICAL_RRULE_PROPERTY)) {
        const icalrecurrencetype rule = icalproperty_get_rrule(property);
        icalrecur_iterator* iterator = icalrecur_iterator_new(rule, start);
        if (iterator == nullptr) {
            continue;
        }
        if (rule.count == 0 && event.start.day < first - 1) {
            // Straight to the range; a counted rule must count from its start.
            const CivilDate from = civilFromDays(first - 1);
            icaltimetype jump = start;
            jump.year = from.year;
            jump.month = from.month;
            jump.day = from.day;
            icalrecur_iterator_set_start(iterator, jump);
        }
        for (icaltimetype next = icalrecur_iterator_next(iterator); !icaltime_is_null_time(next);
             next = icalrecur_iterator_next(iterator)) {
            next.zone = start.zone;
            if (!occur(next)) {
                break;
            }
        }
        icalrecur_iterator_free(iterator);
    }
    for (icalproperty* property = icalcomponent_get_first_property(component, ICAL_RDATE_PROPERTY);
         property != nullptr;
         property = icalcomponent_get_next_property(component, ICAL_RDATE_PROPERTY)) {
        icaltimetype time = icalproperty_get_rdate(property).time;
        if (!icaltime_is_null_time(time)) {
            time.zone = time.zone != nullptr ? time.zone : start.zone;
            occur(time);
        }
    }
    for (const std::size_t other : overrides) {
        const CalendarEvent& moved = events_[other];
        add(other, moved.start,
            static_cast<int>((moved.end.day - moved.start.day) * 1440 + moved.end.minute -
                             moved.start.minute));
    }
    std::sort(found.begin(), found.end(),
              [](const CalendarOccurrence& a, const CalendarOccurrence& b) {
                  return a.start.day != b.start.day ? a.start.day < b.start.day
                                                    : a.start.minute < b.start.minute;
              });
    return found;
}

}  // namespace kalvo
