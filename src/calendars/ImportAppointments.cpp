#include "calendars/ImportAppointments.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <utility>

#include "day/DateFunctions.h"
#include "day/Occurrences.h"
#include "day/Timeline.h"
#include "types/TypeCommands.h"

namespace kalvo {
namespace {

constexpr int kMinutesPerDay = 24 * 60;

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::string joined(const std::vector<std::string>& path, std::string_view separator) {
    std::string text;
    for (const std::string& name : path) {
        text += (text.empty() ? "" : std::string(separator)) + name;
    }
    return text;
}

// A description's lines as the Appointment page stores a comment: each broken by CR LF.
std::string storedComment(const std::string& description) {
    std::string comment;
    for (std::size_t i = 0; i < description.size(); ++i) {
        if (description[i] == '\r') {
            continue;
        }
        comment += description[i] == '\n' ? "\r\n" : std::string(1, description[i]);
    }
    return comment;
}

// The end of a span that starts at `start` as minutes of the start's day: the midnight that ends
// the day is 1440, and a later end is cut there (`cut` tells).
int endMinute(LocalTime start, LocalTime end, bool& cut) {
    if (end.day == start.day) {
        return end.minute;
    }
    cut = !(end.day == start.day + 1 && end.minute == 0);
    return kMinutesPerDay;
}

// Whether the day already shows an occurrence of the type at the path with these times.
bool shownAlready(const Model& model, const std::vector<std::string>& path, std::int64_t day,
                  int start, int end) {
    bool found = false;
    walkDay(
        model.rootEvents, static_cast<DateTime>(day),
        [&](const EventDataRow& row, int) {
            const EventType* type = row.event != nullptr ? row.event->type : nullptr;
            const int rowStart = minuteOfDay(row.startTime);
            found = found || (!row.deleted && type != nullptr && typePath(*type) == path &&
                              rowStart == start &&
                              rowStart + durationMinutes(row.startTime, row.endTime) == end);
            return 0;
        },
        [](const EventDataRow*) {});
    return found;
}

std::string count(std::size_t number, const char* one, const char* many) {
    return std::to_string(number) + " " + (number == 1 ? one : many);
}

std::string refusalAt(const CalendarEvent& event, const std::string& problem) {
    return "Line " + std::to_string(event.line) + ": the event \"" + event.summary + "\" " +
           problem;
}

// Puts every parent before its sub-appointments, the order otherwise kept.
void parentsFirst(std::vector<ImportedAppointment>& appointments) {
    std::vector<int> depth(appointments.size(), 0);
    for (std::size_t i = 0; i < appointments.size(); ++i) {
        for (int parent = appointments[i].parent;
             parent >= 0 && depth[i] <= static_cast<int>(appointments.size());
             parent = appointments[static_cast<std::size_t>(parent)].parent) {
            ++depth[i];
        }
    }
    std::vector<std::size_t> order(appointments.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return depth[a] < depth[b]; });
    std::vector<int> newIndex(appointments.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        newIndex[order[i]] = static_cast<int>(i);
    }
    std::vector<ImportedAppointment> sorted;
    sorted.reserve(appointments.size());
    for (const std::size_t i : order) {
        sorted.push_back(std::move(appointments[i]));
        if (sorted.back().parent >= 0) {
            sorted.back().parent = newIndex[static_cast<std::size_t>(sorted.back().parent)];
        }
    }
    appointments = std::move(sorted);
}

}  // namespace

std::string ImportPlan::additions() const {
    std::size_t series = 0;
    std::size_t inside = 0;
    for (const ImportedAppointment& appointment : appointments) {
        series += appointment.lastDay != appointment.firstDay ? 1 : 0;
        inside += appointment.parent >= 0 ? 1 : 0;
    }
    std::string text = count(appointments.size(), "appointment", "appointments");
    if (series + inside > 0) {
        std::string parts;
        if (series > 0) {
            parts = count(series, "daily series", "daily series");
        }
        if (inside > 0) {
            parts +=
                (parts.empty() ? "" : ", ") + count(inside, "sub-appointment", "sub-appointments");
        }
        text += " (" + parts + ")";
    }
    if (!typesToMake.empty()) {
        text += " and " + count(typesToMake.size(), "new type", "new types");
    }
    return text;
}

std::string ImportPlan::notes() const {
    std::string text;
    const auto note = [&text](int number, const char* one, const char* many, const char* rest) {
        if (number > 0) {
            if (!text.empty()) {
                text += ' ';
            }
            text += count(static_cast<std::size_t>(number), one, many);
            text += rest;
        }
    };
    note(alreadyThere, "event is", "events are", " in the database already and left out.");
    note(allDay, "all-day event is", "all-day events are",
         " left out: the day has no hours for it.");
    note(cutAtMidnight, "event runs", "events run", " past midnight and ends at 24:00.");
    return text;
}

