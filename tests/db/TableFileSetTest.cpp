#include "db/TableFileSet.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include "db/Database.h"
#include "support/DatabaseFiles.h"

namespace kalvo {
namespace {

namespace fs = std::filesystem;
using FileSet = std::array<std::string, 3>;  // Type.xml, Event.xml, EventData.xml

constexpr std::string_view kNames[] = {kTypeFileName, kEventFileName, kEventDataFileName};

FileSet filesOf(const fs::path& folder) {
    FileSet files;
    for (std::size_t i = 0; i < files.size(); ++i) {
        files[i] = test::fileText((folder / kNames[i]).string());
    }
    return files;
}

void writeFiles(const fs::path& folder, const FileSet& files) {
    for (std::size_t i = 0; i < files.size(); ++i) {
        test::writeFileText((folder / kNames[i]).string(), files[i]);
    }
}

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

const std::set<std::string> kJustTheTables = {"Event.xml", "EventData.xml", "Type.xml"};

// A database of `rows` one-day appointments of one type named `typeName`.
void writeDatabaseOf(const fs::path& folder, const std::string& typeName, int rows) {
    std::string events;
    std::string eventData;
    for (int id = 0; id < rows; ++id) {
        const std::string n = std::to_string(id);
        events += "<ROW Id=\"" + n + "\" TypeId=\"0\"/>";
        eventData += "<ROW Id=\"" + n + "\" EventId=\"" + n +
                     "\" StartDate=\"20261207\" EndDate=\"20261207\" "
                     "StartTime=\"20261207T09:00:00000\" EndTime=\"20261207T10:00:00000\" "
                     "Comment=\"row " +
                     n + "\"/>";
    }
    test::writeDatabase(folder, "<ROW Id=\"0\" Name=\"" + typeName + "\"/>", events, eventData);
}

// The states a save can be interrupted in, rebuilt by hand: which temporary files were
// written, whether the record was, and which files were already renamed.
TEST(TableFileSet, AnInterruptedSaveOpensAsTheOldSetOrTheNewOneWithNothingLeft) {
    struct Case {
        const char* what;
        int temporariesWritten;  // of the three, in order
        bool recorded;
        int renamed;  // of the three, in order, after the record
        bool partialRecord;
        bool expectNew;
    };
    const Case cases[] = {
        {"killed while writing the first file", 1, false, 0, false, false},
        {"all three written, no record", 3, false, 0, false, false},
        {"killed while writing the record", 3, false, 0, true, false},
        {"recorded, nothing renamed", 3, true, 0, false, true},
        {"recorded, one renamed", 3, true, 1, false, true},
        {"recorded, all renamed, the record left", 3, true, 3, false, true},
    };
    const FileSet oldSet = {"old type", "old event", "old event data"};
    const FileSet newSet = {"new type", "new event", "new event data"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TemporaryFolder folder;
        writeFiles(folder.path(), oldSet);
        test::writeFileText(folder.file("Type.xml.backup"), "the user's own");
        std::string record;
        for (int i = 0; i < c.temporariesWritten; ++i) {
            const std::string temporary =
                std::string(kNames[i]) + ".a1B2c" + char('0' + i) + ".tmp";
            test::writeFileText(folder.file(temporary), newSet[static_cast<std::size_t>(i)]);
            record += temporary + "\n";
        }
        if (c.partialRecord) {
            test::writeFileText(folder.file(".kalvo-commit.Zz9Yy8.tmp"), record.substr(0, 10));
        }
        if (c.recorded) {
            test::writeFileText(folder.file(".kalvo-commit"), record);
            for (int i = 0; i < c.renamed; ++i) {
                fs::rename(folder.file(record.substr(0, record.find('\n'))),
                           folder.file(std::string(kNames[i])));
                record.erase(0, record.find('\n') + 1);
            }
        }

        completeInterruptedSave(folder.path().string() + "/");
        EXPECT_EQ(filesOf(folder.path()), c.expectNew ? newSet : oldSet);
        std::set<std::string> expectedNames = kJustTheTables;
        expectedNames.insert("Type.xml.backup");
        EXPECT_EQ(namesIn(folder.path()), expectedNames);
    }
}

TEST(TableFileSet, ARecordNamingFilesOtherThanTheTablesRenamesNothing) {
    test::TemporaryFolder folder;
    const FileSet oldSet = {"old type", "old event", "old event data"};
    writeFiles(folder.path(), oldSet);
    test::writeFileText(folder.file("notes.txt"), "keep");
    test::writeFileText(folder.file(".kalvo-commit"), "notes.txt\n../Type.xml.a1B2c3.tmp\n");
    completeInterruptedSave(folder.path().string() + "/");
    EXPECT_EQ(filesOf(folder.path()), oldSet);
    EXPECT_EQ(test::fileText(folder.file("notes.txt")), "keep");
    EXPECT_FALSE(fs::exists(folder.file(".kalvo-commit")));
}

// A child process saves (or backs up) the database and is killed at moments spread over the
// whole save; after each kill the folder opens to the old files or the new ones, whole.
TEST(TableFileSet, AKilledSaveOrBackupLeavesTheOldSetOrTheNewOne) {
    for (const bool backup : {false, true}) {
        SCOPED_TRACE(backup ? "backup" : "save");
        test::TemporaryFolder program;
        test::TemporaryFolder backupFolder;
        const fs::path& target = backup ? backupFolder.path() : program.path();
        writeDatabaseOf(program.path(), "Study", 2000);
        writeDatabaseOf(backupFolder.path(), "Study", 2000);
        const FileSet oldSet = filesOf(program.path());

        Database database(program.path().string() + "/");
        ASSERT_TRUE(database.openDatabase("", [](const std::string&) {}));
        Model model = database.readModel();
        model.types[0]->name = "Leisure";
        for (const auto& row : model.eventDataPanels) {
            row->comment = "changed";
        }
        const auto save = [&] {
            database.saveDatabase(model);
            if (backup) {
                database.writeBackup(backupFolder.path().string());
            }
        };

        // A save in a child, from the fork to its end, spans the moments to kill it at.
        const auto saveInChild = [&] {
            writeFiles(program.path(), oldSet);
            writeFiles(backupFolder.path(), oldSet);
            const pid_t child = ::fork();
            if (child == 0) {
                save();
                ::_exit(0);
            }
            return child;
        };
        const auto started = std::chrono::steady_clock::now();
        const pid_t whole = saveInChild();
        ASSERT_GE(whole, 0);
        int status = 0;
        ::waitpid(whole, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        const auto saveTime = std::chrono::steady_clock::now() - started;
        const FileSet newSet = filesOf(target);
        ASSERT_NE(newSet, oldSet);

        constexpr int kKills = 40;
        int sawOld = 0;
        int sawNew = 0;
        for (int kill = 0; kill <= kKills; ++kill) {
            const pid_t child = saveInChild();
            ASSERT_GE(child, 0);
            std::this_thread::sleep_for(saveTime * kill / kKills);
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);

            Database reopened(target.string() + "/");
            ASSERT_TRUE(
                reopened.openDatabase("", [](const std::string& text) { ADD_FAILURE() << text; }));
            const FileSet files = filesOf(target);
            EXPECT_TRUE(files == oldSet || files == newSet) << "killed at " << kill;
            sawOld += files == oldSet ? 1 : 0;
            sawNew += files == newSet ? 1 : 0;
            EXPECT_EQ(namesIn(target), kJustTheTables) << "killed at " << kill;
        }
        EXPECT_EQ(sawOld + sawNew, kKills + 1);
    }
}

}  // namespace
}  // namespace kalvo
