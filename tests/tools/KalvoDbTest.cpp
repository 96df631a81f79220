#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <vector>

#include "db/Database.h"
#include "db/DatabaseFolder.h"
#include "db/TableFileSet.h"
#include "history/EditHistory.h"
#include "history/RecoveryJournal.h"
#include "kalvo-db/Commands.h"
#include "support/DatabaseFiles.h"
#include "support/WeekDatabase.h"
#include "tools/ProcessRunner.h"
#include "types/TypeCommands.h"

namespace kalvo {
namespace {

using test::writeWeekDatabase;

using test::fileText;
using test::TemporaryFolder;
using test::writeDatabase;
using test::writeFileText;

constexpr std::string_view kHead =
    "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>";

std::string document(std::string_view fields, std::string_view params, std::string_view rows) {
    return std::string(kHead) + std::string(fields) + "</FIELDS>" + std::string(params) +
           "</METADATA><ROWDATA>" + std::string(rows) + "</ROWDATA></DATAPACKET>";
}

std::string sample(std::string_view name) {
    return std::string(KALVO_TEST_FIXTURES) + "/datapackets/" + std::string(name);
}

struct Output {
    int exitCode;
    std::string out;
    std::string err;
};

Output run(std::vector<std::string> arguments) {
    std::ostringstream out;
    std::ostringstream err;
    const int exitCode = runKalvoDb(arguments, out, err);
    return {exitCode, out.str(), err.str()};
}

// A database with a sub-type, an appointment with a deleted version kept for the change log,
// and a row whose appointment does not exist.
void writeSmallDatabase(const std::filesystem::path& folder) {
    writeDatabase(
        folder, "<ROW Id=\"0\" Name=\"Work\"/><ROW Id=\"1\" ParentTypeId=\"0\" Name=\"Meeting\"/>",
        "<ROW Id=\"0\" TypeId=\"0\"/><ROW RowState=\"2\" Id=\"1\" TypeId=\"0\"/>",
        "<ROW Id=\"0\" EventId=\"0\"/><ROW Id=\"1\" EventId=\"0\"/>"
        "<ROW Id=\"2\" EventId=\"9\"/>");
}

TEST(KalvoDbCheck, CountsWhatTheProgramSeesOrShowsItsMessage) {
    struct Case {
        const char* name;
        std::function<void(const std::filesystem::path&)> damage;
        int exitCode;
        std::string out;
        std::string errEnd;
    };
    const auto replaceFile = [](std::string_view file, std::string text) {
        return [file, text](const std::filesystem::path& folder) {
            writeFileText((folder / file).string(), text);
        };
    };
    std::string typesWithoutColor = test::tableFile(typeTableDefinition(), "");
    const std::string color = "<FIELD attrname=\"Color\" fieldtype=\"i4\"/>";
    typesWithoutColor.erase(typesWithoutColor.find(color), color.size());
    const std::vector<Case> cases = {
        {"whole database", [](const auto&) {}, kExitSuccess, "types 2, appointments 1, rows 3\n",
         ""},
        {"no folder", [](const auto& folder) { std::filesystem::remove_all(folder); }, kExitFailure,
         "", std::string(kNoDatabaseMessage) + "\n"},
        {"missing file",
         [](const auto& folder) { std::filesystem::remove(folder / kEventDataFileName); },
         kExitFailure, "", std::string(kNoDatabaseMessage) + "\n"},
        {"malformed file", replaceFile(kEventFileName, "garbage"), kExitFailure, "",
         "Event.xml\" at byte 0: the document does not start with '<'.\n"},
        {"missing column", replaceFile(kTypeFileName, typesWithoutColor), kExitFailure, "",
         "Field 'Color' not found\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TemporaryFolder folder;
        const auto database = folder.path() / "planner";
        writeSmallDatabase(database);
        c.damage(database);
        const Output result = run({"check", database.string()});
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(result.out, c.out);
        EXPECT_TRUE(result.err.ends_with(c.errEnd)) << result.err;
        if (!c.errEnd.empty()) {
            EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "one line of message";
        }
    }
}

// The program may be saving into the folder while kalvo-db reads it: the files of that save are
// left to it, and a save recorded but not finished is not read as half old, half new.
TEST(KalvoDbCheck, LeavesASaveIntoTheFolderAlone) {
    TemporaryFolder folder;
    writeSmallDatabase(folder.path());
    const std::string base = folder.path().string() + "/";
    Database program(base);
    ASSERT_TRUE(program.openDatabase("", [](const std::string&) {}));
    TableFileSetWriter save(base);
    save.write(kTypeFileName, program.dataType());
    save.write(kEventFileName, program.setEvent());
    const Output during = run({"check", folder.path().string()});
    EXPECT_EQ(during.exitCode, kExitSuccess) << during.err;
    save.write(kEventDataFileName, program.setEventData());
    EXPECT_NO_THROW(save.commit());

    writeFileText(base + std::string(kCommitRecordName), "Type.xml.AbCdEf.tmp\n");
    const Output pending = run({"day", folder.path().string(), "2026-12-09"});
    EXPECT_EQ(pending.exitCode, kExitFailure);
    EXPECT_EQ(pending.err, "A save into \"" + base +
                               "\" is unfinished: try again, or start Kalvo Planner on that "
                               "database to finish it.\n");
    EXPECT_TRUE(std::filesystem::exists(base + std::string(kCommitRecordName)));
}

TEST(KalvoDbDump, WritesCurrentRowsAsRfc4180Csv) {
    TemporaryFolder folder;
    const std::string file = folder.file("table.xml");
    writeFileText(
        file,
        document(
            "<FIELD attrname=\"Id\" fieldtype=\"i4\"/>"
            "<FIELD attrname=\"Name\" fieldtype=\"string\" WIDTH=\"40\"/>"
            "<FIELD attrname=\"Note\" fieldtype=\"bin.hex\" SUBTYPE=\"Text\" WIDTH=\"240\"/>"
            "<FIELD attrname=\"Done\" fieldtype=\"boolean\"/>"
            "<FIELD attrname=\"Starts\" fieldtype=\"dateTime\"/>"
            "<FIELD attrname=\"Day\" fieldtype=\"date\"/>"
            "<FIELD attrname=\"At\" fieldtype=\"time\"/>"
            "<FIELD fieldname=\"Price (EUR), net\" attrname=\"Price__EUR___net\" "
            "fieldtype=\"r8\"/>"
            "<FIELD attrname=\"Photo\" fieldtype=\"bin.hex\" SUBTYPE=\"Graphics\"/>",
            "<PARAMS/>",
            "<ROW Id=\"1\" Name=\"Smith, John\" Note=\"Line 1&#013;&#010;Line 2\" Done=\"TRUE\" "
            "Starts=\"20040712T09:30:15250\" Day=\"20040712\" At=\"09:30:05\" "
            "Price__EUR___net=\"859.57\" Photo=\"FFD8\"/>"
            "<ROW RowState=\"2\" Id=\"99\" Name=\"deleted\"/>"
            "<ROW RowState=\"8\" Id=\"2\" Name=\"Say &quot;hi&quot;\" Note=\"\" Done=\"FALSE\" "
            "Starts=\"18991230\" Price__EUR___net=\"0.1\"/>"
            "<ROW RowState=\"1\" Id=\"2\" Name=\"original\"/>"
            "<ROW Id=\"-3\" Name=\"Caf&#233; &#128;5\" Note=\"x&#010;y\" "
            "Price__EUR___net=\"-2.5E-7\"/>"));
    const Output result = run({"dump", file});
    EXPECT_EQ(result.exitCode, kExitSuccess) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out,
              "Id,Name,Note,Done,Starts,Day,At,\"Price (EUR), net\",Photo\r\n"
              "1,\"Smith, John\",\"Line 1\r\nLine 2\",TRUE,2004-07-12 09:30:15.250,2004-07-12,"
              "09:30:05.000,859.5700000000001,FFD8\r\n"
              "2,\"Say \"\"hi\"\"\",,FALSE,1899-12-30 00:00:00.000,,,0.1,\r\n"
              "-3,Caf\xC3\xA9 \xE2\x82\xAC"
              "5,\"x\ny\",,,,,-2.5e-07,\r\n");
}

TEST(KalvoDbDump, OutputThatCannotBeWrittenIsAFailure) {
    std::ostringstream out;
    std::ostringstream err;
    out.setstate(std::ios::badbit);
    EXPECT_EQ(dumpTable(sample("industry.xml"), out, err), kExitFailure);
    EXPECT_EQ(err.str(), "Cannot write the output.\n");
}

TEST(KalvoDbRoundtrip, RewritesTableFilesByteForByte) {
    TemporaryFolder folder;
    const std::string changeLog = folder.file("changes.xml");
    // Every kind of row state, a change log, known parameters and a parameter element.
    writeFileText(
        changeLog,
        document("<FIELD attrname=\"Id\" fieldtype=\"i4\"/>"
                 "<FIELD attrname=\"Name\" fieldtype=\"string\" WIDTH=\"20\"/>",
                 "<PARAMS DEFAULT_ORDER=\"1\" CHANGE_LOG=\"1 0 4 2 3 8 4 0 2\" LCID=\"1033\">"
                 "<PARAM Name=\"Custom\" Value=\"x\" Type=\"i4\" Roundtrip=\"True\"/></PARAMS>",
                 "<ROW RowState=\"4\" Id=\"1\" Name=\"new\"/>"
                 "<ROW RowState=\"8\" Id=\"2\" Name=\"changed\"/>"
                 "<ROW RowState=\"1\" Id=\"2\" Name=\"original\"/>"
                 "<ROW RowState=\"2\" Id=\"3\" Name=\"deleted\"/><ROW Id=\"4\" Name=\"kept\"/>"));
    for (const std::string& in : {changeLog, sample("employee.xml"), sample("events.xml")}) {
        SCOPED_TRACE(in);
        const std::string out = folder.file("out.xml");
        const Output result = run({"roundtrip", in, out});
        EXPECT_EQ(result.exitCode, kExitSuccess) << result.err;
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(fileText(out), fileText(in));
    }
}

TEST(KalvoDbResave, WritesWhatTheSaveCommandWrites) {
    TemporaryFolder folder;
    const auto source = folder.path() / "source";
    const auto saved = folder.path() / "saved";
    const auto resaved = folder.path() / "new" / "resaved";  // made by the command
    // Stored -1 parents, a null colour and values in unused columns all change on a save.
    const std::string types =
        "<ROW Id=\"0\" ParentTypeId=\"-1\" Name=\"Work\" CreatedDate=\"20040712\"/>"
        "<ROW Id=\"1\" ParentTypeId=\"0\" Name=\"Meeting\" Color=\"255\"/>";
    const std::string events =
        "<ROW Id=\"0\" TypeId=\"1\" StartDate=\"20040712\" ToDo=\"TRUE\" Comment=\"old\"/>";
    const std::string rows =
        "<ROW Id=\"0\" EventId=\"0\" StartDate=\"20040712\" StartTime=\"20040712T09:30:00000\" "
        "Cost=\"2.5\" Currency=\"EUR\" Comment=\"kept\"/>";
    writeDatabase(source, types, events, rows);
    writeDatabase(saved, types, events, rows);

    Database program(saved.string() + "/");
    ASSERT_TRUE(program.openDatabase("", [](const std::string& text) { FAIL() << text; }));
    program.saveDatabase(program.readModel());

    const std::string before = fileText((source / kTypeFileName).string());
    const Output result = run({"resave", source.string(), resaved.string()});
    EXPECT_EQ(result.exitCode, kExitSuccess) << result.err;
    EXPECT_EQ(result.err, "");
    for (const std::string_view name : {kTypeFileName, kEventFileName, kEventDataFileName}) {
        SCOPED_TRACE(name);
        const std::string text = fileText((resaved / name).string());
        EXPECT_EQ(text, fileText((saved / name).string()));
        EXPECT_NE(text.find("<ROW RowState=\"4\" Id=\"0\""), std::string::npos);
        for (const char* unused : {"CreatedDate=", "ToDo=", "Cost=", "Currency=", "\"old\""}) {
            EXPECT_EQ(text.find(unused), std::string::npos) << unused;
        }
    }
    EXPECT_NE(fileText((resaved / kTypeFileName).string())
                  .find("<ROW RowState=\"4\" Id=\"0\" Name=\"Work\" Importance=\"0\""),
              std::string::npos);
    EXPECT_EQ(fileText((source / kTypeFileName).string()), before);
}

// A session that added and renamed types, journaled and never saved: recover writes what its
// Save would have written, and leaves the folder as it was.
TEST(KalvoDbRecover, WritesTheSavedDatabaseWithTheJournalsChanges) {
    TemporaryFolder folder;
    const auto source = folder.path() / "source";
    writeSmallDatabase(source);
    const std::string base = source.string() + "/";
    Database program(base);
    ASSERT_TRUE(program.openDatabase("", [](const std::string& text) { FAIL() << text; }));
    Model model = program.readModel();
    EditHistory history(model);
    JournalWriter journal(base);
    journal.start(savedFilesOf(base));
    history.setRecordListener([&](const std::string& record) { journal.append(record); });
    history.record("Add Event Type", typeEditScope(model, nullptr), {},
                   [&] { createType(model, model.types[0].get()); });
    history.record("Rename Work", typeEditScope(model, model.types[0].get()), {},
                   [&] { model.types[0]->name = "Job"; });
    history.undo();
    history.redo();
    const auto expected = folder.path() / "expected";
    std::filesystem::create_directory(expected);
    program.saveDatabaseTo(model, expected.string() + "/");
    const std::string savedType = fileText((source / kTypeFileName).string());

    const auto recovered = folder.path() / "recovered";
    const Output result = run({"recover", source.string(), recovered.string()});
    EXPECT_EQ(result.exitCode, kExitSuccess) << result.err;
    EXPECT_EQ(result.out, "Recovered 2 changes into \"" + recovered.string() + "\".\n");
    for (const std::string_view name : {kTypeFileName, kEventFileName, kEventDataFileName}) {
        EXPECT_EQ(fileText((recovered / name).string()), fileText((expected / name).string()))
            << name;
    }
    EXPECT_EQ(fileText((source / kTypeFileName).string()), savedType);

    // The journal of other files is refused; without a journal there is nothing to recover.
    writeDatabase(source, "<ROW Id=\"0\" Name=\"Other\"/>", "", "");
    EXPECT_EQ(run({"recover", source.string(), recovered.string()}).err,
              "The recovery journal does not belong to the saved database files.\n");
    journal.remove();
    const Output none = run({"recover", source.string(), recovered.string()});
    EXPECT_EQ(none.exitCode, kExitFailure);
    EXPECT_EQ(none.err, "There is no recovery journal in \"" + source.string() + "\".\n");
}

TEST(KalvoDbFailures, TouchNoOutputWhenTheInputCannotBeRead) {
    struct Case {
        const char* name;
        std::vector<std::string> arguments;  // "$" stands for the test's folder
        std::string errStart;                // likewise
        std::string errEnd;
    };
    const std::vector<Case> cases = {
        {"dump of a missing file",
         {"dump", "$/missing.xml"},
         "Cannot open file \"$/missing.xml\".",
         "No such file or directory\n"},
        {"dump of a malformed file", {"dump", "$/bad.xml"}, "", "does not start with '<'.\n"},
        {"roundtrip of a missing file",
         {"roundtrip", "$/missing.xml", "$/out.xml"},
         "Cannot open file \"$/missing.xml\".",
         "No such file or directory\n"},
        {"roundtrip of a malformed file",
         {"roundtrip", "$/bad.xml", "$/out.xml"},
         "",
         "does not start with '<'.\n"},
        {"roundtrip into a missing folder",
         {"roundtrip", "$/good.xml", "$/none/out.xml"},
         "Cannot create file \"$/none/out.xml\".",
         "No such file or directory\n"},
        {"resave of a broken database",
         {"resave", "$/broken", "$/out"},
         "",
         "does not start with '<'.\n"},
        {"resave of no database",
         {"resave", "$/none", "$/out"},
         "",
         std::string(kNoDatabaseMessage) + "\n"},
        {"resave into a folder that cannot be made",
         {"resave", "$/good", "$/good.xml/out"},
         "Cannot create folder \"$/good.xml/out\".",
         "Not a directory\n"},
    };
    const auto expand = [](std::string text, const std::string& folder) {
        for (std::size_t at; (at = text.find('$')) != std::string::npos;) {
            text.replace(at, 1, folder);
        }
        return text;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TemporaryFolder folder;
        const std::string base = folder.path().string();
        writeFileText(base + "/bad.xml", "garbage");
        writeFileText(base + "/good.xml", fileText(sample("industry.xml")));
        writeFileText(base + "/out.xml", "previous");
        writeSmallDatabase(base + "/good");
        writeSmallDatabase(base + "/broken");
        writeFileText(base + "/broken/EventData.xml", "garbage");
        std::filesystem::create_directories(base + "/out");
        writeFileText(base + "/out/Type.xml", "previous");

        std::vector<std::string> arguments;
        for (const std::string& argument : c.arguments) {
            arguments.push_back(expand(argument, base));
        }
        const Output result = run(arguments);

        EXPECT_EQ(result.exitCode, kExitFailure);
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(result.err.starts_with(expand(c.errStart, base))) << result.err;
        EXPECT_TRUE(result.err.ends_with(c.errEnd)) << result.err;
        EXPECT_EQ(fileText(base + "/out.xml"), "previous");
        EXPECT_EQ(fileText(base + "/out/Type.xml"), "previous");
        EXPECT_FALSE(std::filesystem::exists(base + "/out/Event.xml"));
        EXPECT_FALSE(std::filesystem::exists(base + "/none"));
        // Nothing is left behind: no temporary file of a write that never happened.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(base),
                                std::filesystem::directory_iterator()),
                  6);
    }
}

