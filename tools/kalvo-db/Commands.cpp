#include "kalvo-db/Commands.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <exception>
#include <optional>
#include <string_view>
#include <tuple>

#include "base/AtomicFile.h"
#include "calendars/CalendarFile.h"
#include "calendars/ImportAppointments.h"
#include "chart/PlanComparison.h"
#include "chart/TimeSplit.h"
#include "datapacket/Datapacket.h"
#include "datapacket/Table.h"
#include "day/DateFunctions.h"
#include "day/DayPlacement.h"
#include "day/Occurrences.h"
#include "db/Database.h"
#include "db/DatabaseFolder.h"
#include "export/CalendarExport.h"
#include "export/SpreadsheetExport.h"
#include "history/EditHistory.h"
#include "history/RecoveryJournal.h"
#include "kalvo-db/CsvDump.h"

namespace kalvo {
namespace {

constexpr std::string_view kUsage =
    "Usage: kalvo-db COMMAND ARGUMENTS\n"
    "\n"
    "Commands:\n"
    "  check FOLDER              open the planner database in FOLDER and count what it holds\n"
    "  dump FILE                 print the current rows of one table file as CSV\n"
    "  roundtrip IN OUT          read the table file IN and write it back into OUT\n"
    "  resave FOLDER OUTFOLDER   write the database in FOLDER into OUTFOLDER as Save does\n"
    "  recover FOLDER OUTFOLDER  write the database in FOLDER with the unsaved changes of its\n"
    "                            recovery journal into OUTFOLDER\n"
    "  day FOLDER YYYY-MM-DD     list the occurrences of that date as the timeline shows them\n"
    "  timesplit FOLDER FROM TO  list the time split of the dates FROM to TO (YYYY-MM-DD) as\n"
    "                            the chart draws it: label, hours, colour\n"
    "  csv FOLDER FROM TO (timesplit|occurrences) [OUT]\n"
    "                            write the time split or the occurrences of the dates as CSV\n"
    "                            into OUT, or to standard output\n"
    "  plan FOLDER FROM TO [--csv]\n"
    "                            list per type the planned and actual hours of the dates, their\n"
    "                            difference and ratio, then the share of occurrences started on\n"
    "                            time; with --csv the table alone as CSV\n"
    "  ics FOLDER FROM TO [OUT]  write the occurrences of the dates as iCalendar events into\n"
    "                            OUT, or to standard output\n"
    "  import-ics FOLDER FILE [--type PATH] [--make-types] [--from FROM --to TO]\n"
    "                            add the events of the iCalendar FILE to the database as\n"
    "                            appointments, all or none: the type their categories name\n"
    "                            (Work,Meeting), else PATH (Work/Meeting); --make-types makes\n"
    "                            the types named and missing; events that recur other than\n"
    "                            daily become appointments on the dates FROM to TO\n"
    "  calendar-day SOURCE YYYY-MM-DD [--user NAME]\n"
    "                            list the events of that date of the iCalendar file or CalDAV\n"
    "                            calendar URL SOURCE as the day shows them beside its own:\n"
    "                            start-end or \"all day\", summary, UID, RECURRENCE-ID; the\n"
    "                            password comes from KALVO_CALDAV_PASSWORD, else is asked\n"
    "  publish FOLDER URL [--user NAME] [--from FROM --to TO]\n"
    "                            publish the appointments of the dates (from 30 days ago to\n"
    "                            365 days ahead) to the CalDAV calendar URL, one resource per\n"
    "                            appointment, sending only what changed since the last publish\n"
    "\n"
    "Exit status: 0 on success, 1 when a file cannot be read or written, 2 for a wrong\n"
    "command line.\n";

void reportError(std::ostream& err, std::string_view message) {
    err << message << '\n';
}

int usageError(std::ostream& err, std::string_view problem) {
    err << "kalvo-db: " << problem << "\n\n" << kUsage;
    return kExitUsage;
}

// The database of `folder` read as the program reads its own, or nothing after reporting why
// not. The folder is left as it is: the program may be saving into it.
std::optional<Database> openedDatabase(const std::string& folder, std::ostream& err) {
    Database database(folder + "/");
    std::string message;
    if (!database.openDatabase(
            "", [&](const std::string& text) { message = text; }, Database::Access::look)) {
        reportError(err, message);
        return std::nullopt;
    }
    return database;
}

// The model of the database of `folder`, or nothing after reporting why it cannot be read.
std::optional<Model> openedModel(const std::string& folder, std::ostream& err) {
    std::optional<Database> database = openedDatabase(folder, err);
    if (!database) {
        return std::nullopt;
    }
    return database->readModel();
}

// Output that could not be written is a failure too, or a dump cut short by a full disk would
// pass for a whole one.
int finished(std::ostream& out, std::ostream& err) {
    out.flush();
    if (!out) {
        reportError(err, "Cannot write the output.");
        return kExitFailure;
    }
    return kExitSuccess;
}

// YYYY-MM-DD, or nothing.
std::optional<DateTime> parseIsoDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    CivilDate date;
    for (const auto& [field, start, length] :
         {std::tuple{&date.year, 0, 4}, std::tuple{&date.month, 5, 2},
          std::tuple{&date.day, 8, 2}}) {
        *field = 0;
        for (int i = start; i < start + length; ++i) {
            const char c = text[static_cast<std::size_t>(i)];
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
            *field = *field * 10 + (c - '0');
        }
    }
    if (!isValidCivilDate(date)) {
        return std::nullopt;
    }
    return static_cast<DateTime>(daysFromCivil(date));
}

// The date of a command line argument, or nothing after reporting why not.
std::optional<DateTime> dateArgument(const std::string& text, std::ostream& err) {
    std::optional<DateTime> date = parseIsoDate(text);
    if (!date) {
        reportError(err, "The date '" + text + "' is not a date of the form YYYY-MM-DD.");
    }
    return date;
}

// HH:MM of a time shown on the timeline; an end at the midnight after `startDay` is 24:00.
std::string clockText(DateTime time, std::int64_t startDay) {
    int minutes = minuteOfDay(time);
    if (minutes == 0 && dayNumber(time) > startDay) {
        minutes = 24 * 60;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", minutes / 60, minutes % 60);
    return text;
}

}  // namespace

int checkDatabase(const std::string& folder, std::ostream& out, std::ostream& err) {
    try {
        std::optional<Database> database = openedDatabase(folder, err);
        if (!database) {
            return kExitFailure;
        }
        const Model model = database->readModel();
        out << "types " << model.types.size() << ", appointments " << model.events.size()
            << ", rows " << model.eventDataPanels.size() << '\n';
        return finished(out, err);
    } catch (const std::exception& error) {
        reportError(err, error.what());
        return kExitFailure;
    }
}

int dumpTable(const std::string& file, std::ostream& out, std::ostream& err) {
    try {
        Table table;
        readDatapacket(table, file);
        writeCsv(table, out);
        return finished(out, err);
    } catch (const std::exception& error) {
        reportError(err, error.what());
        return kExitFailure;
    }
}

int roundtripTable(const std::string& in, const std::string& out, std::ostream& err) {
    try {
        Table table;
        readDatapacket(table, in);
        writeDatapacket(table, out);
        return kExitSuccess;
    } catch (const std::exception& error) {
        reportError(err, error.what());
        return kExitFailure;
    }
}

int resaveDatabase(const std::string& folder, const std::string& outFolder, std::ostream& err) {
    try {
        std::optional<Database> database = openedDatabase(folder, err);
        if (!database) {
            return kExitFailure;
        }
        const Model model = database->readModel();
        createFolder(outFolder);
        database->saveDatabaseTo(model, outFolder + "/");
        return kExitSuccess;
    } catch (const std::exception& error) {
        reportError(err, error.what());
        return kExitFailure;
    }
}

int recoverDatabase(const std::string& folder, const std::string& outFolder, std::ostream& out,
                    std::ostream& err) {
    try {
        std::optional<Database> database = openedDatabase(folder, err);
        if (!database) {
            return kExitFailure;
        }
        const std::string base = folder + "/";
        if (!journalExists(base)) {
            reportError(err, "There is no recovery journal in \"" + folder + "\".");
            return kExitFailure;
        }
        const JournalContent content = readJournal(base, savedFilesOf(base));
        if (content.state == JournalContent::State::foreign) {
            reportError(err, "The recovery journal does not belong to the saved database files.");
            return kExitFailure;
        }
        Model model = database->readModel();
        EditHistory history(model);
        for (const std::string& record : content.records) {
            history.replay(record);
        }
        createFolder(outFolder);
        database->saveDatabaseTo(model, outFolder + "/");
        if (content.state == JournalContent::State::torn) {
            err << "The last change in the recovery journal was incomplete and was left out.\n";
        }
        out << "Recovered " << editCount(content.records) << " changes into \"" << outFolder
            << "\".\n";
        return finished(out, err);
    } catch (const std::exception& error) {
        reportError(err, error.what());
        return kExitFailure;
    }
}

int listDay(const std::string& folder, const std::string& date, std::ostream& out,
            std::ostream& err) {
    try {
        const std::optional<DateTime> day = dateArgument(date, err);
        if (!day) {
            return kExitUsage;
        }
        std::optional<Database> database = openedDatabase(folder, err);
        if (!database) {
            return kExitFailure;
        }
        Model model = database->readModel();
        model.selectedDate = *day;
        DayPlacement placement;
        static_cast<void>(buildDay(model, placement));
        for (const PlacedOccurrence& occurrence : placement.occurrences()) {
            const EventDataRow& row = *occurrence.row;
            const std::int64_t actualDay = dayNumber(row.startTime);
            const std::int64_t plannedDay = dayNumber(occurrence.planned.startTime);
            out << row.id << '\t' << (row.event != nullptr ? row.event->id : row.eventId) << '\t'
                << occurrence.depth << '\t'
                << (row.event != nullptr && row.event->type != nullptr ? row.event->type->name
                                                                       : row.typeName)
                << '\t' << clockText(row.startTime, actualDay) << '\t'
                << clockText(row.endTime, actualDay) << '\t'
                << clockText(occurrence.planned.startTime, plannedDay) << '\t'
                << clockText(occurrence.planned.endTime, plannedDay) << '\t'
                << (row.deleted ? "deleted" : "-") << '\n';
        }
        return finished(out, err);
    } catch (const std::exception& error) {
        reportError(err, error.what());
        return kExitFailure;
    }
}

namespace {

// The model of the database of `folder` and the dates FROM and TO of the command line, or
// nothing after reporting what is wrong; `failure` is then the exit status: a date that is
// none, or a range that ends before it begins, is a wrong command line.
struct ModelRange {
    Model model;
    DateTime first = 0;
    DateTime last = 0;
};

std::optional<ModelRange> openedRange(const std::string& folder, const std::string& from,
                                      const std::string& to, std::ostream& err, int& failure) {
    const std::optional<DateTime> first = dateArgument(from, err);
    const std::optional<DateTime> last = first ? dateArgument(to, err) : std::nullopt;
    if (!last) {
        failure = kExitUsage;
        return std::nullopt;
    }
    if (*last < *first) {
        reportError(err, "The range ends on " + to + ", before it begins on " + from + ".");
        failure = kExitUsage;
        return std::nullopt;
    }
    std::optional<Model> model = openedModel(folder, err);
    if (!model) {
        failure = kExitFailure;
        return std::nullopt;
    }
    return ModelRange{std::move(*model), *first, *last};
}

// Writes an exported file into `outPath` as the database files are written, or to `out` when
// no path is given.
int writeExport(const std::string& text, const std::string& outPath, std::ostream& out,
                std::ostream& err) {
    if (outPath.empty()) {
        out << text;
        return finished(out, err);
    }
    writeFileAtomically(outPath, text);
    return kExitSuccess;
}

}  // namespace

int listTimeSplit(const std::string& folder, const std::string& from, const std::string& to,
                  std::ostream& out, std::ostream& err) {
    try {
        int failure = kExitFailure;
        std::optional<ModelRange> range = openedRange(folder, from, to, err, failure);
        if (!range) {
            return failure;
        }
        collectChartPanels(range->model, range->first, range->last);
        computeSlices(range->model);
        for (const PieSlice& slice :
             pieSlices(range->model.chartSlices, range->first, range->last)) {
            out << slice.label << '\t' << formatDecimal(slice.value, 1, false) << '\t'
                << slice.color << '\n';
        }
        return finished(out, err);
    } catch (const std::exception& error) {
        reportError(err, error.what());
        return kExitFailure;
    }
}

int exportCsv(const std::string& folder, const std::string& from, const std::string& to,
              const std::string& kind, const std::string& outPath, std::ostream& out,
              std::ostream& err) {
    if (kind != "timesplit" && kind != "occurrences") {
        return usageError(err, "csv writes timesplit or occurrences, not '" + kind + "'");
    }
    try {
        int failure = kExitFailure;
        std::optional<ModelRange> range = openedRange(folder, from, to, err, failure);
        if (!range) {
            return failure;
        }
        return writeExport(
            kind == "timesplit"
                ? timeSplitCsv(range->model, range->first, range->last)
                : occurrencesCsv(exportedOccurrences(range->model, range->first, range->last)),
            outPath, out, err);
    } catch (const std::exception& error) {
        reportError(err, error.what());
        return kExitFailure;
    }
}

int listPlan(const std::string& folder, const std::string& from, const std::string& to,
             const std::string& option, std::ostream& out, std::ostream& err) {
    if (!option.empty() && option != "--csv") {
        return usageError(err, "plan takes --csv, not '" + option + "'");
    }
    try {
        int failure = kExitFailure;
        std::optional<ModelRange> range = openedRange(folder, from, to, err, failure);
        if (!range) {
            return failure;
        }
        collectChartPanels(range->model, range->first, range->last);
        const PlanComparison comparison = comparePlan(range->model, SubTypes::folded);
        if (!option.empty()) {
            out << planCsv(comparison);
            return finished(out, err);
        }
        const auto line = [&out](const auto& cells) {
            for (std::size_t i = 0; i < cells.size(); ++i) {
                out << (i > 0 ? "\t" : "") << cells[i];
            }
            out << '\n';
        };
        line(kPlanTableHeader);
        for (const PlanTableRow& row : planTable(comparison)) {
            line(row);
        }
        out << "Started on time: " << comparison.startedOnTime << " of " << comparison.occurrences;
        if (const std::optional<double> share = comparison.onTimeShare()) {
            out << " (" << formatDecimal(100.0 * *share, 0, false) << " %)";
        }
        out << '\n';
        return finished(out, err);
    } catch (const std::exception& error) {
        reportError(err, error.what());
        return kExitFailure;
    }
}

int exportIcalendar(const std::string& folder, const std::string& from, const std::string& to,
                    const std::string& outPath, std::ostream& out, std::ostream& err) {
    try {
        int failure = kExitFailure;
        std::optional<ModelRange> range = openedRange(folder, from, to, err, failure);
        if (!range) {
            return failure;
        }
        return writeExport(
            icalendarText(exportedOccurrences(range->model, range->first, range->last),
                          range->first, range->last, localTimeZoneId(), std::time(nullptr)),
            outPath, out, err);
    } catch (const std::exception& error) {
        reportError(err, error.what());
        return kExitFailure;
    }
}

int importIcalendar(const std::string& folder, const std::string& file,
                    std::span<const std::string> options, std::ostream& out, std::ostream& err) {
    ImportOptions import;
    std::optional<std::string> typeOption;
    std::optional<std::string> from;
    std::optional<std::string> to;
    for (std::size_t i = 0; i < options.size(); ++i) {
        const std::string& option = options[i];
        const bool takesValue = option == "--type" || option == "--from" || option == "--to";
        if (takesValue && i + 1 == options.size()) {
            return usageError(err, option + " needs a value");
        }
        if (option == "--type") {
            typeOption = options[++i];
        } else if (option == "--from") {
            from = options[++i];
        } else if (option == "--to") {
            to = options[++i];
        } else if (option == "--make-types") {
            import.makeTypes = true;
        } else {
            return usageError(err, "import-ics takes --type, --make-types, --from and --to, not '" +
                                       option + "'");
        }
    }
    if (from.has_value() != to.has_value()) {
        return usageError(err, "--from and --to go together");
    }
    if (from) {
        const std::optional<DateTime> first = dateArgument(*from, err);
        const std::optional<DateTime> last = first ? dateArgument(*to, err) : std::nullopt;
        if (!last) {
            return kExitUsage;
        }
        if (*last < *first) {
            reportError(err, "The range ends on " + *to + ", before it begins on " + *from + ".");
            return kExitUsage;
        }
        import.firstDay = dayNumber(*first);
        import.lastDay = dayNumber(*last);
    }
    try {
        const std::string base = folder + "/";
        if (heldByRunningProgram(base)) {
            reportError(err, "Kalvo Planner has the database in \"" + folder +
                                 "\" open: import there with File > Import, or close it first.");
            return kExitFailure;
        }
        if (journalExists(base)) {
            reportError(err, "The database in \"" + folder +
                                 "\" has unsaved changes in its recovery journal: start Kalvo "
                                 "Planner on it first.");
            return kExitFailure;
        }
        const FileContent text(file);
        Database database(base);
        std::string message;
        if (!database.openDatabase("", [&](const std::string& what) { message = what; })) {
            reportError(err, message);
            return kExitFailure;
        }
        Model model = database.readModel();
        if (typeOption) {
            std::vector<std::string> path;
            for (std::size_t at = 0; at <= typeOption->size();) {
                const std::size_t slash = std::min(typeOption->find('/', at), typeOption->size());
                path.push_back(typeOption->substr(at, slash - at));
                at = slash + 1;
            }
            const EventType* type = typeAtPath(model, path);
            if (type == nullptr) {
                reportError(err, "The database has no type " + *typeOption + ".");
                return kExitFailure;
            }
            import.fallbackTypeId = type->id;
        }
        const CalendarFile calendar(text.bytes(), localTimeZoneId());
        const ImportPlan plan = planImport(model, calendar, import);
        if (!plan.refusal.empty()) {
            reportError(err, file + ": " + plan.refusal);
            return kExitFailure;
        }
        if (!plan.appointments.empty() || !plan.typesToMake.empty()) {
            applyImport(model, plan);
            database.saveDatabase(model);
        }
        out << "Added " << plan.additions() << ".";
        if (const std::string notes = plan.notes(); !notes.empty()) {
            out << " " << notes;
        }
        out << '\n';
        return finished(out, err);
    } catch (const IcalendarError& error) {
        reportError(err, file + ": " + error.what());
        return kExitFailure;
    } catch (const std::exception& error) {
        reportError(err, error.what());
        return kExitFailure;
    }
}

int listCalendarDay(const std::string& source, const std::string& date,
                    std::span<const std::string> options, const CalDavAccess& calDav,
                    std::ostream& out, std::ostream& err) {
    std::string user;
    if (!options.empty()) {
        if (options[0] != "--user" || options.size() != 2) {
            return usageError(err, "calendar-day takes --user NAME, not '" + options[0] + "'");
        }
        user = options[1];
    }
    const std::optional<DateTime> shown = dateArgument(date, err);
    if (!shown) {
        return kExitUsage;
    }
    const std::int64_t day = dayNumber(*shown);
    try {
        std::string text;
        if (source.find("://") != std::string::npos) {
            if (!calDav.fetch) {
                reportError(err, "This kalvo-db reads no calendars on servers.");
                return kExitFailure;
            }
            text = calDav.fetch(source, user);
        } else {
            text = FileContent(source).bytes();
        }
        const CalendarFile calendar(text, localTimeZoneId());
        const auto clock = [](int minute) {
            char shownTime[16];
            std::snprintf(shownTime, sizeof shownTime, "%02d:%02d", minute / 60, minute % 60);
            return std::string(shownTime);
        };
        for (const CalendarOccurrence& occurrence : calendar.occurrencesOn(day)) {
            const CalendarEvent& event = calendar.events()[occurrence.event];
            if (event.allDay) {
                out << "all day";
            } else {
                out << clock(occurrence.start.day < day ? 0 : occurrence.start.minute) << '-'
                    << clock(occurrence.end.day > day ? 24 * 60 : occurrence.end.minute);
            }
            out << '\t' << event.summary << '\t' << event.uid;
            if (event.recurrenceId) {
                const CivilDate overridden = civilFromDays(event.recurrenceId->day);
                char when[32];
                std::snprintf(when, sizeof when, "%04d-%02d-%02dT", overridden.year,
                              overridden.month, overridden.day);
                out << '\t' << when << clock(event.recurrenceId->minute);
            }
            out << '\n';
        }
        return finished(out, err);
    } catch (const IcalendarError& error) {
        reportError(err, source + ": " + error.what());
        return kExitFailure;
    } catch (const std::exception& error) {
        reportError(err, error.what());
        return kExitFailure;
    }
}

int publishDatabase(const std::string& folder, const std::string& url,
                    std::span<const std::string> options, const CalDavAccess& calDav,
                    std::ostream& out, std::ostream& err) {
    std::string user;
    std::optional<std::string> from;
    std::optional<std::string> to;
    for (std::size_t i = 0; i < options.size(); i += 2) {
        const std::string& option = options[i];
        if (i + 1 == options.size()) {
            return usageError(err, option + " needs a value");
        }
        if (option == "--user") {
            user = options[i + 1];
        } else if (option == "--from") {
            from = options[i + 1];
        } else if (option == "--to") {
            to = options[i + 1];
        } else {
            return usageError(err, "publish takes --user, --from and --to, not '" + option + "'");
        }
    }
    if (from.has_value() != to.has_value()) {
        return usageError(err, "--from and --to go together");
    }
    if (!calDav.publish) {
        reportError(err, "This kalvo-db publishes to no calendar servers.");
        return kExitFailure;
    }
    if (!from) {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        const std::int64_t today =
            daysFromCivil({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday});
        from = isoDateText(today - 30);
        to = isoDateText(today + 365);
    }
    int failure = kExitFailure;
    try {
        std::optional<ModelRange> range = openedRange(folder, *from, *to, err, failure);
        if (!range) {
            return failure;
        }
        const PublishOutcome outcome =
            calDav.publish(url, user,
                           publishedAppointments(
                               exportedOccurrences(range->model, range->first, range->last),
                               range->first, range->last, localTimeZoneId(), std::time(nullptr)));
        out << outcome.puts << " PUT" << (outcome.puts == 1 ? "" : "s") << ", " << outcome.deletes
            << " DELETE" << (outcome.deletes == 1 ? "" : "s") << ", " << outcome.conflicts
            << " conflict" << (outcome.conflicts == 1 ? "" : "s") << ".\n";
        return finished(out, err);
    } catch (const std::exception& error) {
        reportError(err, error.what());
        return kExitFailure;
    }
}

namespace {

using Arguments = std::span<const std::string>;

struct Command {
    std::string_view name;
    std::size_t arguments;
    int (*run)(Arguments arguments, std::ostream& out, std::ostream& err,
               const CalDavAccess& calDav);
    std::size_t optionalArguments = 0;  // that may follow the required ones
};

constexpr Command kCommands[] = {
    {"check", 1,
     [](Arguments a, std::ostream& out, std::ostream& err, const CalDavAccess&) {
         return checkDatabase(a[0], out, err);
     }},
    {"dump", 1,
     [](Arguments a, std::ostream& out, std::ostream& err, const CalDavAccess&) {
         return dumpTable(a[0], out, err);
     }},
    {"roundtrip", 2,
     [](Arguments a, std::ostream&, std::ostream& err, const CalDavAccess&) {
         return roundtripTable(a[0], a[1], err);
     }},
    {"resave", 2,
     [](Arguments a, std::ostream&, std::ostream& err, const CalDavAccess&) {
         return resaveDatabase(a[0], a[1], err);
     }},
    {"recover", 2,
     [](Arguments a, std::ostream& out, std::ostream& err, const CalDavAccess&) {
         return recoverDatabase(a[0], a[1], out, err);
     }},
    {"day", 2,
     [](Arguments a, std::ostream& out, std::ostream& err, const CalDavAccess&) {
         return listDay(a[0], a[1], out, err);
     }},
    {"timesplit", 3,
     [](Arguments a, std::ostream& out, std::ostream& err, const CalDavAccess&) {
         return listTimeSplit(a[0], a[1], a[2], out, err);
     }},
    {"csv", 4,
     [](Arguments a, std::ostream& out, std::ostream& err, const CalDavAccess&) {
         return exportCsv(a[0], a[1], a[2], a[3], a.size() > 4 ? a[4] : std::string(), out, err);
     },
     1},
    {"plan", 3,
     [](Arguments a, std::ostream& out, std::ostream& err, const CalDavAccess&) {
         return listPlan(a[0], a[1], a[2], a.size() > 3 ? a[3] : std::string(), out, err);
     },
     1},
    {"ics", 3,
     [](Arguments a, std::ostream& out, std::ostream& err, const CalDavAccess&) {
         return exportIcalendar(a[0], a[1], a[2], a.size() > 3 ? a[3] : std::string(), out, err);
     },
     1},
    {"import-ics", 2,
     [](Arguments a, std::ostream& out, std::ostream& err, const CalDavAccess&) {
         return importIcalendar(a[0], a[1], a.subspan(2), out, err);
     },
     6},
    {"calendar-day", 2,
     [](Arguments a, std::ostream& out, std::ostream& err, const CalDavAccess& calDav) {
         return listCalendarDay(a[0], a[1], a.subspan(2), calDav, out, err);
     },
     2},
    {"publish", 2,
     [](Arguments a, std::ostream& out, std::ostream& err, const CalDavAccess& calDav) {
         return publishDatabase(a[0], a[1], a.subspan(2), calDav, out, err);
     },
     6},
};

}  // namespace

int runKalvoDb(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
               const CalDavAccess& calDav) {
    if (arguments.empty()) {
        return usageError(err, "no command given");
    }
    const std::string& name = arguments.front();
    if (arguments.size() == 1 && (name == "--help" || name == "-h" || name == "help")) {
        out << kUsage;
        return finished(out, err);
    }
    for (const Command& command : kCommands) {
        if (command.name != name) {
            continue;
        }
        const Arguments rest = arguments.subspan(1);
        if (rest.size() < command.arguments ||
            rest.size() > command.arguments + command.optionalArguments) {
            const std::string counts =
                std::to_string(command.arguments) +
                (command.optionalArguments > 0
                     ? " or " + std::to_string(command.arguments + command.optionalArguments)
                     : std::string());
            return usageError(err, name + " takes " + counts +
                                       (counts == "1" ? " argument" : " arguments") + ", not " +
                                       std::to_string(rest.size()));
        }
        return command.run(rest, out, err, calDav);
    }
    return usageError(err, "unknown command '" + name + "'");
}

}  // namespace kalvo
