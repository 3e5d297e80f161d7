#include "common/files/account_mutex.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace tessal {
namespace {

// Lock files go to a runtime folder of the test's own, so that names cannot collide
// with other tests or with a real client of the same user.
class AccountMutexTest : public ::testing::Test {
protected:
    void SetUp() override { environment_.Set("XDG_RUNTIME_DIR", runtime_.path().string()); }

    // Runs `body` in a child process and gives its exit code.
    template <typename Body>
    static int InChild(Body body) {
        const pid_t pid = fork();
        if (pid == 0) {
            _exit(body());
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    TempFolder runtime_;
    ScopedEnvironment environment_;
};

TEST_F(AccountMutexTest, SecondHoldInTheSameProcessFails) {
    EXPECT_TRUE(TryHoldAccountMutex("student01"));
    EXPECT_FALSE(TryHoldAccountMutex("student01"));
    EXPECT_TRUE(TryHoldAccountMutex("student02"));
    EXPECT_TRUE(TryHoldAccountMutex("学员01"));
    EXPECT_FALSE(TryHoldAccountMutex("学员01"));
}

TEST_F(AccountMutexTest, AccountHeldHereIsTakenForAnotherProcess) {
    ASSERT_TRUE(TryHoldAccountMutex("student01"));
    EXPECT_EQ(InChild([] { return TryHoldAccountMutex("student01") ? 1 : 0; }), 0);
    EXPECT_EQ(InChild([] { return TryHoldAccountMutex("student02") ? 1 : 0; }), 1);
}

}  // namespace
}  // namespace tessal
