#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "day/ApplyChanges.h"
#include "day/CreateAppointment.h"
#include "day/DayPlacement.h"
#include "day/DeleteOccurrence.h"
#include "day/DragStep.h"
#include "day/EditScope.h"
#include "db/Database.h"
#include "history/EditHistory.h"
#include "support/DatabaseFiles.h"
#include "support/TemporaryFolder.h"
#include "types/TypeCommands.h"

namespace kalvo::test {

// The days of the database below: two weeks of March 2026.
inline constexpr std::int64_t kFirstDay = 46083;  // Monday 2 March 2026
inline constexpr int kDays = 14;

// One window's worth of model, day placement and history over a database of two weeks: Work
// every weekday with a Meeting inside it, Lunch every day, and a one-day Study.
class EditSession {
public:
    explicit EditSession(EditHistory::Limits limits = {}) : history(model, limits) {
        writeDatabase(
            folder.path(),
            "<ROW Id=\"0\" Name=\"Work\" Importance=\"1\" Comment=\"c\" BeforeAlarm=\"TRUE\" "
            "BeforeAlarmDelay=\"5\" AfterAlarmFile=\"bell.wav\" Flags=\"2\" Color=\"255\"/>"
            "<ROW Id=\"1\" ParentTypeId=\"0\" Name=\"Meeting\"/>"
            "<ROW Id=\"2\" Name=\"Lunch\"/><ROW Id=\"3\" Name=\"Study\"/>",
            "<ROW Id=\"0\" TypeId=\"0\" ExcludeWeekends=\"TRUE\" RepeatType=\"1\" "
            "RepeatValue=\"2\"/>"
            "<ROW Id=\"1\" TypeId=\"1\" ParentEventId=\"0\" ExcludeWeekends=\"TRUE\"/>"
            "<ROW Id=\"2\" TypeId=\"2\"/><ROW Id=\"3\" TypeId=\"3\"/>",
            row(0, 0, "20260302", "18991230", "09:00", "12:00", 216, true) +
                row(1, 1, "20260302", "18991230", "10:00", "10:30", 24, true) +
                row(2, 2, "20260302", "18991230", "12:00", "13:00", 288, false) +
                row(3, 3, "20260304", "20260304", "14:00", "16:00", 336, false));
        std::string errors;
        EXPECT_TRUE(database.openDatabase("", [&](const std::string& text) { errors += text; }))
            << errors;
        model = database.readModel();
        show(static_cast<DateTime>(kFirstDay));
    }

    // What Save would write, the three files one after the other, once every day has been shown: a
    // day build sets the stored times of the rows it places from their places (the date of a
    // piece cut off a series, a sub-appointment's offset), whatever edit came before, so the
    // saves of two sessions compare only after the same days were built.
    // What each day shows comes first: the rows placed, with their ids and places.
    std::string saved() {
        const DateTime shown = model.selectedDate;
        std::string bytes;
        for (int day = 0; day < kDays; ++day) {
            show(static_cast<DateTime>(kFirstDay + day));
            for (const PlacedOccurrence& occurrence : placement.occurrences()) {
                bytes += std::to_string(occurrence.row->id) + "@" +
                         std::to_string(occurrence.row->top) + ":" +
                         std::to_string(occurrence.row->height) + " ";
            }
            bytes += "\n";
        }
        show(shown);
        database.saveDatabaseTo(model, scratch.path().string() + "/");
        for (const std::string_view name : {kTypeFileName, kEventFileName, kEventDataFileName}) {
            bytes += fileText(scratch.file(std::string(name)));
        }
        return bytes;
    }

    // Starts again from the three files a save wrote into `files`, as a start after a crash
    // reads them.
    void reopen(const std::filesystem::path& files) {
        for (const std::string_view name : {kTypeFileName, kEventFileName, kEventDataFileName}) {
            std::filesystem::copy_file(files / name, folder.path() / name,
                                       std::filesystem::copy_options::overwrite_existing);
        }
        std::string errors;
        EXPECT_TRUE(database.openDatabase("", [&](const std::string& text) { errors += text; }))
            << errors;
        model = database.readModel();
        show(static_cast<DateTime>(kFirstDay));
    }

    void show(DateTime date) {
        model.selectedDate = date;
        static_cast<void>(buildDay(model, placement));
    }

    // One user action on the shown day as one step; whether the step was kept.
    bool dayEdit(const std::string& label, const std::function<void()>& edit) {
        history.beginStep(label, dayEditScope(model, placement), {model.selectedDate, -1});
        edit();
        return history.endStep();
    }

    bool typeEdit(const std::string& label, EventType* type, const std::function<void()>& edit) {
        history.beginStep(label, typeEditScope(model, type), {model.selectedDate, -1});
        edit();
        return history.endStep();
    }

    // The shown occurrences, as the window lets the user reach them.
    std::vector<EventDataRow*> shownRows() const {
        std::vector<EventDataRow*> rows;
        for (const PlacedOccurrence& occurrence : placement.occurrences()) {
            if (occurrence.shown) {
                rows.push_back(occurrence.row);
            }
        }
        return rows;
    }

