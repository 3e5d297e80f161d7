#include "common/system/process_terminator.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>

#include "tests/support/temp_folder.h"

namespace tessal {
namespace {

namespace fs = std::filesystem;

fs::path SleepProgram() {
    return fs::exists("/usr/bin/sleep") ? "/usr/bin/sleep" : "/bin/sleep";
}

// A child process of the test, ended and reaped when the object goes.
class Child {
public:
    // Starts `program` ("sleep 60" under another name); returns once it runs that file.
    explicit Child(const fs::path& program, uid_t uid = getuid()) {
        int exec_done[2];
        if (pipe2(exec_done, O_CLOEXEC) != 0) {
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            if (uid != getuid() && (setgid(uid) != 0 || setuid(uid) != 0)) {
                _exit(126);
            }
            const std::string name = program.filename().string();
            execl(program.c_str(), name.c_str(), "60", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(exec_done[1]);
        char ignored;
        // The close-on-exec pipe reads end of file once the program has replaced the fork.
        while (read(exec_done[0], &ignored, 1) > 0) {
        }
        close(exec_done[0]);
    }
    ~Child() {
        if (pid_ > 0 && !reaped_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Running() { return pid_ > 0 && !reaped_ && !Reap(WNOHANG); }
    // True when the child has already ended through SIGKILL.
    bool WasKilled() {
        return Reap(WNOHANG) && WIFSIGNALED(status_) && WTERMSIG(status_) == SIGKILL;
    }

private:
    bool Reap(int options) {
        if (!reaped_ && pid_ > 0 && waitpid(pid_, &status_, options) == pid_) {
            reaped_ = true;
        }
        return reaped_;
    }

    pid_t pid_ = -1;
    bool reaped_ = false;
    int status_ = 0;
};

class ProcessTerminatorTest : public ::testing::Test {
protected:
    // A copy of sleep named `name` in `folder`.
    static fs::path Install(const fs::path& folder, const std::string& name) {
        fs::create_directories(folder);
        const fs::path program = folder / name;
        fs::copy_file(SleepProgram(), program, fs::copy_options::overwrite_existing);
        fs::permissions(program, fs::perms::owner_all | fs::perms::group_exec |
                                     fs::perms::others_exec | fs::perms::others_read);
        return program;
    }
    fs::path program_folder() const { return scratch_.path() / "install"; }
    fs::path other_folder() const { return scratch_.path() / "other"; }

    TempFolder scratch_;
};

TEST_F(ProcessTerminatorTest, EndsOnlyTheNamedProgramOfTheProgramFolder) {
    Child player(Install(program_folder(), "TessalPlayer"));
    Child longer_name(Install(program_folder(), "TessalPlayerX"));
    Child other_case(Install(program_folder(), "tessalplayer"));
    Child other_folder_player(Install(other_folder(), "TessalPlayer"));

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(TerminateProcessesNamed("TessalPlayer", program_folder()), 1);
    // The ended child stays a zombie until reaped, and that counts as ended at once.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
    EXPECT_TRUE(player.WasKilled());
    EXPECT_TRUE(longer_name.Running());
    EXPECT_TRUE(other_case.Running());
    EXPECT_TRUE(other_folder_player.Running());
}

TEST_F(ProcessTerminatorTest, MatchesTheWholeNameBeyondFifteenCharacters) {
    // Both share the kernel's 15-character short name "TessalUpdataCod".
    Child codecs(Install(program_folder(), "TessalUpdataCodes"));
    Child codecs_x(Install(program_folder(), "TessalUpdataCodesX"));
    EXPECT_EQ(TerminateProcessesNamed("TessalUpdataCod", program_folder()), 0);
    EXPECT_EQ(TerminateProcessesNamed("TessalUpdataCodes", program_folder()), 1);
    EXPECT_TRUE(codecs.WasKilled());
    EXPECT_TRUE(codecs_x.Running());
}

TEST_F(ProcessTerminatorTest, EndsAProgramWhoseFileWasReplaced) {
    Child player(Install(program_folder(), "TessalPlayer"));
    fs::remove(program_folder() / "TessalPlayer");
    Install(program_folder(), "TessalPlayer");
    EXPECT_EQ(TerminateProcessesNamed("TessalPlayer", program_folder()), 1);
    EXPECT_TRUE(player.WasKilled());
}

TEST_F(ProcessTerminatorTest, ProgramFolderMayBeGivenThroughALink) {
    Child player(Install(program_folder(), "TessalPlayer"));
    fs::create_directory_symlink(program_folder(), scratch_.path() / "link");
    EXPECT_EQ(TerminateProcessesNamed("TessalPlayer", scratch_.path() / "link/"), 1);
    EXPECT_TRUE(player.WasKilled());
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
    Child foreign(program, kNobody);
    ASSERT_TRUE(foreign.Running());
    EXPECT_EQ(TerminateProcessesNamed("TessalPlayer", program_folder()), 0);
    EXPECT_TRUE(foreign.Running());
}

}  // namespace
}  // namespace tessal
