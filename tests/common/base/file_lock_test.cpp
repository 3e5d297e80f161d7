#include "common/base/file_lock.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace tessal {
namespace {

TEST(FileLock, ASecondHolderOfTheSameKeyIsRefusedUntilTheFirstLetsGo) {
    TempFolder runtime;
    ScopedEnvironment variable("XDG_RUNTIME_DIR", runtime.path().string());
    {
        FileLock first("account:zhang", FileLock::Mode::kTry);
        ASSERT_TRUE(first.held());
        EXPECT_FALSE(FileLock("account:zhang", FileLock::Mode::kTry).held());
        EXPECT_TRUE(FileLock("account:li", FileLock::Mode::kTry).held());
        EXPECT_EQ(FileLock::PathFor("account:zhang").parent_path(), runtime.path());
    }
    EXPECT_TRUE(FileLock("account:zhang", FileLock::Mode::kTry).held());
}

TEST(FileLock, MovedLockStaysHeld) {
    TempFolder runtime;
    ScopedEnvironment variable("XDG_RUNTIME_DIR", runtime.path().string());
    FileLock first("ini:/x/UserSet.ini", FileLock::Mode::kWait);
    FileLock moved(std::move(first));
    EXPECT_FALSE(first.held());
    EXPECT_TRUE(moved.held());
    EXPECT_FALSE(FileLock("ini:/x/UserSet.ini", FileLock::Mode::kTry).held());
}

TEST(FileLock, FallsBackToTheTemporaryFolderWithoutARuntimeFolder) {
    ScopedEnvironment variable("XDG_RUNTIME_DIR", "relative/not-usable");
    EXPECT_EQ(FileLock::PathFor("k").parent_path(), std::filesystem::temp_directory_path());
    EXPECT_TRUE(FileLock("k", FileLock::Mode::kTry).held());
}

}  // namespace
}  // namespace tessal
