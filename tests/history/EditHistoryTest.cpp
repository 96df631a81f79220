#include "history/EditHistory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "day/ApplyChanges.h"
#include "day/CreateAppointment.h"
#include "day/DeleteOccurrence.h"
#include "day/DragStep.h"
#include "day/EditScope.h"
#include "db/Database.h"
#include "history/RecoveryJournal.h"
#include "support/DatabaseFiles.h"
#include "support/EditSession.h"
#include "support/TextDifference.h"
#include "types/TypeCommands.h"

namespace kalvo {
namespace {

using test::EditSession;
using test::kDays;
using test::kFirstDay;
using test::randomEdit;
using test::rowOfType;

struct EditKind {
    const char* name;
    std::function<bool(EditSession&)> edit;  // the step, on Wednesday 4 March; whether kept
    std::function<void(EditSession&)> prepare = [](EditSession&) {};  // before, not a step
};

const EditKind kEditKinds[] = {
    {"DragWorkDown",
     [](EditSession& s) {
         EventDataRow& work = *rowOfType(s, "Work");
         return s.dayEdit("Move Work", [&] { s.drag(work, 20, {-4, -4, -4}, false); });
     }},
    {"ResizeLunchWithApplyToFuture",
     [](EditSession& s) {
         EventDataRow& lunch = *rowOfType(s, "Lunch");
         return s.dayEdit("Resize Lunch", [&] { s.drag(lunch, lunch.height - 1, {3, 3}, true); });
     }},
    {"ShiftMeetingUp",
     [](EditSession& s) {
         EventDataRow& meeting = *rowOfType(s, "Meeting");
         return s.dayEdit("Shift Meeting", [&] {
             s.model.hoverPanel = &meeting;
             static_cast<void>(shiftOccurrence(ShiftCommand::shiftUp, meeting, s.placement,
                                               s.applyTo(meeting, false)));
         });
     }},
    {"DeleteWorkWithItsMeeting",
     [](EditSession& s) {
         EventDataRow& work = *rowOfType(s, "Work");
         return s.dayEdit("Delete Work", [&] {
             static_cast<void>(deleteOccurrence(s.model, s.placement, work, false));
         });
     }},
    {"DeleteTheOneDayStudy",
     [](EditSession& s) {
         EventDataRow& study = *rowOfType(s, "Study");
         return s.dayEdit("Delete Study", [&] {
             static_cast<void>(deleteOccurrence(s.model, s.placement, study, true));
         });
     }},
    {"DropLunchForTheFuture",
     [](EditSession& s) {
         return s.dayEdit("Add Lunch", [&] {
             static_cast<void>(dropAppointment(s.model, s.placement, 2, {}, 400, true));
         });
     }},
    {"DropMeetingIntoWork",
     [](EditSession& s) {
         EventDataRow* work = rowOfType(s, "Work");
         return s.dayEdit("Add Meeting", [&] {
             static_cast<void>(dropAppointment(s.model, s.placement, 1,
                                               {TimelineColumn::actual, work}, 40, false));
         });
     }},
    {"CommentOnLunch",
     [](EditSession& s) {
         EventDataRow& lunch = *rowOfType(s, "Lunch");
         return s.dayEdit("Edit Comment", [&] {
             static_cast<void>(changeComment(s.model, s.placement, lunch, "with Ann"));
         });
     }},
    {"AddType",
     [](EditSession& s) {
         return s.typeEdit("Add Event Type", nullptr,
                           [&] { createType(s.model, s.model.types[0].get()); });
     }},
    {"RenameType",
     [](EditSession& s) {
         EventType* lunch = s.model.types[2].get();
         return s.typeEdit("Rename Lunch", lunch, [&] { lunch->name = "Dinner"; });
     }},
    {"DeleteUnusedType",
     [](EditSession& s) {
         EventType& added = *s.model.types.back();
         return s.typeEdit("Delete Event Type", &added, [&] { removeType(s.model, added); });
     },
     [](EditSession& s) { createType(s.model, nullptr); }},
};

class EachEditKind : public ::testing::TestWithParam<EditKind> {};

TEST_P(EachEditKind, UndoWritesTheBytesOfBeforeAndRedoThoseOfAfter) {
    EditSession session;
    session.show(static_cast<DateTime>(kFirstDay + 2));
    GetParam().prepare(session);
    const std::string before = session.saved();
    ASSERT_TRUE(GetParam().edit(session)) << "the edit changed nothing";
    const std::string after = session.saved();
    ASSERT_NE(after, before);
    EXPECT_TRUE(session.history.modified());

    // Undo and redo from another day: the step says where it happened.
    session.show(static_cast<DateTime>(kFirstDay + 9));
    EXPECT_EQ(session.undo().date, static_cast<DateTime>(kFirstDay + 2));
    EXPECT_EQ(test::difference(session.saved(), before), "");
    EXPECT_FALSE(session.history.canUndo());
    session.redo();
    EXPECT_EQ(test::difference(session.saved(), after), "");
    session.undo();
    EXPECT_EQ(test::difference(session.saved(), before), "") << "undo again after a redo";
}

INSTANTIATE_TEST_SUITE_P(EditHistory, EachEditKind, ::testing::ValuesIn(kEditKinds),
                         [](const auto& kind) { return std::string(kind.param.name); });

// Random edits, undos, redos and changes of the shown day: at every point Save writes the bytes
// of the state the history says the model is in, and an edit that changed nothing wrote none.
TEST(EditHistory, RandomEditsUndosAndRedosKeepEverySavedStateExact) {
    constexpr int kActions = 600;
    EditSession session;
    std::mt19937 random(20261209);
    const auto pick = [&](std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
    };
    std::vector<std::string> records;
    session.history.setRecordListener(
        [&](const std::string& record) { records.push_back(record); });
    std::vector<std::string> states = {session.saved()};
    std::size_t position = 0;
    int kept = 0;
    int undone = 0;
    for (int action = 0; action < kActions; ++action) {
        SCOPED_TRACE(action);
        const int roll = std::uniform_int_distribution<int>(0, 99)(random);
        if (roll < 15) {
            session.show(static_cast<DateTime>(kFirstDay + static_cast<std::int64_t>(pick(kDays))));
            ASSERT_EQ(test::difference(session.saved(), states[position]), "")
                << "showing a day changes nothing";
            continue;
        }
        if (roll < 30 && session.history.canUndo()) {
            session.undo();
            ASSERT_EQ(test::difference(session.saved(), states[--position]), "");
            ++undone;
            continue;
        }
        if (roll < 40 && session.history.canRedo()) {
            session.redo();
            ASSERT_EQ(test::difference(session.saved(), states[++position]), "");
            continue;
        }
        if (!randomEdit(session, random, action)) {
            ASSERT_EQ(test::difference(session.saved(), states[position]), "")
                << "a step that changed nothing";
            continue;
        }
        states.resize(++position);
        states.push_back(session.saved());
        ASSERT_NE(states[position], states[position - 1]);
        ++kept;
    }
    // The sequence did what it is for: many kept steps, many taken back.
    EXPECT_GT(kept, 150);
    EXPECT_GT(undone, 50);

    // The records done again on the saved files give the same model and the same history.
    const auto replayed = [&records] {
        auto again = std::make_unique<EditSession>();
        for (const std::string& record : records) {
            again->history.replay(record);
        }
        again->show(static_cast<DateTime>(kFirstDay));
        return again;
    };
    EXPECT_EQ(test::difference(replayed()->saved(), session.saved()), "");
    while (session.history.canUndo()) {
        session.undo();
        --position;
    }
    EXPECT_EQ(position, 0U);
    EXPECT_EQ(test::difference(session.saved(), states[0]), "");
    const std::unique_ptr<EditSession> again = replayed();
    EXPECT_EQ(test::difference(again->saved(), states[0]), "") << "the undos are recorded too";
    EXPECT_EQ(again->history.stepCount(), session.history.stepCount());
    while (again->history.canRedo()) {
        again->redo();
        session.redo();
    }
    EXPECT_EQ(test::difference(again->saved(), session.saved()), "");
}

TEST(EditHistory, OldestStepsGoFirstAndTheSavedMarkFollows) {
    EditSession session({.steps = 3});
    std::vector<std::string> states = {session.saved()};
    for (int edit = 1; edit <= 5; ++edit) {
        EventDataRow& lunch = *rowOfType(session, "Lunch");
        ASSERT_TRUE(session.dayEdit("Edit Comment", [&] {
            static_cast<void>(changeComment(session.model, session.placement, lunch,
                                            "note " + std::to_string(edit)));
        }));
        states.push_back(session.saved());
    }
    EXPECT_EQ(session.history.stepCount(), 3U);
    for (int i = 0; i < 3; ++i) {
        session.undo();
    }
    EXPECT_EQ(test::difference(session.saved(), states[2]), "");
    EXPECT_FALSE(session.history.canUndo());
    EXPECT_TRUE(session.history.modified()) << "the saved state is out of reach";

    session.redo();
    session.history.markSaved();
    EXPECT_FALSE(session.history.modified());
    EXPECT_EQ(session.history.undoLabel(), "Edit Comment");
    EXPECT_EQ(session.history.redoLabel(), "Edit Comment");
    session.redo();
    EXPECT_TRUE(session.history.modified());
    session.undo();
    EXPECT_FALSE(session.history.modified()) << "undo back to the saved state";
}

// A change made outside the history leaves the last step's lists ending in other objects: its
// undo is refused and leaves the model alone, rather than taking out objects not its own.
TEST(EditHistory, AnUndoOverAChangeMadeOutsideTheHistoryIsRefused) {
    EditSession session;
    ASSERT_TRUE(session.dayEdit("Edit Comment", [&] {
        static_cast<void>(changeComment(session.model, session.placement,
                                        *rowOfType(session, "Lunch"), "in a step"));
    }));
    session.show(static_cast<DateTime>(kFirstDay + 3));
    static_cast<void>(
        changeComment(session.model, session.placement, *rowOfType(session, "Lunch"), "outside"));
    const std::string before = session.saved();
    EXPECT_THROW(session.history.undo(), std::logic_error);
    EXPECT_EQ(test::difference(session.saved(), before), "");
    EXPECT_TRUE(session.history.canUndo());
}

// A save is written while the user goes on: the saved position is the one at the start of the
// save, wherever the history has moved since.
TEST(EditHistory, TheSavedMarkOfASaveBeingWrittenIsWhereItStarted) {
    struct Case {
        const char* name;
        const char* duringWrite;  // e: edit, u: undo, r: redo
        const char* afterwards;   // the same, then whether the model is what the files hold
        std::vector<bool> savedAfterEach;
    };
    const Case cases[] = {
        {"nothing in between", "", "ur", {false, true}},
        {"an edit", "e", "uu", {true, false}},
        {"an undo", "u", "ru", {true, false}},
        {"undone then edited: out of reach", "ue", "uur", {false, false, false}},
        {"the oldest steps dropped", "eee", "uuu", {false, false, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditSession session({.steps = 3});
        int edits = 0;
        const auto act = [&](char action) {
            if (action == 'u') {
                session.undo();
            } else if (action == 'r') {
                session.redo();
            } else {
                EventDataRow& lunch = *rowOfType(session, "Lunch");
                ASSERT_TRUE(session.dayEdit("Edit Comment", [&] {
                    static_cast<void>(changeComment(session.model, session.placement, lunch,
                                                    "note " + std::to_string(++edits)));
                }));
            }
        };
        act('e');
        act('e');
        session.history.markSaveStarted();
        for (const char* action = c.duringWrite; *action != 0; ++action) {
            act(*action);
        }
        session.history.markSaveWritten();
        EXPECT_EQ(session.history.modified(), *c.duringWrite != 0);
        for (std::size_t i = 0; c.afterwards[i] != 0; ++i) {
            act(c.afterwards[i]);
            EXPECT_EQ(!session.history.modified(), c.savedAfterEach[i]) << "after " << i;
        }
    }
}

// A session that made edits, undid and redid some and then crashed: the journal done again on
// the saved files gives what the crashed session would have saved, and the same history.
TEST(RecoveryJournal, TheRecoveredSessionSavesWhatTheCrashedOneWould) {
    EditSession crashed;
    const std::string base = crashed.folder.path().string() + "/";
    JournalWriter journal(base);
    crashed.history.setRecordListener([&](const std::string& record) {
        if (!journal.started()) {
            journal.start(savedFilesOf(base));
        }
        journal.append(record);
    });
    crashed.show(static_cast<DateTime>(kFirstDay + 2));
    for (const EditKind& kind : kEditKinds) {
        static_cast<void>(kind.edit(crashed));
        crashed.show(static_cast<DateTime>(kFirstDay + 2));
    }
    crashed.undo();
    crashed.undo();
    crashed.redo();
    const std::string wouldSave = crashed.saved();

    EditSession recovered;  // the same saved files
    const std::string recoveredBase = recovered.folder.path().string() + "/";
    std::filesystem::copy_file(base + std::string(kJournalName),
                               recoveredBase + std::string(kJournalName));
    const JournalContent content = readJournal(recoveredBase, savedFilesOf(recoveredBase));
    ASSERT_EQ(content.state, JournalContent::State::whole);
    for (const std::string& record : content.records) {
        recovered.history.replay(record);
    }
    EXPECT_EQ(test::difference(recovered.saved(), wouldSave), "");
    EXPECT_EQ(recovered.history.undoLabel(), crashed.history.undoLabel());
    EXPECT_EQ(recovered.history.redoLabel(), crashed.history.redoLabel());
}

// After a save the journal starts again from the saved files while the history still holds
// the steps before it: undos and redos of those steps, and everything after them, are
// recovered exactly.
TEST(RecoveryJournal, UndosAndRedosAcrossASaveAreRecoveredExactly) {
    EditSession session;
    std::mt19937 random(20261210);
    std::vector<std::string> records;
    session.history.setRecordListener(
        [&](const std::string& record) { records.push_back(record); });
    const test::TemporaryFolder savedFiles;
    const auto save = [&] {
        session.database.saveDatabaseTo(session.model, savedFiles.path().string() + "/");
        session.history.markSaved();
        records.clear();
    };
    const auto recovered = [&] {
        auto again = std::make_unique<EditSession>();
        again->reopen(savedFiles.path());
        for (const std::string& record : records) {
            again->history.replay(record);
        }
        return again;
    };
    save();
    int undosOverASave = 0;
    for (int action = 0; action < 300; ++action) {
        SCOPED_TRACE(action);
        const int roll = std::uniform_int_distribution<int>(0, 99)(random);
        if (roll < 8) {
            save();
        } else if (roll < 40 && session.history.canUndo()) {
            undosOverASave += session.history.modified() ? 0 : 1;
            session.undo();
        } else if (roll < 55 && session.history.canRedo()) {
            session.redo();
        } else {
            static_cast<void>(randomEdit(session, random, action));
        }
        // Every day is built after each action, as in the test above: a day build sets the
        // stored times of the rows it places outside any step, and a recovery builds them
        // again only where they are still placed.
        const std::string now = session.saved();
        if (action % 20 == 19) {
            ASSERT_EQ(test::difference(recovered()->saved(), now), "");
        }
    }
    EXPECT_GT(undosOverASave, 5);
}

}  // namespace
}  // namespace kalvo
