#include "common/system/process_terminator.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>

#include "tests/support/sleeping_program.h"
#include "tests/support/temp_folder.h"

namespace tessal {
namespace {

namespace fs = std::filesystem;

class ProcessTerminatorTest : public ::testing::Test {
protected:
    static fs::path Install(const fs::path& folder, const std::string& name) {
        return test::CopyOfSleep(folder, name);
    }
    fs::path program_folder() const { return scratch_.path() / "install"; }
    fs::path other_folder() const { return scratch_.path() / "other"; }

    TempFolder scratch_;
};

TEST_F(ProcessTerminatorTest, EndsOnlyTheNamedProgramOfTheProgramFolder) {
    test::SleepingProgram player(Install(program_folder(), "TessalPlayer"));
    test::SleepingProgram longer_name(Install(program_folder(), "TessalPlayerX"));
    test::SleepingProgram other_case(Install(program_folder(), "tessalplayer"));
    test::SleepingProgram other_folder_player(Install(other_folder(), "TessalPlayer"));

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(TerminateProcessesNamed("TessalPlayer", program_folder()), 1);
    // The ended child stays a zombie until reaped, and that counts as ended at once.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
    EXPECT_TRUE(player.Killed());
    EXPECT_TRUE(longer_name.Running());
    EXPECT_TRUE(other_case.Running());
    EXPECT_TRUE(other_folder_player.Running());
}

TEST_F(ProcessTerminatorTest, MatchesTheWholeNameBeyondFifteenCharacters) {
    // Both share the kernel's 15-character short name "TessalUpdataCod".
    test::SleepingProgram codecs(Install(program_folder(), "TessalUpdataCodes"));
    test::SleepingProgram codecs_x(Install(program_folder(), "TessalUpdataCodesX"));
    EXPECT_EQ(TerminateProcessesNamed("TessalUpdataCod", program_folder()), 0);
    EXPECT_EQ(TerminateProcessesNamed("TessalUpdataCodes", program_folder()), 1);
    EXPECT_TRUE(codecs.Killed());
    EXPECT_TRUE(codecs_x.Running());
}

TEST_F(ProcessTerminatorTest, EndsAProgramWhoseFileWasReplaced) {
    test::SleepingProgram player(Install(program_folder(), "TessalPlayer"));
    fs::remove(program_folder() / "TessalPlayer");
    Install(program_folder(), "TessalPlayer");
    EXPECT_EQ(TerminateProcessesNamed("TessalPlayer", program_folder()), 1);
    EXPECT_TRUE(player.Killed());
}

TEST_F(ProcessTerminatorTest, ProgramFolderMayBeGivenThroughALink) {
    test::SleepingProgram player(Install(program_folder(), "TessalPlayer"));
    fs::create_directory_symlink(program_folder(), scratch_.path() / "link");
    EXPECT_EQ(TerminateProcessesNamed("TessalPlayer", scratch_.path() / "link/"), 1);
    EXPECT_TRUE(player.Killed());
}

// With a grace, a program that ends when asked ends by SIGTERM (running its own
// shutdown); one that does not is killed once the grace is over.
TEST_F(ProcessTerminatorTest, AGraceAsksFirstAndKillsWhatStillRuns) {
    using namespace std::chrono_literals;
    struct Case {
        bool ignores_term;
        int ended_by;
        std::chrono::milliseconds at_least;
    };
    for (const Case& c : {Case{false, SIGTERM, 0ms}, Case{true, SIGKILL, 400ms}}) {
        SCOPED_TRACE(c.ignores_term ? "ignores SIGTERM" : "ends on SIGTERM");
        test::SleepingProgram player(Install(program_folder(), "TessalPlayer"), getuid(),
                                     c.ignores_term);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(TerminateProcessesNamed("TessalPlayer", program_folder(), 400ms), 1);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_TRUE(player.EndedBy(c.ended_by));
        EXPECT_GE(took, c.at_least);
        EXPECT_LT(took, c.at_least + 900ms);
    }
}

TEST_F(ProcessTerminatorTest, SparesTheCallingProcess) {
    const fs::path self = fs::read_symlink("/proc/self/exe");
    // A forked copy runs the same executable and is fair game; the caller is not.
    const pid_t twin = fork();
    if (twin == 0) {
        for (;;) {
            pause();
        }
    }
    ASSERT_GT(twin, 0);
    const int ended = TerminateProcessesNamed(self.filename().string(), self.parent_path());
    int status = 0;
    if (waitpid(twin, &status, WNOHANG) != twin) {
        kill(twin, SIGKILL);
        waitpid(twin, &status, 0);
        ADD_FAILURE() << "the forked copy was not ended";
    }
    EXPECT_EQ(ended, 1);
}

TEST_F(ProcessTerminatorTest, SparesOtherUsersProcesses) {
    if (getuid() != 0) {
        GTEST_SKIP() << "starting a process as another user needs root";
    }
    fs::permissions(scratch_.path(), fs::perms::owner_all | fs::perms::others_exec);
    const fs::path program = Install(program_folder(), "TessalPlayer");
    fs::permissions(program_folder(), fs::perms::owner_all | fs::perms::others_exec);
    constexpr uid_t kNobody = 65534;
    test::SleepingProgram foreign(program, kNobody);
    ASSERT_TRUE(foreign.Running());
    EXPECT_EQ(TerminateProcessesNamed("TessalPlayer", program_folder()), 0);
    EXPECT_TRUE(foreign.Running());
}

}  // namespace
}  // namespace tessal
