#include "common/system/process_terminator.h"

#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <fstream>
#include <limits>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tessal {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kEndTimeout = std::chrono::milliseconds(1000);
constexpr auto kPollInterval = std::chrono::milliseconds(5);
constexpr std::string_view kDeletedSuffix = " (deleted)";

// Called through syscall(): glibc's <sys/pidfd.h> declares them without C linkage for
// C++ and older glibc lacks them.
int OpenPidfd(pid_t pid) {
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
}

bool SignalThroughPidfd(int pidfd, int signal) {
    return syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0) == 0;
}

std::filesystem::path ProcFolder(pid_t pid) {
    return std::filesystem::path("/proc") / std::to_string(pid);
}

std::optional<pid_t> PidOfName(std::string_view name) {
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error != std::errc() || end != name.data() + name.size() || pid <= 0) {
        return std::nullopt;
    }
    return pid;
}

std::vector<pid_t> RunningProcesses() {
    std::vector<pid_t> pids;
    DIR* proc = opendir("/proc");
    if (proc == nullptr) {
        return pids;
    }
    while (const dirent* entry = readdir(proc)) {
        if (const auto pid = PidOfName(entry->d_name)) {
            pids.push_back(*pid);
        }
    }
    closedir(proc);
    return pids;
}

// The real user ID from the "Uid:" line of the process's status.
std::optional<uid_t> RealUserOf(pid_t pid) {
    std::ifstream status(ProcFolder(pid) / "status");
    std::string label;
    while (status >> label) {
        if (label == "Uid:") {
            uid_t uid = 0;
            if (status >> uid) {
                return uid;
            }
            return std::nullopt;
        }
        status.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    return std::nullopt;
}

// The executable's path. A program whose file was replaced since it started (as the
// updater does) shows the old path with " (deleted)" appended; it still counts.
std::optional<std::filesystem::path> ExecutableOf(pid_t pid) {
    std::error_code error;
    std::string target = std::filesystem::read_symlink(ProcFolder(pid) / "exe", error).string();
    if (error || target.empty()) {
        return std::nullopt;
    }
    if (target.ends_with(kDeletedSuffix)) {
        target.resize(target.size() - kDeletedSuffix.size());
    }
    return std::filesystem::path(target);
}

bool Matches(pid_t pid, std::string_view executable_name, const std::filesystem::path& folder) {
    if (pid == getpid() || RealUserOf(pid) != getuid()) {
        return false;
    }
    const auto executable = ExecutableOf(pid);
    return executable && executable->filename() == executable_name &&
           executable->parent_path() == folder;
}

// A process addressed by a pidfd when the kernel offers one, so that a PID reused after
// the process ended can never be signalled by mistake.
class TargetProcess {
public:
    explicit TargetProcess(pid_t pid) : pid_(pid), pidfd_(OpenPidfd(pid)) {
        // Without a pidfd (an old kernel, no descriptors left) fall back to the PID,
        // unless the process is gone already.
        usable_ = pidfd_ >= 0 || errno != ESRCH;
    }
    ~TargetProcess() {
        if (pidfd_ >= 0) {
            close(pidfd_);
        }
    }
    TargetProcess(TargetProcess&& other) noexcept
        : pid_(other.pid_), pidfd_(other.pidfd_), usable_(other.usable_) {
        other.pidfd_ = -1;
    }
    TargetProcess(const TargetProcess&) = delete;
    TargetProcess& operator=(const TargetProcess&) = delete;
    TargetProcess& operator=(TargetProcess&&) = delete;

    bool usable() const { return usable_; }
    pid_t pid() const { return pid_; }
    // Addressed by a pidfd: signals can only ever reach this very process.
    bool pinned() const { return pidfd_ >= 0; }

    bool Signal(int signal) const {
        if (pidfd_ >= 0) {
            return SignalThroughPidfd(pidfd_, signal);
        }
        return kill(pid_, signal) == 0;
    }

    bool WaitForEnd(Clock::time_point deadline) const {
        return pidfd_ >= 0 ? WaitOnPidfd(deadline) : PollForEnd(deadline);
    }

private:
    // The pidfd becomes readable once the process has exited, zombie or not.
    bool WaitOnPidfd(Clock::time_point deadline) const {
        for (;;) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd entry{pidfd_, POLLIN, 0};
            const int ready = poll(&entry, 1, static_cast<int>(std::max<long>(0, left.count())));
            if (ready > 0) {
                return true;
            }
            if (ready == 0 || errno != EINTR) {
                return false;
            }
        }
    }

    bool PollForEnd(Clock::time_point deadline) const {
        while (!HasEnded()) {
            if (Clock::now() >= deadline) {
                return false;
            }
            std::this_thread::sleep_for(kPollInterval);
        }
        return true;
    }

    // Gone from /proc, or a zombie waiting for its parent.
    bool HasEnded() const {
        std::ifstream stat(ProcFolder(pid_) / "stat");
        std::string line;
        if (!std::getline(stat, line)) {
            return true;
        }
        const std::size_t name_end = line.rfind(')');
        return name_end == std::string::npos || name_end + 2 >= line.size() ||
               line[name_end + 2] == 'Z' || line[name_end + 2] == 'X';
    }

    pid_t pid_;
    int pidfd_;
    bool usable_ = false;
};

// The running copies, each pinned: should a process have ended and its PID gone to
// another program between the scan and the pin, that program is not taken.
std::vector<TargetProcess> FindTargets(std::string_view executable_name,
                                       const std::filesystem::path& folder) {
    std::vector<TargetProcess> targets;
    for (const pid_t pid : RunningProcesses()) {
        if (!Matches(pid, executable_name, folder)) {
            continue;
        }
        TargetProcess target(pid);
        if (target.usable() && Matches(pid, executable_name, folder)) {
            targets.push_back(std::move(target));
        }
    }
    return targets;
}

// Asks each to end (SIGTERM) and keeps those still running after `grace`.
std::vector<TargetProcess> AskToEnd(std::vector<TargetProcess> targets,
                                    std::chrono::milliseconds grace) {
    for (const TargetProcess& target : targets) {
        target.Signal(SIGTERM);
    }
    const auto deadline = Clock::now() + grace;
    std::vector<TargetProcess> running;
    for (TargetProcess& target : targets) {
        if (!target.WaitForEnd(deadline)) {
            running.push_back(std::move(target));
        }
    }
    return running;
}

}  // namespace

int TerminateProcessesNamed(std::string_view executable_name,
                            const std::filesystem::path& program_folder,
                            std::chrono::milliseconds grace) {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::canonical(program_folder, error);
    if (error || executable_name.empty()) {
        return 0;
    }
    std::vector<TargetProcess> targets = FindTargets(executable_name, folder);
    const auto found = static_cast<int>(targets.size());
    if (grace.count() > 0) {
        targets = AskToEnd(std::move(targets), grace);
    }
    int ended = found - static_cast<int>(targets.size());
    std::vector<const TargetProcess*> killed;
    for (const TargetProcess& target : targets) {
        // Addressed by PID only, it is checked once more: after a grace it may have
        // ended and its PID gone to another program.
        const bool same = target.pinned() || Matches(target.pid(), executable_name, folder);
        if (same && target.Signal(SIGKILL)) {
            killed.push_back(&target);
        }
    }
    const auto deadline = Clock::now() + kEndTimeout;
    for (const TargetProcess* target : killed) {
        ended += target->WaitForEnd(deadline) ? 1 : 0;
    }
    return ended;
}

}  // namespace tessal