    ApplyStep applyTo(EventDataRow& row, bool applyToFuture) {
        return [this, &row, applyToFuture] {
            static_cast<void>(applyChanges(model, placement, row, applyToFuture));
        };
    }

    // A press on the row's panel at `y`, movements by `moves` and the release.
    void drag(EventDataRow& row, int y, const std::vector<int>& moves, bool applyToFuture) {
        DragState state;
        model.hoverPanel = &row;
        static_cast<void>(dragPress(state, row, TimelineColumn::actual, y));
        for (const int move : moves) {
            y += move;
            static_cast<void>(dragMove(state, row, TimelineColumn::actual, placement, y,
                                       applyTo(row, applyToFuture)));
        }
        static_cast<void>(dragRelease(state, row, TimelineColumn::actual, placement,
                                      applyTo(row, applyToFuture)));
    }

    EditPlace undo() {
        const EditPlace place = history.undo();
        show(place.date);
        return place;
    }

    EditPlace redo() {
        const EditPlace place = history.redo();
        show(place.date);
        return place;
    }

    TemporaryFolder folder;
    TemporaryFolder scratch;  // where saved() saves: the database folder keeps its files
    Database database{folder.path().string() + "/"};
    Model model;
    DayPlacement placement;
    EditHistory history;

private:
    // A row whose offset in its parent (or the column) matches its times, at 0.4 pixels a
    // minute.
    static std::string row(int id, int event, const std::string& first, const std::string& last,
                           const std::string& start, const std::string& end, int delta,
                           bool weekdays) {
        const std::string day = first;
        return "<ROW Id=\"" + std::to_string(id) + "\" EventId=\"" + std::to_string(event) +
               "\" StartDate=\"" + first + "\" EndDate=\"" + last + "\" StartTime=\"" + day + "T" +
               start + ":00000\" EndTime=\"" + day + "T" + end + ":00000\" OriginalStartTime=\"" +
               day + "T" + start + ":00000\" OriginalEndTime=\"" + day + "T" + end +
               ":00000\" ExcludeWeekends=\"" + (weekdays ? "TRUE" : "FALSE") +
               // Values no edit changes, which the pieces of a cut series copy.
               "\" Completed=\"TRUE\" Importance=\"2\" Progress=\"0.5\" Flags=\"3\" "
               "OriginalCompleted=\"TRUE\" OriginalImportance=\"1\" OriginalProgress=\"0.25\" "
               "OriginalFlags=\"4\" OriginalComment=\"planned\" StartDelta=\"" +
               std::to_string(delta) + "\" OriginalStartDelta=\"" + std::to_string(delta) + "\"/>";
    }
};

inline EventDataRow* rowOfType(EditSession& session, const std::string& name) {
    for (EventDataRow* row : session.shownRows()) {
        if (row->event != nullptr && row->event->type != nullptr &&
            row->event->type->name == name) {
            return row;
        }
    }
    return nullptr;
}

// One random user action on the shown day as a step, as the window's commands make them:
// a drop, a drag, a shift, a delete, a comment or a sub-appointment. Whether it was kept.
inline bool randomEdit(EditSession& session, std::mt19937& random, int action) {
    const auto chance = [&](int percent) {
        return std::uniform_int_distribution<int>(0, 99)(random) < percent;
    };
    const auto pick = [&](std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
    };
    const std::vector<EventDataRow*> rows = session.shownRows();
    const bool future = chance(30);
    if (rows.empty() || chance(20)) {
        const std::int32_t type = chance(50) ? 2 : 3;
        return session.dayEdit("Add", [&] {
            static_cast<void>(dropAppointment(session.model, session.placement, type, {},
                                              static_cast<int>(pick(540)), future));
        });
    }
    EventDataRow& row = *rows[pick(rows.size())];
    const int kind = static_cast<int>(pick(5));
    return session.dayEdit("Edit", [&] {
        switch (kind) {
            case 0:
                session.drag(row, static_cast<int>(pick(static_cast<std::size_t>(row.height) + 1)),
                             {static_cast<int>(pick(21)) - 10, static_cast<int>(pick(21)) - 10},
                             future);
                break;
            case 1:
                session.model.hoverPanel = &row;
                static_cast<void>(shiftOccurrence(static_cast<ShiftCommand>(pick(6)), row,
                                                  session.placement, session.applyTo(row, future)));
                break;
            case 2:
                static_cast<void>(deleteOccurrence(session.model, session.placement, row, future));
                break;
            case 3:
                static_cast<void>(changeComment(session.model, session.placement, row,
                                                "note " + std::to_string(action)));
                break;
            default:
                if (row.event != nullptr && row.event->type != nullptr &&
                    row.event->type->name == "Work") {
                    static_cast<void>(dropAppointment(
                        session.model, session.placement, 1, {TimelineColumn::actual, &row},
                        static_cast<int>(pick(static_cast<std::size_t>(row.height))), future));
                }
        }
    });
}

}  // namespace kalvo::test
