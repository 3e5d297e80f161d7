#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/settings/ini_file.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace tessal {
namespace {

constexpr int kWritesPerProcess = 1000;

pid_t StartWriter(const std::filesystem::path& file, const std::string& prefix) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        bool all_written = true;
        for (int i = 0; i < kWritesPerProcess; ++i) {
            all_written &= WriteProfileString(file, "Shared", prefix + std::to_string(i),
                                              std::to_string(i * 7));
        }
        ::_exit(all_written ? 0 : 1);
    }
    return pid;
}

// Client, player and updater write different keys of the same file at the same time.
TEST(IniConcurrency, TwoProcessesWritingDifferentKeysLoseNone) {
    TempFolder folder;
    ScopedEnvironment runtime("XDG_RUNTIME_DIR", folder.path().string());
    const auto file = folder.path() / "UserInfo.ini";
    const pid_t first = StartWriter(file, "client");
    const pid_t second = StartWriter(file, "player");
    ASSERT_GT(first, 0);
    ASSERT_GT(second, 0);
    for (const pid_t pid : {first, second}) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const IniDocument document = LoadProfile(file);
    EXPECT_EQ(document.Keys("Shared").size(), 2u * kWritesPerProcess);
    for (int i = 0; i < kWritesPerProcess; ++i) {
        EXPECT_EQ(document.Value("Shared", "client" + std::to_string(i)), std::to_string(i * 7));
        EXPECT_EQ(document.Value("Shared", "player" + std::to_string(i)), std::to_string(i * 7));
    }
}

}  // namespace
}  // namespace tessal
