#pragma once

#include <functional>
#include <map>
#include <ostream>
#include <span>
#include <string>

namespace kalvo {

// Exit codes of kalvo-db.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;  // the database or a file could not be read or written
inline constexpr int kExitUsage = 2;    // the command line itself is wrong

// Each command reports failures on `err` with the message the program itself would show, and
// writes nothing when its input cannot be read.

// Opens the database in `folder` as the program does at start and counts what it holds.
int checkDatabase(const std::string& folder, std::ostream& out, std::ostream& err);

// The current rows of one table file as CSV.
int dumpTable(const std::string& file, std::ostream& out, std::ostream& err);

// Reads one table file and writes it back whole, change log, parameters and row states kept.
int roundtripTable(const std::string& in, const std::string& out, std::ostream& err);

// Opens the database in `folder`, reads its model and writes it into `outFolder` as the Save
// command writes the program folder.
int resaveDatabase(const std::string& folder, const std::string& outFolder, std::ostream& err);

// Writes the database of `folder` with the records of its recovery journal done again (the
// edits a session made after its last save) into `outFolder`, which is made when missing; the
// folder itself is left as it is. A journal that does not belong to the saved files is refused;
// a torn last record is left out and said on `err`.
int recoverDatabase(const std::string& folder, const std::string& outFolder, std::ostream& out,
                    std::ostream& err);

// Builds the day `date` (YYYY-MM-DD) of the database in `folder` as the timeline does and lists
// its occurrences in the day's order, one tab-separated line each: row id, appointment id,
// nesting depth, type name, actual start and end, planned start and end (HH:MM, an end at the
// following midnight as 24:00), then "deleted" or "-".
int listDay(const std::string& folder, const std::string& date, std::ostream& out,
            std::ostream& err);

// The time split of the dates `from` to `to` (YYYY-MM-DD) of the database in `folder`, as the
// chart draws it: one tab-separated line per slice drawn, its label, its hours as the marks
// show them ("##0.0") and its colour as a decimal integer, then "Not Specified" when some hours
// of the range are left. Stored times count as they are: no day is built.
int listTimeSplit(const std::string& folder, const std::string& from, const std::string& to,
                  std::ostream& out, std::ostream& err);

// The time split ("timesplit") or the occurrences ("occurrences") of the dates `from` to `to`
// as CSV, written atomically into `outPath`, or to `out` when it is empty.
int exportCsv(const std::string& folder, const std::string& from, const std::string& to,
              const std::string& kind, const std::string& outPath, std::ostream& out,
              std::ostream& err);

// Per type, the hours planned for the dates `from` to `to` against those done, as a
// tab-separated table with a header, then a line with the share of occurrences started within
// five minutes of their plan; with `option` "--csv" the table alone as CSV.
int listPlan(const std::string& folder, const std::string& from, const std::string& to,
             const std::string& option, std::ostream& out, std::ostream& err);

// The occurrences of the dates `from` to `to` as iCalendar events in the local time zone,
// written atomically into `outPath`, or to `out` when it is empty.
int exportIcalendar(const std::string& folder, const std::string& from, const std::string& to,
                    const std::string& outPath, std::ostream& out, std::ostream& err);

// Adds the events of the iCalendar `file` to the database of `folder` as appointments, all or
// none, and writes the database as one set, as a save does. `options`: --type PATH,
// --make-types, --from DATE --to DATE.
int importIcalendar(const std::string& folder, const std::string& file,
                    std::span<const std::string> options, std::ostream& out, std::ostream& err);

// What a publish sent: PUTs and DELETEs, and the resources changed on the server since, whose
// copy there was kept.
struct PublishOutcome {
    int puts = 0;
    int deletes = 0;
    int conflicts = 0;
};

// What kalvo-db asks of CalDAV servers, carried by the program's network adapter; a build
// without Qt has neither. Each fails with the reason.
struct CalDavAccess {
    // The events of the calendar at `url` as one iCalendar text, fetched as the user `user`
    // (empty: none given).
    std::function<std::string(const std::string& url, const std::string& user)> fetch;
    // Publishes `resources` (UID to iCalendar text) to the calendar at `url` as the program
    // does, sending only what changed since the state kept in the cache folder.
    std::function<PublishOutcome(const std::string& url, const std::string& user,
                                 const std::map<std::string, std::string>& resources)>
        publish;
};

// The events of `date` (YYYY-MM-DD) of the calendar at `source`, an iCalendar file or the URL of
// a CalDAV calendar (fetched through `fetch`), as the day's lane shows them, one tab-separated
// line each in start order: local start and end ("09:00-10:30", an event crossing midnight cut
// to the day, "all day" for an all-day event), summary, UID, and the RECURRENCE-ID of an
// override (YYYY-MM-DDTHH:MM local). `options`: --user NAME.
int listCalendarDay(const std::string& source, const std::string& date,
                    std::span<const std::string> options, const CalDavAccess& calDav,
                    std::ostream& out, std::ostream& err);

// Publishes the appointments of the database of `folder` whose days fall in a window (from 30
// days before today to 365 days after, or --from DATE --to DATE) to the CalDAV calendar at
// `url`, one resource per appointment, and says how many PUTs, DELETEs and conflicts it took.
// `options`: --user NAME, --from DATE --to DATE.
int publishDatabase(const std::string& folder, const std::string& url,
                    std::span<const std::string> options, const CalDavAccess& calDav,
                    std::ostream& out, std::ostream& err);

// The command line without the program name: the command and its arguments.
int runKalvoDb(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
               const CalDavAccess& calDav = {});

}  // namespace kalvo
