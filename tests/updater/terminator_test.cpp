// The install phase ends the client and player of its own folder, and nothing else.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/temp_folder.h"
#include "tests/updater/updater_installation.h"

namespace tessal::updater::test {
namespace {

namespace fs = std::filesystem;

// A copy of sleep under another name, started by the test and reaped when it goes.
class SleepingCopy {
public:
    SleepingCopy(const fs::path& folder, const std::string& name) {
        const fs::path program = folder / name;
        fs::copy_file(fs::exists("/usr/bin/sleep") ? "/usr/bin/sleep" : "/bin/sleep", program);
        int exec_done[2];
        if (pipe2(exec_done, O_CLOEXEC) != 0) {
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            execl(program.c_str(), name.c_str(), "60", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(exec_done[1]);
        char ignored;
        // The pipe closes on exec: then the process runs the copy, under its name.
        while (read(exec_done[0], &ignored, 1) > 0) {
        }
        close(exec_done[0]);
    }
    ~SleepingCopy() {
        if (pid_ > 0 && !ended_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    SleepingCopy(const SleepingCopy&) = delete;
    SleepingCopy& operator=(const SleepingCopy&) = delete;

    bool KilledBySignal() {
        int status = 0;
        ended_ = ended_ || waitpid(pid_, &status, WNOHANG) == pid_;
        return ended_ && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }
    bool Running() { return pid_ > 0 && !ended_ && waitpid(pid_, nullptr, WNOHANG) == 0; }

private:
    pid_t pid_ = -1;
    bool ended_ = false;
};

class TerminatorTest : public UpdaterTest {};

TEST_F(TerminatorTest, EndsOnlyThePlayerAndClientOfItsFolder) {
    TempFolder other_installation;
    SleepingCopy player(installation().folder(), "TessalPlayer");
    SleepingCopy client(installation().folder(), "TessalClient");
    SleepingCopy similar(installation().folder(), "TessalPlayerX");
    SleepingCopy foreign(other_installation.path(), "TessalPlayer");
    ASSERT_TRUE(player.Running());
    RunInstall("end##u##");
    EXPECT_TRUE(player.KilledBySignal());
    EXPECT_TRUE(client.KilledBySignal());
    EXPECT_TRUE(similar.Running());
    EXPECT_TRUE(foreign.Running());
}

TEST_F(TerminatorTest, TheDownloadPhaseEndsNothing) {
    SleepingCopy player(installation().folder(), "TessalPlayer");
    RunDownload();
    EXPECT_TRUE(player.Running());
}

}  // namespace
}  // namespace tessal::updater::test