ImportPlan planImport(const Model& model, const CalendarFile& file, const ImportOptions& options) {
    ImportPlan plan;
    const std::vector<CalendarEvent>& events = file.events();
    std::set<std::vector<std::string>> making;
    const auto typeFor =
        [&](const CalendarEvent& event) -> std::optional<std::vector<std::string>> {
        std::vector<std::string> path;
        for (const std::string& name : event.categories) {
            if (const std::string kept = trimmed(name); !kept.empty()) {
                path.push_back(kept);
            }
        }
        if (!path.empty() && typeAtPath(model, path) != nullptr) {
            return path;
        }
        if (!path.empty() && options.makeTypes) {
            for (std::size_t length = 1; length <= path.size(); ++length) {
                std::vector<std::string> prefix(path.begin(),
                                                path.begin() + static_cast<std::ptrdiff_t>(length));
                if (typeAtPath(model, prefix) == nullptr && making.insert(prefix).second) {
                    plan.typesToMake.push_back(prefix);
                }
            }
            return path;
        }
        if (options.fallbackTypeId) {
            if (const EventType* fallback = model.findType(*options.fallbackTypeId)) {
                return typePath(*fallback);
            }
        }
        plan.refusal = refusalAt(
            event,
            (path.empty() ? std::string("names no type")
                          : "names the type " + joined(path, "/") + ", which the database lacks") +
                ": choose a type for such events, or let the import make the types they name.");
        return std::nullopt;
    };

    std::set<std::string> seenUids;
    std::map<std::pair<std::string, std::int64_t>, int> byUidAndDay;
    std::vector<std::string> relatedTo;  // of each planned appointment
    const auto add = [&](ImportedAppointment appointment, const CalendarEvent& event) {
        byUidAndDay.emplace(std::pair{event.uid, appointment.firstDay},
                            static_cast<int>(plan.appointments.size()));
        relatedTo.push_back(event.relatedTo);
        plan.appointments.push_back(std::move(appointment));
    };
    for (std::size_t index = 0; index < events.size(); ++index) {
        const CalendarEvent& event = events[index];
        if (event.recurrenceId) {
            continue;  // an override goes with the event it overrides
        }
        if (event.allDay) {
            ++plan.allDay;
            continue;
        }
        if (!event.uid.empty() && !seenUids.insert(event.uid).second) {
            continue;  // the file holds the event twice
        }
        const std::optional<std::vector<std::string>> path = typeFor(event);
        if (!path) {
            return plan;
        }
        bool cut = false;
        ImportedAppointment appointment;
        appointment.event = index;
        appointment.typePath = *path;
        appointment.start = event.start.minute;
        appointment.end = endMinute(event.start, event.end, cut);
        appointment.plannedStart =
            event.plannedStart ? event.plannedStart->minute : appointment.start;
        bool plannedCut = false;
        appointment.plannedEnd = event.plannedStart && event.plannedEnd
                                     ? endMinute(*event.plannedStart, *event.plannedEnd, plannedCut)
                                     : appointment.end;
        appointment.comment = storedComment(event.description);
        appointment.firstDay = event.start.day;

        if (!event.recurs || event.daily) {
            if (event.daily) {
                appointment.lastDay = event.daily->lastDay;
                appointment.weekdaysOnly = event.daily->weekdaysOnly;
                for (const std::int64_t day : event.excludedDays) {
                    appointment.exceptions.push_back({day, true, 0, 0, {}});
                }
                for (const CalendarEvent& other : events) {
                    if (other.recurrenceId && other.uid == event.uid) {
                        bool otherCut = false;
                        appointment.exceptions.push_back(
                            {other.recurrenceId->day, false, other.start.minute,
                             endMinute(other.start, other.end, otherCut),
                             storedComment(other.description)});
                    }
                }
                std::sort(appointment.exceptions.begin(), appointment.exceptions.end(),
                          [](const SeriesException& a, const SeriesException& b) {
                              return a.day < b.day;
                          });
            } else {
                appointment.lastDay = appointment.firstDay;
            }
            if (shownAlready(model, appointment.typePath, appointment.firstDay, appointment.start,
                             appointment.end)) {
                ++plan.alreadyThere;
                continue;
            }
            plan.cutAtMidnight += cut ? 1 : 0;
            add(std::move(appointment), event);
            continue;
        }
        // Another recurrence: each occurrence in the chosen days becomes an appointment.
        if (!options.firstDay || !options.lastDay) {
            plan.refusal = refusalAt(event,
                                     "recurs other than daily: choose the days over which its "
                                     "occurrences become appointments.");
            return plan;
        }
        for (const CalendarOccurrence& occurrence :
             file.occurrences(index, *options.firstDay, *options.lastDay)) {
            const CalendarEvent& source = events[occurrence.event];
            bool occurrenceCut = false;
            ImportedAppointment single = appointment;
            single.event = occurrence.event;
            single.firstDay = occurrence.start.day;
            single.lastDay = occurrence.start.day;
            single.start = occurrence.start.minute;
            single.end = endMinute(occurrence.start, occurrence.end, occurrenceCut);
            single.plannedStart = single.start;
            single.plannedEnd = single.end;
            single.comment = storedComment(source.description);
            if (shownAlready(model, single.typePath, single.firstDay, single.start, single.end)) {
                ++plan.alreadyThere;
                continue;
            }
            plan.cutAtMidnight += occurrenceCut ? 1 : 0;
            add(std::move(single), event);
        }
    }
    // A sub-appointment lies in the appointment its RELATED-TO names, on the same day.
    for (std::size_t i = 0; i < plan.appointments.size(); ++i) {
        ImportedAppointment& appointment = plan.appointments[i];
        const auto parent = byUidAndDay.find({relatedTo[i], appointment.firstDay});
        if (!relatedTo[i].empty() && parent != byUidAndDay.end() &&
            parent->second != static_cast<int>(i) &&
            plan.appointments[static_cast<std::size_t>(parent->second)].lastDay ==
                plan.appointments[static_cast<std::size_t>(parent->second)].firstDay &&
            appointment.lastDay == appointment.firstDay) {
            appointment.parent = parent->second;
        }
    }
    parentsFirst(plan.appointments);
    return plan;
}