TEST(KalvoDbUsage, WrongCommandLinesGetTheUsageText) {
    const std::vector<std::vector<std::string>> commandLines = {
        {},
        {"verify", "folder"},
        {"check"},
        {"check", "a", "b"},
        {"dump"},
        {"roundtrip", "in"},
        {"roundtrip", "in", "out", "more"},
        {"resave", "folder"},
        {"CHECK", "folder"},
    };
    for (const auto& commandLine : commandLines) {
        SCOPED_TRACE(::testing::PrintToString(commandLine));
        const Output result = run(commandLine);
        EXPECT_EQ(result.exitCode, kExitUsage);
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(result.err.starts_with("kalvo-db: ")) << result.err;
        EXPECT_NE(result.err.find("Usage: kalvo-db COMMAND"), std::string::npos) << result.err;
    }
    const Output help = run({"--help"});
    EXPECT_EQ(help.exitCode, kExitSuccess);
    EXPECT_TRUE(help.out.starts_with("Usage: kalvo-db COMMAND"));
    EXPECT_EQ(help.err, "");
}

TEST(KalvoDbProgram, RunsFromTheCommandLine) {
    TemporaryFolder folder;
    writeSmallDatabase(folder.path());
    const test::ProcessResult good =
        test::runProcess(KALVO_DB_EXECUTABLE, {"check", folder.path().string()});
    EXPECT_EQ(good.exitCode, kExitSuccess) << good.err;
    EXPECT_EQ(good.out, "types 2, appointments 1, rows 3\n");
    EXPECT_EQ(good.err, "");

    const test::ProcessResult usage = test::runProcess(KALVO_DB_EXECUTABLE, {});
    EXPECT_EQ(usage.exitCode, kExitUsage);
    EXPECT_NE(usage.err.find("Usage: kalvo-db COMMAND"), std::string::npos);
}

}  // namespace
}  // namespace kalvo

