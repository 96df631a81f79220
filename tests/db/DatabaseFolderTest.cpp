#include "db/DatabaseFolder.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "db/Database.h"
#include "support/DatabaseFiles.h"

namespace kalvo {
namespace {

TEST(DatabaseFolder, TheFolderAskedForThenTheProgramsThenTheUsers) {
    enum Holds { none, partial, whole };
    struct Case {
        const char* what;
        bool asked;
        Holds askedHolds, programHolds, userHolds;
        const char* expected;  // "asked", "program" or "user"
        bool fromStarter;
    };
    const Case cases[] = {
        {"asked for", true, whole, whole, whole, "asked", false},
        {"beside the program", false, none, whole, whole, "program", false},
        {"part of one beside the program", false, none, partial, whole, "user", false},
        {"the user's", false, none, none, whole, "user", false},
        {"part of the user's, which the starter database must not replace", false, none, none,
         partial, "user", false},
        {"first start", false, none, none, none, "user", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TemporaryFolder root;
        const auto folder = [&](const char* name, Holds holds) {
            const std::filesystem::path path = root.path() / name;
            if (holds == whole) {
                test::writeDatabase(path, "", "", "");
            } else if (holds == partial) {
                std::filesystem::create_directories(path);
                test::writeFileText((path / kTypeFileName).string(), "");
            }
            return path.string() + "/";
        };
        const std::string asked = folder("asked", c.askedHolds);
        const std::string program = folder("program", c.programHolds);
        const std::string user = folder("user", c.userHolds);
        const DatabaseLocation location =
            locateDatabase(c.asked ? std::optional(asked) : std::nullopt, program, user);
        EXPECT_EQ(location.folder, root.path().string() + "/" + c.expected + "/");
        EXPECT_EQ(location.fromStarter, c.fromStarter);
    }
}

TEST(DatabaseFolder, AFolderAskedForWithoutADatabaseIsRefusedAndLeftAlone) {
    test::TemporaryFolder root;
    const std::string asked = root.path().string() + "/";
    try {
        locateDatabase(asked, asked, asked);
        FAIL() << "a folder without a database was accepted";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(error.what(), kNoDatabaseMessage);
    }
    EXPECT_TRUE(std::filesystem::is_empty(root.path()));
}

TEST(DatabaseFolder, TheFirstStartCopiesTheStarterDatabaseIntoANewFolder) {
    test::TemporaryFolder root;
    const std::filesystem::path user = root.path() / "share" / "Kalvo Planner";
    createFromStarter(std::string(KALVO_STARTER_DATABASE) + "/", user.string() + "/");
    for (const std::string_view name : {kTypeFileName, kEventFileName, kEventDataFileName}) {
        EXPECT_EQ(test::fileText((user / name).string()),
                  test::fileText(std::string(KALVO_STARTER_DATABASE) + "/" + std::string(name)));
    }
}

}  // namespace
}  // namespace kalvo
