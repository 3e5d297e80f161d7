#include "common/base/file_lock.h"

#include <gtest/gtest.h>
#include <unistd.h>

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
    const auto folder = FileLock::PathFor("k").parent_path();
    EXPECT_EQ(folder,
              std::filesystem::temp_directory_path() / ("tessal-" + std::to_string(::getuid())));
    EXPECT_EQ(std::filesystem::status(folder).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);
    EXPECT_TRUE(FileLock("k", FileLock::Mode::kTry).held());
}

}  // namespace
}  // namespace tessal