namespace kalvo {
namespace {

// What the timeline shows of the week database.
TEST(KalvoDbDay, ListsTheOccurrencesAsTheTimelineShowsThem) {
    test::TemporaryFolder folder;
    writeWeekDatabase(folder.path());
    struct Case {
        const char* date;
        std::string listing;
    };
    const std::vector<Case> cases = {
        {"2026-12-07",
         "0\t0\t0\tWork\t09:00\t12:00\t09:00\t11:00\t-\n"
         "1\t1\t1\tMeeting\t10:00\t10:30\t10:00\t10:30\t-\n"
         "2\t2\t0\tSleep\t23:00\t24:00\t23:00\t24:00\t-\n"},
        {"2026-12-09",
         "0\t0\t0\tWork\t09:00\t12:00\t09:00\t11:00\t-\n"
         "1\t1\t1\tMeeting\t10:00\t10:30\t10:00\t10:30\t-\n"
         "3\t2\t0\tSleep\t23:00\t24:00\t23:00\t24:00\tdeleted\n"},
        {"2026-12-12", ""},  // Saturday: the series skips weekends, the sleep rows have ended
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.date);
        const Output result = run({"day", folder.path().string(), c.date});
        EXPECT_EQ(result.exitCode, kExitSuccess) << result.err;
        EXPECT_EQ(result.out, c.listing);
    }
    const Output badDate = run({"day", folder.path().string(), "2026-02-30"});
    EXPECT_EQ(badDate.exitCode, kExitUsage);
    EXPECT_EQ(badDate.err, "The date '2026-02-30' is not a date of the form YYYY-MM-DD.\n");
}

// The stored times as they are (Work's 09:01 is not snapped), sub-appointments left out, a
// deleted day counted, and the rest of the range's hours not specified.
TEST(KalvoDbTimeSplit, ListsTheSlicesTheChartDraws) {
    test::TemporaryFolder folder;
    writeWeekDatabase(folder.path());
    struct Case {
        const char* from;
        const char* to;
        std::string listing;
    };
    const std::vector<Case> cases = {
        {"2026-12-07", "2026-12-08",
         "Work\t6.0\t32768\nSleep\t2.0\t32768\nNot Specified\t40.0\t8421504\n"},
        {"2026-12-09", "2026-12-09",
         "Work\t3.0\t32768\nSleep\t1.0\t32768\nNot Specified\t20.0\t8421504\n"},
        {"2026-12-12", "2026-12-12", "Not Specified\t24.0\t8421504\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " " + c.to);
        const Output result = run({"timesplit", folder.path().string(), c.from, c.to});
        EXPECT_EQ(result.exitCode, kExitSuccess) << result.err;
        EXPECT_EQ(result.out, c.listing);
    }
    const Output badDate = run({"timesplit", folder.path().string(), "2026-12-07", "tomorrow"});
    EXPECT_EQ(badDate.exitCode, kExitUsage);
    EXPECT_EQ(badDate.err, "The date 'tomorrow' is not a date of the form YYYY-MM-DD.\n");
    EXPECT_EQ(badDate.out, "");
}

// Work ran over its plan every day; the deleted night of sleep was planned and not slept; the
// meeting lies within Work's hours.
TEST(KalvoDbPlan, ListsThePlanAgainstWhatHappenedPerType) {
    test::TemporaryFolder folder;
    writeWeekDatabase(folder.path());
    const std::string path = folder.path().string();
    const Output table = run({"plan", path, "2026-12-07", "2026-12-09"});
    EXPECT_EQ(table.exitCode, kExitSuccess) << table.err;
    EXPECT_EQ(table.out,
              "Type\tPlanned (h)\tActual (h)\tDifference (h)\tRatio (%)\n"
              "Work\t6.00\t8.95\t2.95\t149\n"
              "Sleep\t3.00\t2.00\t-1.00\t67\n"
              "Started on time: 5 of 6 (83 %)\n");
    const Output csv = run({"plan", path, "2026-12-07", "2026-12-09", "--csv"});
    EXPECT_EQ(csv.out,
              "Type,Planned (h),Actual (h),Difference (h),Ratio (%)\r\n"
              "Work,6.00,8.95,2.95,149\r\nSleep,3.00,2.00,-1.00,67\r\n");
    EXPECT_EQ(run({"plan", path, "2026-12-12", "2026-12-12"}).out,
              "Type\tPlanned (h)\tActual (h)\tDifference (h)\tRatio (%)\n"
              "Started on time: 0 of 0\n");
    EXPECT_EQ(run({"plan", path, "2026-12-07", "2026-12-09", "--tsv"}).exitCode, kExitUsage);
}

// Two types of one name under different parents, each with an appointment of its own (a type
// moved in the tree keeps its appointments where they are).
TEST(KalvoDbPlan, NamesEachTypeByItsPath) {
    test::TemporaryFolder folder;
    test::writeDatabase(
        folder.path(),
        "<ROW Id=\"0\" Name=\"Sport\"/><ROW Id=\"1\" ParentTypeId=\"0\" Name=\"Gym\"/>"
        "<ROW Id=\"2\" Name=\"Rehab\"/><ROW Id=\"3\" ParentTypeId=\"2\" Name=\"Gym\"/>",
        "<ROW Id=\"0\" TypeId=\"1\"/><ROW Id=\"1\" TypeId=\"3\"/>",
        "<ROW Id=\"0\" EventId=\"0\" StartDate=\"20261207\" EndDate=\"20261207\" "
        "StartTime=\"20261207T07:00:00000\" EndTime=\"20261207T08:00:00000\" "
        "OriginalStartTime=\"20261207T07:00:00000\" OriginalEndTime=\"20261207T08:00:00000\"/>"
        "<ROW Id=\"1\" EventId=\"1\" StartDate=\"20261207\" EndDate=\"20261207\" "
        "StartTime=\"20261207T18:00:00000\" EndTime=\"20261207T18:30:00000\" "
        "OriginalStartTime=\"20261207T18:00:00000\" OriginalEndTime=\"20261207T18:30:00000\"/>");
    EXPECT_EQ(run({"plan", folder.path().string(), "2026-12-07", "2026-12-07", "--csv"}).out,
              "Type,Planned (h),Actual (h),Difference (h),Ratio (%)\r\n"
              "Sport/Gym,1.00,1.00,0.00,100\r\nRehab/Gym,0.50,0.50,0.00,100\r\n");
}

// A range that ends before it begins is a wrong command line, as in the window's range dialog.
TEST(KalvoDbRanges, ARangeEndingBeforeItBeginsIsRefused) {
    test::TemporaryFolder folder;
    writeWeekDatabase(folder.path());
    const std::string path = folder.path().string();
    for (const std::vector<std::string>& commandLine : std::vector<std::vector<std::string>>{
             {"plan", path, "2026-12-09", "2026-12-07"},
             {"timesplit", path, "2026-12-09", "2026-12-07"},
             {"csv", path, "2026-12-09", "2026-12-07", "occurrences"},
             {"ics", path, "2026-12-09", "2026-12-07"}}) {
        SCOPED_TRACE(commandLine.front());
        const Output result = run(commandLine);
        EXPECT_EQ(result.exitCode, kExitUsage);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "The range ends on 2026-12-07, before it begins on 2026-12-09.\n");
    }
    EXPECT_EQ(run({"plan", path, "2026-12-07", "2026-12-07"}).exitCode, kExitSuccess)
        << "a range of one day";
}

// The listing of `day` without the ids (the first two columns) and without deleted
// occurrences, which an export leaves out.
std::string dayWithoutIds(const std::filesystem::path& folder, const std::string& day) {
    std::istringstream listing(run({"day", folder.string(), day}).out);
    std::string kept;
    for (std::string line; std::getline(listing, line);) {
        if (!line.ends_with("\tdeleted")) {
            kept += line.substr(line.find('\t', line.find('\t') + 1) + 1) + "\n";
        }
    }
    return kept;
}

// Our export of a range, imported into a database with the same types and no appointments,
// shows every date of the range as the database it came from; a second import adds nothing.
TEST(KalvoDbImport, OurExportComesBackWholeAndOnlyOnce) {
    TemporaryFolder source;
    TemporaryFolder target;
    TemporaryFolder scratch;
    writeWeekDatabase(source.path());
    writeDatabase(target.path(), "", "", "");
    std::filesystem::copy_file(source.file("Type.xml"), target.file("Type.xml"),
                               std::filesystem::copy_options::overwrite_existing);
    const std::string file = scratch.file("week.ics");
    ASSERT_EQ(run({"ics", source.path().string(), "2026-12-05", "2026-12-13", file}).exitCode,
              kExitSuccess);

    const Output imported = run({"import-ics", target.path().string(), file});
    ASSERT_EQ(imported.exitCode, kExitSuccess) << imported.err;
    EXPECT_EQ(imported.out, "Added 12 appointments (5 sub-appointments).\n");
    for (int dayOfMonth = 5; dayOfMonth <= 13; ++dayOfMonth) {
        const std::string day =
            "2026-12-" + std::string(dayOfMonth < 10 ? "0" : "") + std::to_string(dayOfMonth);
        EXPECT_EQ(dayWithoutIds(target.path(), day), dayWithoutIds(source.path(), day)) << day;
    }
    const std::string files = fileText(target.file("EventData.xml"));
    const Output again = run({"import-ics", target.path().string(), file});
    EXPECT_EQ(again.out,
              "Added 0 appointments. 12 events are in the database already and left out.\n");
    EXPECT_EQ(fileText(target.file("EventData.xml")), files);
}

// A refused import leaves the database as it was and says why.
TEST(KalvoDbImport, ARefusedImportChangesNothingAndSaysWhy) {
    TemporaryFolder folder;
    TemporaryFolder scratch;
    writeWeekDatabase(folder.path());
    const std::string good = scratch.file("good.ics");
    writeFileText(good,
                  "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:x\r\n"
                  "DTSTART:20261210T090000\r\nDTEND:20261210T100000\r\nEND:VEVENT\r\n"
                  "END:VCALENDAR\r\n");
    const std::string broken = scratch.file("broken.ics");
    writeFileText(broken,
                  "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:x\r\n"
                  "DTSTART:20261210T250000\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    struct Case {
        const char* what;
        std::vector<std::string> arguments;
        std::function<void()> prepare;
        int exitCode;
        std::string error;  // the start of it
    };
    const std::string path = folder.path().string();
    const Case cases[] = {
        {"a fault in the file",
         {"import-ics", path, broken},
         [] {},
         kExitFailure,
         broken + ": Line 5: DTSTART has no valid date or time"},
        {"an event without a type",
         {"import-ics", path, good},
         [] {},
         kExitFailure,
         good + ": Line 3: the event \"\" names no type"},
        {"a type the database lacks",
         {"import-ics", path, good, "--type", "Work/Gym"},
         [] {},
         kExitFailure,
         "The database has no type Work/Gym."},
        {"a range without its end",
         {"import-ics", path, good, "--from", "2026-12-01"},
         [] {},
         kExitUsage,
         "kalvo-db: --from and --to go together"},
        {"the folder open in the program",
         {"import-ics", path, good, "--type", "Work"},
         [&] {
             writeFileText(folder.file(std::string(kLockFileName)),
                           std::to_string(getpid()) + "\nkalvo-planner\n\n");
         },
         kExitFailure,
         "Kalvo Planner has the database in"},
        {"unsaved changes in a journal",
         {"import-ics", path, good, "--type", "Work"},
         [&] {
             std::filesystem::remove(folder.file(std::string(kLockFileName)));
             writeFileText(folder.file(std::string(kJournalName)), "journal");
         },
         kExitFailure,
         "The database in"},
    };
    const std::string before = fileText(folder.file("EventData.xml"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.prepare();
        const Output result = run(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(result.err.rfind(c.error, 0), 0U) << result.err;
        EXPECT_EQ(fileText(folder.file("EventData.xml")), before);
    }
    std::filesystem::remove(folder.file(std::string(kJournalName)));
    const Output imported = run({"import-ics", path, good, "--type", "Work"});
    EXPECT_EQ(imported.exitCode, kExitSuccess) << imported.err;
    EXPECT_EQ(imported.out, "Added 1 appointment.\n");
}

TEST(KalvoDbCalendarDay, ListsTheEventsOfADateAsTheLaneShowsThem) {
    const TemporaryFolder folder;
    const std::string file = folder.file("team.ics");
    writeFileText(
        file,
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n"
        "BEGIN:VEVENT\r\nUID:late\r\nSUMMARY:Release night\r\nDTSTART:20261209T220000\r\n"
        "DTEND:20261210T013000\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:fair\r\nSUMMARY:Fair\r\nDTSTART;VALUE=DATE:20261210\r\n"
        "DTEND;VALUE=DATE:20261211\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:standup\r\nSUMMARY:Stand-up\r\nDTSTART:20261207T091500\r\n"
        "DTEND:20261207T093000\r\nRRULE:FREQ=DAILY;COUNT=5\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:standup\r\nRECURRENCE-ID:20261210T091500\r\nSUMMARY:Stand-up, late\r\n"
        "DTSTART:20261210T100000\r\nDTEND:20261210T101500\r\nEND:VEVENT\r\n"
        "END:VCALENDAR\r\n");
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        std::string out;
    };
    const Case cases[] = {
        {{"calendar-day", file, "2026-12-09"},
         0,
         "09:15-09:30\tStand-up\tstandup\n22:00-24:00\tRelease night\tlate\n"},
        {{"calendar-day", file, "2026-12-10", "--user", "ann"},
         0,
         "00:00-01:30\tRelease night\tlate\nall day\tFair\tfair\n"
         "10:00-10:15\tStand-up, late\tstandup\t2026-12-10T09:15\n"},
        {{"calendar-day", "http://127.0.0.1:9/ann/work/", "2026-12-10"}, 1, ""},
        {{"calendar-day", file, "2026-12-10", "--password", "x"}, 2, ""},
    };
    for (const Case& c : cases) {
        const Output result = run(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_EQ(result.out, c.out);
    }
}

}  // namespace
}  // namespace kalvo
