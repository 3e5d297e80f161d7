// The updater ends the installation's running player before it replaces the engine, and
// nothing else: not a player of another installation, not a program with a longer name.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>

#include "tests/codec_updater/codec_updater_fixture.h"
#include "tests/support/temp_folder.h"

namespace tessal::codecs {
namespace {

namespace fs = std::filesystem;

fs::path Install(const fs::path& folder, const std::string& name) {
    const fs::path program = folder / name;
    const fs::path sleep = fs::exists("/usr/bin/sleep") ? "/usr/bin/sleep" : "/bin/sleep";
    fs::copy_file(sleep, program, fs::copy_options::overwrite_existing);
    return program;
}

// "sleep 60" under another name; killed and reaped when the object goes.
class SleepingProgram {
public:
    explicit SleepingProgram(const fs::path& program) {
        std::string path = program.string();
        std::string seconds = "60";
        char* argv[] = {path.data(), seconds.data(), nullptr};
        // posix_spawn returns once the child runs the new program (or has failed to).
        if (posix_spawn(&pid_, path.c_str(), nullptr, nullptr, argv, nullptr) != 0) {
            pid_ = -1;
        }
    }
    ~SleepingProgram() {
        if (pid_ > 0 && !Ended()) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    SleepingProgram(const SleepingProgram&) = delete;
    SleepingProgram& operator=(const SleepingProgram&) = delete;

    bool started() const { return pid_ > 0; }
    bool Ended() {
        if (!ended_ && pid_ > 0 && waitpid(pid_, &status_, WNOHANG) == pid_) {
            ended_ = true;
        }
        return ended_;
    }
    bool Killed() { return Ended() && WIFSIGNALED(status_) && WTERMSIG(status_) == SIGKILL; }

private:
    pid_t pid_ = -1;
    bool ended_ = false;
    int status_ = 0;
};

TEST_F(CodecUpdaterTest, EndsOnlyThisInstallationsPlayer) {
    const TempFolder other_installation;
    SleepingProgram player(Install(installation_.folder(), "TessalPlayer"));
    SleepingProgram longer_name(Install(installation_.folder(), "TessalPlayerX"));
    SleepingProgram other_player(Install(other_installation.path(), "TessalPlayer"));
    ASSERT_TRUE(player.started() && longer_name.started() && other_player.started());

    const test::ProcessResult result = RunUpdater();

    EXPECT_EQ(result.exit_status, 0) << result.errors;
    EXPECT_TRUE(player.Killed());
    EXPECT_FALSE(longer_name.Ended());
    EXPECT_FALSE(other_player.Ended());
}

}  // namespace
}  // namespace tessal::codecs
