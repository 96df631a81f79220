#include "history/RecoveryJournal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/DatabaseFiles.h"

namespace kalvo {
namespace {

class RecoveryJournalTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeDatabase(folder.path(), "<ROW Id=\"0\" Name=\"Work\"/>", "", "");
    }

    std::string base() const { return folder.path().string() + "/"; }
    std::string journal() const { return folder.file(std::string(kJournalName)); }

    // A journal of `records` for the folder's saved files; the sizes of the file after each.
    std::vector<std::uint64_t> write(const std::vector<std::string>& records) {
        JournalWriter writer(base());
        writer.start(savedFilesOf(base()));
        std::vector<std::uint64_t> ends = {std::filesystem::file_size(journal())};
        for (const std::string& record : records) {
            writer.append(record);
            ends.push_back(std::filesystem::file_size(journal()));
        }
        return ends;
    }

    test::TemporaryFolder folder;
};

TEST_F(RecoveryJournalTest, ATornLastRecordLeavesTheWholeOnesBeforeIt) {
    const std::vector<std::string> records = {"first", std::string(300, 'x'), "last record"};
    const std::vector<std::uint64_t> ends = write(records);
    const std::string whole = test::fileText(journal());
    for (std::uint64_t cut = ends[2]; cut <= ends[3]; ++cut) {
        SCOPED_TRACE(cut);
        test::writeFileText(journal(), whole.substr(0, cut));
        const JournalContent content = readJournal(base(), savedFilesOf(base()));
        const bool complete = cut == ends[2] || cut == ends[3];
        EXPECT_EQ(content.state,
                  complete ? JournalContent::State::whole : JournalContent::State::torn);
        const std::size_t kept = cut == ends[3] ? 3 : 2;
        EXPECT_EQ(content.records,
                  std::vector<std::string>(records.begin(), records.begin() + kept));
        EXPECT_EQ(content.wholeBytes, ends[kept]);
    }
    // A record whose bytes changed is torn as well.
    std::string damaged = whole;
    damaged[ends[2] + 10] ^= 1;
    test::writeFileText(journal(), damaged);
    EXPECT_EQ(readJournal(base(), savedFilesOf(base())).records.size(), 2U);
}

TEST_F(RecoveryJournalTest, AJournalOfOtherFilesIsForeignAndSetAsideNotDeleted) {
    write({"step"});
    EXPECT_EQ(readJournal(base(), savedFilesOf(base())).state, JournalContent::State::whole);
    test::writeDatabase(folder.path(), "<ROW Id=\"0\" Name=\"Rest\"/>", "", "");
    const JournalContent content = readJournal(base(), savedFilesOf(base()));
    EXPECT_EQ(content.state, JournalContent::State::foreign);
    EXPECT_TRUE(content.records.empty());

    const std::string text = test::fileText(journal());
    EXPECT_EQ(setJournalAside(base()), journal() + ".kept-1");
    write({"another"});
    EXPECT_EQ(setJournalAside(base()), journal() + ".kept-2");
    EXPECT_FALSE(journalExists(base()));
    EXPECT_EQ(test::fileText(journal() + ".kept-1"), text);
}

TEST_F(RecoveryJournalTest, ResumingCutsATornTailAndRemovingLeavesNoJournal) {
    const std::vector<std::uint64_t> ends = write({"one", "two"});
    const std::string whole = test::fileText(journal());
    test::writeFileText(journal(), whole.substr(0, ends[2] - 1));
    JournalContent content = readJournal(base(), savedFilesOf(base()));
    ASSERT_EQ(content.state, JournalContent::State::torn);
    JournalWriter writer(base());
    writer.resume(content.wholeBytes);
    writer.append("three");
    content = readJournal(base(), savedFilesOf(base()));
    EXPECT_EQ(content.state, JournalContent::State::whole);
    EXPECT_EQ(content.records, (std::vector<std::string>{"one", "three"}));
    writer.remove();
    EXPECT_FALSE(journalExists(base()));
    EXPECT_EQ(readJournal(base(), savedFilesOf(base())).state, JournalContent::State::none);
}

}  // namespace
}  // namespace kalvo
