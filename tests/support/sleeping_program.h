#pragma once

// A stand-in for one of the installation's programs: a copy of sleep under that name,
// started by the test ("sleep 60"), ended and reaped when the object goes. Tests of the
// process terminator use it to see what was ended and what was left alone.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace tessal::test {

// A copy of sleep named `name` in `folder` (created when missing), executable by all.
inline std::filesystem::path CopyOfSleep(const std::filesystem::path& folder,
                                         const std::string& name) {
    namespace fs = std::filesystem;
    fs::create_directories(folder);
    const fs::path program = folder / name;
    fs::copy_file(fs::exists("/usr/bin/sleep") ? "/usr/bin/sleep" : "/bin/sleep", program,
                  fs::copy_options::overwrite_existing);
    fs::permissions(program, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec |
                                 fs::perms::others_read);
    return program;
}

class SleepingProgram {
public:
    // Returns once the child runs `program` (under `uid` when it is not ours); one that
    // `ignores_term` stands for a program that does not end when asked.
    explicit SleepingProgram(const std::filesystem::path& program, uid_t uid = getuid(),
                             bool ignores_term = false) {
        int exec_done[2];
        if (pipe2(exec_done, O_CLOEXEC) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            if (uid != getuid() && (setgid(uid) != 0 || setuid(uid) != 0))
                _exit(126);
            if (ignores_term)
                signal(SIGTERM, SIG_IGN);  // kept across the exec
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
    ~SleepingProgram() {
        if (pid_ > 0 && !reaped_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    SleepingProgram(const SleepingProgram&) = delete;
    SleepingProgram& operator=(const SleepingProgram&) = delete;

    bool started() const { return pid_ > 0; }
    bool Running() { return pid_ > 0 && !Reap(); }
    // True when it has already ended through SIGKILL.
    bool Killed() { return EndedBy(SIGKILL); }
    bool EndedBy(int signal) {
        return Reap() && WIFSIGNALED(status_) && WTERMSIG(status_) == signal;
    }

private:
    bool Reap() {
        if (!reaped_ && pid_ > 0 && waitpid(pid_, &status_, WNOHANG) == pid_)
            reaped_ = true;
        return reaped_;
    }

    pid_t pid_ = -1;
    bool reaped_ = false;
    int status_ = 0;
};

}  // namespace tessal::test
