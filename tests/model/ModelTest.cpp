#include <gtest/gtest.h>

#include <atomic>

#include "db/Database.h"
#include "support/DatabaseFiles.h"

namespace kalvo {
namespace {

using test::fileText;
using test::TemporaryFolder;
using test::writeDatabase;

// The rows of a table file, between <ROWDATA> and </ROWDATA>.
std::string rowsOf(const std::string& path) {
    const std::string text = fileText(path);
    const std::size_t start = text.find("<ROWDATA>") + 9;
    return text.substr(start, text.rfind("</ROWDATA>") - start);
}

class DatabaseTest : public ::testing::Test {
protected:
    std::string programFolder() const { return folder.path().string() + "/"; }
    std::string programFile(std::string_view name) const {
        return programFolder() + std::string(name);
    }

    Model open(const std::string& types, const std::string& events, const std::string& rows) {
        writeDatabase(folder.path(), types, events, rows);
        EXPECT_TRUE(database.openDatabase("", reportError)) << errors;
        return database.readModel();
    }

    TemporaryFolder folder;
    Database database{programFolder()};
    std::string errors;
    Database::ErrorReporter reportError = [this](const std::string& text) { errors += text; };
};

TEST_F(DatabaseTest, SaveWritesTheTypeFileOfTheWorkedExample) {
    Model model = open("", "", "");
    auto type = std::make_unique<EventType>();
    type->name = "Work & Study";
    type->importance = 2;
    type->longComment = "Line 1\r\nLine 2";
    type->beforeAlarmDelay = 5;
    type->excludeWeekends = true;
    model.types.push_back(std::move(type));
    database.saveDatabase(model);
    EXPECT_EQ(
        fileText(programFile(kTypeFileName)),
        "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA>"
        "<FIELDS><FIELD attrname=\"Id\" fieldtype=\"i4\"/><FIELD attrname=\"ParentTypeId\" "
        "fieldtype=\"i4\"/><FIELD attrname=\"Name\" fieldtype=\"string\" WIDTH=\"64\"/><FIELD "
        "attrname=\"Importance\" fieldtype=\"i2\"/><FIELD attrname=\"Comment\" "
        "fieldtype=\"string\" WIDTH=\"255\"/><FIELD attrname=\"LongComment\" "
        "fieldtype=\"bin.hex\" SUBTYPE=\"Text\" WIDTH=\"240\"/><FIELD attrname=\"BeforeAlarm\" "
        "fieldtype=\"boolean\"/><FIELD attrname=\"BeforeAlarmDelay\" fieldtype=\"i2\"/><FIELD "
        "attrname=\"BeforeAlarmRepeatType\" fieldtype=\"i2\"/><FIELD attrname=\"AfterAlarm\" "
        "fieldtype=\"boolean\"/><FIELD attrname=\"AfterAlarmDelay\" fieldtype=\"i2\"/><FIELD "
        "attrname=\"AfterAlarmRepeatType\" fieldtype=\"i2\"/><FIELD attrname=\"AfterAlarmFile\" "
        "fieldtype=\"string\" WIDTH=\"255\"/><FIELD attrname=\"BeforeAlarmFile\" "
        "fieldtype=\"string\" WIDTH=\"255\"/><FIELD attrname=\"ExcludeWeekends\" "
        "fieldtype=\"boolean\"/><FIELD attrname=\"Flags\" fieldtype=\"i4\"/><FIELD "
        "attrname=\"CreatedDate\" fieldtype=\"dateTime\"/><FIELD attrname=\"ModifiedDate\" "
        "fieldtype=\"dateTime\"/><FIELD attrname=\"Color\" fieldtype=\"i4\"/></FIELDS><PARAMS "
        "CHANGE_LOG=\"1 0 4\"/></METADATA><ROWDATA><ROW RowState=\"4\" Id=\"0\" Name=\"Work "
        "&amp; Study\" Importance=\"2\" Comment=\"\" LongComment=\"Line 1&#013;&#010;Line 2\" "
        "BeforeAlarm=\"FALSE\" BeforeAlarmDelay=\"5\" BeforeAlarmRepeatType=\"0\" "
        "AfterAlarm=\"FALSE\" AfterAlarmDelay=\"0\" AfterAlarmRepeatType=\"0\" "
        "AfterAlarmFile=\"\" BeforeAlarmFile=\"\" ExcludeWeekends=\"TRUE\" Flags=\"0\" "
        "Color=\"32768\"/></ROWDATA></DATAPACKET>");
}

TEST_F(DatabaseTest, SaveWritesTheEventDataRowOfTheWorkedExample) {
    Model model = open("", "", "");
    auto row = std::make_unique<EventDataRow>();
    const DateTime day = 38180;  // 12 July 2004
    row->startDate = row->endDate = day;
    row->startTime = row->originalStartTime = day + 9.5 / 24;
    row->endTime = row->originalEndTime = day + 10.75 / 24;
    row->startDelta = row->originalStartDelta = 228;
    model.eventDataPanels.push_back(std::move(row));
    database.saveDatabase(model);
    EXPECT_EQ(rowsOf(programFile(kEventDataFileName)),
              "<ROW RowState=\"4\" Id=\"0\" EventId=\"0\" StartDate=\"20040712\" "
              "EndDate=\"20040712\" StartTime=\"20040712T09:30:00000\" "
              "EndTime=\"20040712T10:45:00000\" RepeatType=\"0\" RepeatValue=\"0\" Comment=\"\" "
              "ExcludeWeekends=\"FALSE\" OriginalStartTime=\"20040712T09:30:00000\" "
              "OriginalEndTime=\"20040712T10:45:00000\" OriginalCompleted=\"FALSE\" "
              "OriginalImportance=\"0\" OriginalProgress=\"0\" OriginalComment=\"\" "
              "OriginalFlags=\"0\" Deleted=\"FALSE\" StartDelta=\"228\" "
              "OriginalStartDelta=\"228\"/>");
}

TEST_F(DatabaseTest, EmptyTablesGiveEmptyListsAndFirstIdsZero) {
    const Model model = open("", "", "");
    EXPECT_TRUE(model.types.empty() && model.events.empty() && model.eventDataPanels.empty());
    EXPECT_EQ(model.nextTypeId(), 0);
    EXPECT_EQ(model.nextEventId(), 0);
    EXPECT_EQ(model.nextEventDataId(), 0);
}

TEST_F(DatabaseTest, TypesLinkToTheirParentsAndWriteBackTheirDefaults) {
    Model model = open(
        "<ROW Id=\"0\" ParentTypeId=\"-1\" Name=\"Work\"/><ROW Id=\"5\" ParentTypeId=\"0\" "
        "Name=\"Meeting\" Color=\"255\"/><ROW Id=\"2\" ParentTypeId=\"9\" Name=\"Orphan\"/>",
        "", "");
    ASSERT_EQ(model.types.size(), 3U);
    EXPECT_EQ(model.types[0]->parentId, -1);
    EXPECT_EQ(model.types[0]->parent, nullptr);
    EXPECT_EQ(model.types[0]->color, kDefaultTypeColor);
    EXPECT_EQ(model.types[1]->parent, model.types[0].get());
    EXPECT_EQ(model.types[1]->color, 255);
    EXPECT_EQ(model.types[2]->parent, nullptr);
    EXPECT_EQ(model.findType(5), model.types[1].get());
    EXPECT_EQ(model.typeNameOf(2), "Orphan");
    EXPECT_EQ(model.typeNameOf(7), "");
    // The id rule takes the last type, not the largest id.
    EXPECT_EQ(model.nextTypeId(), 3);
    model.types.pop_back();
    EXPECT_EQ(model.nextTypeId(), 6);

    database.saveDatabase(model);
    const std::string rows = rowsOf(programFile(kTypeFileName));
    EXPECT_NE(rows.find("<ROW RowState=\"4\" Id=\"0\" Name=\"Work\" Importance=\"0\""),
              std::string::npos);
    EXPECT_NE(rows.find("Flags=\"0\" Color=\"32768\"/><ROW RowState=\"4\" Id=\"5\" "
                        "ParentTypeId=\"0\" Name=\"Meeting\""),
              std::string::npos);
}

TEST_F(DatabaseTest, RowsAndAppointmentsLinkAsTheScansFindThem) {
    const Model model = open(
        "<ROW Id=\"0\" Name=\"Work\"/><ROW Id=\"1\" Name=\"Lunch\"/>",
        // Two appointments share id 1; appointment 3 names itself and then appointment 1;
        // appointment 4 names a parent that does not exist.
        "<ROW Id=\"1\" TypeId=\"0\"/><ROW Id=\"1\" TypeId=\"1\"/><ROW Id=\"3\" TypeId=\"0\" "
        "ParentEventId=\"1\"/><ROW Id=\"4\" TypeId=\"0\" ParentEventId=\"8\"/>"
        "<ROW Id=\"5\" TypeId=\"9\"/>",
        "<ROW Id=\"0\" EventId=\"1\"/><ROW Id=\"1\" EventId=\"7\"/><ROW Id=\"2\" EventId=\"5\"/>");
    const auto& events = model.events;
    const auto& rows = model.eventDataPanels;

    EXPECT_EQ(events[0]->eventData, std::vector<EventDataRow*>{rows[0].get()});
    EXPECT_EQ(events[1]->eventData, std::vector<EventDataRow*>{rows[0].get()});
    EXPECT_EQ(rows[0]->event, events[1].get());
    EXPECT_EQ(rows[0]->typeName, "Lunch");

    EXPECT_EQ(rows[1]->event, nullptr);
    EXPECT_EQ(rows[1]->typeName, "");
    EXPECT_EQ(events[4]->type, nullptr);
    EXPECT_EQ(rows[2]->event, events[4].get());
    EXPECT_EQ(rows[2]->typeName, "");

    EXPECT_EQ(events[2]->parent, events[0].get());
    EXPECT_EQ(events[0]->children, std::vector<Event*>{events[2].get()});
    EXPECT_EQ(events[3]->parent, nullptr);
    EXPECT_EQ(model.rootEvents,
              (std::vector<Event*>{events[0].get(), events[1].get(), events[4].get()}));
    EXPECT_EQ(events[0]->type, model.types[0].get());
}

// Every link of a model written as positions in its own lists; a pointer into another model
// shows as "?".
std::string linksOf(const Model& model) {
    const auto at = [](const auto& list, const auto* object) -> std::string {
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (list[i].get() == object) {
                return std::to_string(i);
            }
        }
        return object == nullptr ? "-" : "?";
    };
    std::string links;
    for (const auto& type : model.types) {
        links += "t" + at(model.types, type->parent) + " ";
    }
    for (const auto& event : model.events) {
        links += "e" + at(model.types, event->type) + "," + at(model.events, event->parent);
        for (const Event* child : event->children) {
            links += "c" + at(model.events, child);
        }
        for (const EventDataRow* row : event->eventData) {
            links += "r" + at(model.eventDataPanels, row);
        }
        links += " ";
    }
    for (const auto& row : model.eventDataPanels) {
        links += "d" + at(model.events, row->event) + " ";
    }
    for (const auto* views : {&model.dayPanels, &model.chartPanels}) {
        for (const EventDataRow* row : *views) {
            links += "v" + at(model.eventDataPanels, row);
        }
    }
    for (const Event* root : model.rootEvents) {
        links += "o" + at(model.events, root);
    }
    return links + " s" + at(model.eventDataPanels, model.selectedPanel) + " h" +
           at(model.eventDataPanels, model.hoverPanel);
}

TEST_F(DatabaseTest, CopyKeepsEveryLinkAndSharesNoObject) {
    // Shared appointment ids, a parent by a second id, a missing parent and type: the copy
    // keeps the links as they are, not as a new load would make them.
    Model model = open(
        "<ROW Id=\"0\" Name=\"Work\"/><ROW Id=\"1\" ParentTypeId=\"0\" "
        "Name=\"Meeting\"/>",
        "<ROW Id=\"1\" TypeId=\"0\"/><ROW Id=\"1\" TypeId=\"1\"/><ROW Id=\"3\" "
        "TypeId=\"1\" ParentEventId=\"1\"/><ROW Id=\"4\" TypeId=\"9\" "
        "ParentEventId=\"8\"/>",
        "<ROW Id=\"0\" EventId=\"1\"/><ROW Id=\"1\" EventId=\"3\"/>"
        "<ROW Id=\"2\" EventId=\"4\"/>");
    model.dayPanels = {model.eventDataPanels[1].get(), model.eventDataPanels[0].get()};
    model.chartPanels = {model.eventDataPanels[2].get()};
    model.selectedPanel = model.eventDataPanels[1].get();
    model.events[2]->eventData.push_back(model.eventDataPanels[2].get());  // linked since

    Model copy = copyOf(model);
    EXPECT_EQ(linksOf(copy), linksOf(model));
    EXPECT_EQ(linksOf(copy).find('?'), std::string::npos) << linksOf(copy);

    const std::string saved = programFile(kEventDataFileName);
    database.saveDatabase(model);
    const std::string before = fileText(saved);
    copy.eventDataPanels[0]->comment = "changed in the copy";
    copy.types[0]->name = "Renamed";
    database.saveDatabase(model);
    EXPECT_EQ(fileText(saved), before);
    EXPECT_EQ(model.types[0]->name, "Work");
}

TEST_F(DatabaseTest, AppointmentNamingOnlyItselfAsParentIsInNoList) {
    const Model model = open("", "<ROW Id=\"2\" TypeId=\"0\" ParentEventId=\"2\"/>", "");
    EXPECT_EQ(model.events[0]->parent, nullptr);
    EXPECT_TRUE(model.rootEvents.empty());
    EXPECT_TRUE(model.events[0]->children.empty());
}

TEST_F(DatabaseTest, SaveKeepsUnlinkedObjectsAndClearsUnusedColumns) {
    Model model = open("<ROW Id=\"0\" Name=\"Work\" CreatedDate=\"20040712\"/>",
                       "<ROW Id=\"0\" TypeId=\"0\" ParentEventId=\"6\" ToDo=\"TRUE\" "
                       "Comment=\"old\" StartDate=\"20040712\"/>",
                       "<ROW Id=\"0\" EventId=\"3\" Cost=\"2.5\" Currency=\"EUR\" "
                       "ModifiedDate=\"20040712T10:00:00000\" Comment=\"kept\"/>");
    database.saveDatabase(model);
    EXPECT_EQ(rowsOf(programFile(kEventFileName)),
              "<ROW RowState=\"4\" Id=\"0\" TypeId=\"0\" ParentEventId=\"6\" "
              "StartDate=\"20040712\" EndDate=\"18991230\" StartTime=\"18991230\" "
              "EndTime=\"18991230\" ExcludeWeekends=\"FALSE\" RepeatType=\"0\" "
              "RepeatValue=\"0\"/>");
    const std::string rows = rowsOf(programFile(kEventDataFileName));
    EXPECT_NE(rows.find("Id=\"0\" EventId=\"3\""), std::string::npos);
    EXPECT_NE(rows.find("Comment=\"kept\""), std::string::npos);
    for (const char* unused : {"Cost", "Currency", "ModifiedDate"}) {
        EXPECT_EQ(rows.find(unused), std::string::npos) << unused;
    }
    EXPECT_EQ(rowsOf(programFile(kTypeFileName)).find("CreatedDate"), std::string::npos);
}

TEST_F(DatabaseTest, SavedValuesFollowTheStorageRules) {
    Model model = open("", "", "");
    auto type = std::make_unique<EventType>();
    type->name = std::string(70, 'n');
    type->comment = "Meeting  ";
    type->longComment = "memo keeps its spaces  ";
    model.types.push_back(std::move(type));
    database.saveDatabase(model);
    ASSERT_TRUE(database.openDatabase("", reportError));
    const Model back = database.readModel();
    EXPECT_EQ(back.types[0]->name, std::string(64, 'n'));
    EXPECT_EQ(back.types[0]->comment, "Meeting");
    EXPECT_EQ(back.types[0]->longComment, "memo keeps its spaces  ");
}

struct OpenFailure {
    const char* name;
    friend void PrintTo(const OpenFailure& c, std::ostream* os) { *os << c.name; }
    std::string typeFile;  // empty: the file is missing
    std::string message;   // the end of the message
};

class OpenFailures : public ::testing::TestWithParam<OpenFailure> {};

TEST_P(OpenFailures, AreReportedAndLeaveTheFailingTableClosed) {
    TemporaryFolder folder;
    writeDatabase(folder.path(), "", "", "");
    const std::string typePath = (folder.path() / kTypeFileName).string();
    if (GetParam().typeFile.empty()) {
        std::filesystem::remove(typePath);
    } else {
        test::writeFileText(typePath, GetParam().typeFile);
    }
    Database database(folder.path().string() + "/");
    std::vector<std::string> errors;
    EXPECT_FALSE(
        database.openDatabase("", [&](const std::string& text) { errors.push_back(text); }));
    ASSERT_EQ(errors.size(), 1U);
    EXPECT_TRUE(errors[0].ends_with(GetParam().message)) << errors[0];
    EXPECT_FALSE(database.dataType().isOpen());
    try {
        database.readModel();
        FAIL() << "a model was read from a closed table";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Cannot perform this operation on a closed dataset");
    }
}

std::string typeFileWith(const std::string& from, const std::string& to) {
    std::string text = test::tableFile(typeTableDefinition(), "");
    text.replace(text.find(from), from.size(), to);
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Database, OpenFailures,
    ::testing::Values(
        OpenFailure{"MissingFile", "", std::string(kNoDatabaseMessage)},
        OpenFailure{"MalformedFile", "<DATAPACKET>",
                    "Type.xml\" at byte 12: the document ends inside "
                    "<DATAPACKET>."},
        OpenFailure{"MissingColumn",
                    typeFileWith("<FIELD attrname=\"Color\" fieldtype=\"i4\"/>", ""),
                    "Field 'Color' not found"},
        OpenFailure{"ColumnOfAnotherFamily",
                    typeFileWith("attrname=\"Name\" fieldtype=\"string\"",
                                 "attrname=\"Name\" fieldtype=\"i4\""),
                    "Type mismatch for field 'Name', expecting: String actual: Integer"},
        OpenFailure{"MemoIsNotAString",
                    typeFileWith("attrname=\"Comment\" fieldtype=\"string\"",
                                 "attrname=\"Comment\" fieldtype=\"bin.hex\" SUBTYPE=\"Text\""),
                    "Type mismatch for field 'Comment', expecting: String actual: Memo"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(DatabaseTest, ColumnsOfTheSameFamilyAndOtherWidthsAreAccepted) {
    std::string text = typeFileWith("attrname=\"Importance\" fieldtype=\"i2\"",
                                    "attrname=\"Importance\" fieldtype=\"i4\"");
    text.replace(text.find("WIDTH=\"64\""), 10, "WIDTH=\"20\"");
    writeDatabase(folder.path(), "", "", "");
    test::writeFileText(programFile(kTypeFileName), text);
    EXPECT_TRUE(database.openDatabase("", reportError)) << errors;
}

TEST_F(DatabaseTest, FailedSaveReportsThePlatformErrorAndReplacesNoFile) {
    Model model = open("<ROW Id=\"0\" Name=\"Work\"/>", "", "");
    model.types[0]->name = "Home";
    const std::string eventData = programFile(kEventDataFileName);
    std::filesystem::remove(eventData);
    std::filesystem::create_directories(eventData + "/blocked");
    try {
        database.saveDatabase(model);
        FAIL() << "the save succeeded";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(error.what(), "Cannot create file \"" + eventData + "\". Is a directory");
    }
    // The three files are one set: Type.xml keeps the old name too.
    EXPECT_NE(rowsOf(programFile(kTypeFileName)).find("Name=\"Work\""), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(eventData + "/blocked"));
    EXPECT_FALSE(std::filesystem::exists(programFile(".kalvo-commit")));
}

// A save written on a worker thread writes the model as it was when the save started, and
// tells its end, success or failure, once.
TEST_F(DatabaseTest, SaveWrittenInTheBackgroundHoldsTheModelAtItsStart) {
    for (const bool fails : {false, true}) {
        SCOPED_TRACE(fails ? "failing" : "succeeding");
        Model model = open("<ROW Id=\"0\" Name=\"Work\"/>", "", "");
        const std::string eventData = programFile(kEventDataFileName);
        if (fails) {
            std::filesystem::remove(eventData);
            std::filesystem::create_directories(eventData + "/blocked");
        }
        model.types[0]->name = "Saved";
        std::atomic<int> told = 0;
        database.startSave(model, [&] { ++told; });
        model.types[0]->name = "Edited during the write";
        std::string failure;
        try {
            EXPECT_TRUE(database.finishSave());
        } catch (const std::runtime_error& error) {
            failure = error.what();
        }
        EXPECT_EQ(failure, fails ? "Cannot create file \"" + eventData + "\". Is a directory" : "");
        EXPECT_FALSE(database.finishSave()) << "told once";
        EXPECT_EQ(told, 1);
        EXPECT_EQ(rowsOf(programFile(kTypeFileName)).find("Name=\"Saved\"") != std::string::npos,
                  !fails);
        std::filesystem::remove_all(eventData);
    }
}

TEST_F(DatabaseTest, BackupHoldsWhatTheProgramFolderHoldsAfterSaving) {
    Model model = open("<ROW Id=\"0\" Name=\"Work\"/>", "<ROW Id=\"0\" TypeId=\"0\"/>",
                       "<ROW Id=\"0\" EventId=\"0\"/>");
    TemporaryFolder backup;
    model.types[0]->name = "First";
    database.saveDatabase(model);
    database.writeBackup(backup.path().string());
    model.types[0]->name = "Second";
    database.saveDatabase(model);
    database.writeBackup(backup.path().string());
    for (const std::string_view name : {kTypeFileName, kEventFileName, kEventDataFileName}) {
        EXPECT_EQ(fileText(backup.file(std::string(name))), fileText(programFile(name))) << name;
    }
    EXPECT_NE(rowsOf(backup.file("Type.xml")).find("Name=\"Second\""), std::string::npos);
}

TEST_F(DatabaseTest, BackupIntoTheProgramFolderRewritesTheSameContent) {
    Model model = open("<ROW Id=\"0\" Name=\"Work\"/>", "", "");
    database.saveDatabase(model);
    const std::string saved = fileText(programFile(kTypeFileName));
    database.saveDatabase(model);
    database.writeBackup(folder.path().string());
    EXPECT_EQ(fileText(programFile(kTypeFileName)), saved);
}

TEST_F(DatabaseTest, BackupMakesItsFolderAndFailsAfterSavingWhereItCannot) {
    Model model = open("<ROW Id=\"0\" Name=\"Work\"/>", "", "");
    model.types[0]->name = "Saved";
    const std::string made = folder.file("backups/today");
    database.saveDatabase(model);
    database.writeBackup(made);
    EXPECT_NE(rowsOf(made + "/Type.xml").find("Name=\"Saved\""), std::string::npos);

    const std::string underAFile = made + "/Type.xml/backup";
    try {
        database.writeBackup(underAFile);
        FAIL() << "the backup succeeded";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(
            std::string(error.what()).rfind("Cannot create folder \"" + underAFile + "\".", 0), 0U)
            << error.what();
    }
    EXPECT_NE(rowsOf(programFile(kTypeFileName)).find("Name=\"Saved\""), std::string::npos);
}

TEST_F(DatabaseTest, RestoreReplacesTheModelAndLeavesTheProgramFolderAsSaved) {
    Model model = open("<ROW Id=\"0\" Name=\"Current\"/>", "<ROW Id=\"0\" TypeId=\"0\"/>",
                       "<ROW Id=\"0\" EventId=\"0\"/>");
    model.selectedPanel = model.hoverPanel = model.eventDataPanels[0].get();
    model.dayPanels.push_back(model.eventDataPanels[0].get());
    TemporaryFolder backup;
    writeDatabase(backup.path(), "<ROW Id=\"4\" Name=\"Restored\"/>", "", "");

    database.restoreDatabase(model, backup.path().string(), reportError);

    EXPECT_EQ(errors, "");
    ASSERT_EQ(model.types.size(), 1U);
    EXPECT_EQ(model.types[0]->name, "Restored");
    EXPECT_TRUE(model.events.empty() && model.eventDataPanels.empty());
    EXPECT_EQ(model.selectedPanel, nullptr);
    EXPECT_EQ(model.hoverPanel, nullptr);
    EXPECT_TRUE(model.dayPanels.empty());
    EXPECT_NE(rowsOf(programFile(kTypeFileName)).find("Name=\"Current\""), std::string::npos);

    database.saveDatabase(model);
    EXPECT_NE(rowsOf(programFile(kTypeFileName)).find("Name=\"Restored\""), std::string::npos);
}

TEST_F(DatabaseTest, RestoreFromAnIncompleteOrBadFolderKeepsTheProgramFolderData) {
    struct Case {
        const char* name;
        std::string eventDataFile;  // empty: missing
        std::string message;
    };
    const std::vector<Case> cases = {{"missing file", "", std::string(kNoDatabaseMessage)},
                                     {"unreadable file", "garbage", "does not start with '<'"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        errors.clear();
        Model model = open("<ROW Id=\"0\" Name=\"Current\"/>", "", "");
        model.types[0]->name = "Edited";
        TemporaryFolder backup;
        writeDatabase(backup.path(), "<ROW Id=\"4\" Name=\"Restored\"/>", "", "");
        const std::string eventData = backup.file(std::string(kEventDataFileName));
        if (c.eventDataFile.empty()) {
            std::filesystem::remove(eventData);
        } else {
            test::writeFileText(eventData, c.eventDataFile);
        }

        database.restoreDatabase(model, backup.path().string(), reportError);

        EXPECT_NE(errors.find(c.message), std::string::npos) << errors;
        ASSERT_EQ(model.types.size(), 1U);
        EXPECT_EQ(model.types[0]->name, "Edited");
    }
}

}  // namespace
}  // namespace kalvo