void applyImport(Model& model, const ImportPlan& plan) {
    for (const std::vector<std::string>& path : plan.typesToMake) {
        EventType* parent =
            path.size() > 1 ? typeAtPath(model, {path.begin(), path.end() - 1}) : nullptr;
        createType(model, parent).name = path.back();
    }
    std::vector<Event*> created;
    created.reserve(plan.appointments.size());
    for (const ImportedAppointment& appointment : plan.appointments) {
        EventType* type = typeAtPath(model, appointment.typePath);
        Event* parent = appointment.parent >= 0
                            ? created.at(static_cast<std::size_t>(appointment.parent))
                            : nullptr;
        const ImportedAppointment* parentPlan =
            appointment.parent >= 0
                ? &plan.appointments[static_cast<std::size_t>(appointment.parent)]
                : nullptr;
        auto event = std::make_unique<Event>();
        event->id = model.nextEventId();
        event->parent = parent;
        event->parentId = parent != nullptr ? parent->id : -1;
        event->type = type;
        event->typeId = type != nullptr ? type->id : 0;
        event->excludeWeekends = appointment.weekdaysOnly;

        const auto addRow = [&](std::int64_t from, std::optional<std::int64_t> to, int start,
                                int end, int plannedStart, int plannedEnd,
                                const std::string& comment, bool deleted) {
            auto row = std::make_unique<EventDataRow>();
            row->id = model.nextEventDataId();
            row->eventId = event->id;
            row->event = event.get();
            row->deleted = deleted;
            row->typeName = type != nullptr ? type->name : std::string();
            row->startDate = static_cast<DateTime>(from);
            row->endDate = to ? static_cast<DateTime>(*to) : 0;
            row->startTime = dateTimeOfMinute(from, start);
            row->endTime = dateTimeOfMinute(from, end);
            row->excludeWeekends = appointment.weekdaysOnly;
            row->comment = comment;
            row->originalStartTime = dateTimeOfMinute(0, plannedStart);
            row->originalEndTime = dateTimeOfMinute(0, plannedEnd);
            const int parentStart = parentPlan != nullptr ? parentPlan->start : 0;
            const int parentPlannedStart = parentPlan != nullptr ? parentPlan->plannedStart : 0;
            row->startDelta = timeToPixels(start - parentStart);
            row->originalStartDelta = timeToPixels(plannedStart - parentPlannedStart);
            event->eventData.push_back(row.get());
            model.eventDataPanels.push_back(std::move(row));
        };
        std::int64_t cursor = appointment.firstDay;
        for (const SeriesException& exception : appointment.exceptions) {
            if (exception.day < cursor ||
                (appointment.lastDay && exception.day > *appointment.lastDay)) {
                continue;
            }
            if (exception.day > cursor) {
                addRow(cursor, exception.day - 1, appointment.start, appointment.end,
                       appointment.plannedStart, appointment.plannedEnd, appointment.comment,
                       false);
            }
            if (exception.deleted) {
                addRow(exception.day, exception.day, appointment.start, appointment.end,
                       appointment.plannedStart, appointment.plannedEnd, appointment.comment, true);
            } else {
                addRow(exception.day, exception.day, exception.start, exception.end,
                       exception.start, exception.end, exception.comment, false);
            }
            cursor = exception.day + 1;
        }
        if (!appointment.lastDay || cursor <= *appointment.lastDay) {
            addRow(cursor, appointment.lastDay, appointment.start, appointment.end,
                   appointment.plannedStart, appointment.plannedEnd, appointment.comment, false);
        }
        const EventDataRow& first = *event->eventData.front();
        event->startDate = first.startDate;
        event->endDate = event->eventData.back()->endDate;
        event->startTime = first.startTime;
        event->endTime = first.endTime;
        if (parent != nullptr) {
            parent->children.push_back(event.get());
        } else {
            model.rootEvents.push_back(event.get());
        }
        created.push_back(event.get());
        model.events.push_back(std::move(event));
    }
}

}  // namespace kalvo
