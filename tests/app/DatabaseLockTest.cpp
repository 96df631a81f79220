#include "app/DatabaseLock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "support/TemporaryFolder.h"

namespace kalvo {
namespace {

TEST(DatabaseLock, ASecondProgramIsRefusedUntilTheFirstEnds) {
    const test::TemporaryFolder folder;
    const QString path = QString::fromStdString(folder.path().string() + "/");
    auto first = std::make_unique<DatabaseLock>(path);
    EXPECT_FALSE(first->heldElsewhere());
    EXPECT_TRUE(DatabaseLock(path).heldElsewhere());
    first.reset();
    EXPECT_FALSE(DatabaseLock(path).heldElsewhere());
}

TEST(DatabaseLock, TheLockOfAProgramThatEndedWithoutClosingIsTakenOver) {
    const test::TemporaryFolder folder;
    const QString path = QString::fromStdString(folder.path().string() + "/");
    const pid_t crashed = fork();
    ASSERT_NE(crashed, -1);
    if (crashed == 0) {
        const DatabaseLock lock(path);
        _exit(lock.heldElsewhere() ? 1 : 0);  // ends without letting the lock go
    }
    int status = 0;
    ASSERT_EQ(waitpid(crashed, &status, 0), crashed);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(std::filesystem::exists(folder.file(".kalvo-lock")));
    EXPECT_FALSE(DatabaseLock(path).heldElsewhere());
}

}  // namespace
}  // namespace kalvo
