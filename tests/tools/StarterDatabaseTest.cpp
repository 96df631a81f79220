#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <vector>

#include "db/Database.h"
#include "make-starter-database/StarterDatabase.h"
#include "support/DatabaseFiles.h"
#include "tools/ProcessRunner.h"

namespace kalvo {
namespace {

using test::fileText;
using test::TemporaryFolder;

constexpr std::string_view kTableFiles[] = {kTypeFileName, kEventFileName, kEventDataFileName};

std::string starterFile(std::string_view name) {
    return std::string(KALVO_STARTER_DATABASE) + "/" + std::string(name);
}

TEST(StarterDatabase, CommittedFilesAreWhatTheGeneratorWrites) {
    TemporaryFolder folder;
    writeStarterDatabase(folder.path().string());
    for (const std::string_view name : kTableFiles) {
        SCOPED_TRACE(name);
        const std::string committed = fileText(starterFile(name));
        ASSERT_FALSE(committed.empty());
        EXPECT_EQ(fileText(folder.file(std::string(name))), committed)
            << "regenerate with: cmake --build <build> --target update-starter-database";
    }
}

TEST(StarterDatabase, OpensWithItsTypesAndNoAppointments) {
    Database database(std::string(KALVO_STARTER_DATABASE) + "/");
    std::string errors;
    ASSERT_TRUE(database.openDatabase("", [&](const std::string& text) { errors += text; }))
        << errors;
    // The program reaches only the columns it uses; the files carry every one of them.
    EXPECT_EQ(database.dataType().columns().size(), typeTableDefinition().size());
    EXPECT_EQ(database.setEvent().columns().size(), eventTableDefinition().size());
    EXPECT_EQ(database.setEventData().columns().size(), eventDataTableDefinition().size());
    const Model model = database.readModel();
    EXPECT_TRUE(model.events.empty());
    EXPECT_TRUE(model.eventDataPanels.empty());

    const std::vector<std::string> names = {"Work",     "Meeting", "Study", "Lunch",
                                            "Exercise", "Family",  "Sleep"};
    ASSERT_EQ(model.types.size(), names.size());
    std::set<std::int32_t> colors;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const EventType& type = *model.types[i];
        SCOPED_TRACE(type.name);
        EXPECT_EQ(type.name, names[i]);
        EXPECT_EQ(type.id, static_cast<std::int32_t>(i));
        const bool isMeeting = type.name == "Meeting";
        EXPECT_EQ(type.parent, isMeeting ? model.types[0].get() : nullptr);
        EXPECT_EQ(type.parentId, isMeeting ? 0 : -1);
        EXPECT_GE(type.importance, 0);
        EXPECT_LE(type.importance, 4);
        // A type the user adds is green; the starter types must not look like new ones.
        EXPECT_NE(type.color, kDefaultTypeColor);
        EXPECT_EQ(type.color & ~0x00FFFFFF, 0) << "not a 0x00BBGGRR colour";
        colors.insert(type.color);
    }
    EXPECT_EQ(colors.size(), names.size()) << "two types share a colour";
    EXPECT_EQ(model.nextTypeId(), static_cast<std::int32_t>(names.size()));
}

// The build runs the copy on every build, so it must leave a folder holding any table file
// alone.
TEST(StarterDatabase, IsCopiedOnlyIntoAFolderWithoutADatabase) {
    struct Case {
        const char* name;
        std::vector<std::string_view> userFiles;
    };
    const std::vector<Case> cases = {
        {"empty folder", {}},
        {"whole user database", {kTypeFileName, kEventFileName, kEventDataFileName}},
        {"only a user's type file", {kTypeFileName}},
        {"only a user's row file", {kEventDataFileName}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TemporaryFolder folder;
        const std::string destination = folder.file("bin");
        std::filesystem::create_directories(destination);
        for (const std::string_view name : c.userFiles) {
            test::writeFileText(destination + "/" + std::string(name), "user data");
        }
        const test::ProcessResult result = test::runProcess(
            KALVO_CMAKE_COMMAND,
            {"-DSOURCE=" + std::string(KALVO_STARTER_DATABASE), "-DDESTINATION=" + destination,
             "-P", KALVO_COPY_STARTER_DATABASE_SCRIPT});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        for (const std::string_view name : kTableFiles) {
            const std::string path = destination + "/" + std::string(name);
            if (!c.userFiles.empty()) {
                const bool isUsers =
                    std::find(c.userFiles.begin(), c.userFiles.end(), name) != c.userFiles.end();
                EXPECT_EQ(std::filesystem::exists(path), isUsers) << name;
                if (isUsers) {
                    EXPECT_EQ(fileText(path), "user data") << name;
                }
            } else {
                EXPECT_EQ(fileText(path), fileText(starterFile(name))) << name;
            }
        }
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(destination),
                                std::filesystem::directory_iterator()),
                  c.userFiles.empty() ? 3 : static_cast<long>(c.userFiles.size()));
    }
}

}  // namespace
}  // namespace kalvo
