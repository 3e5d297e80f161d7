#include "tests/crash/kill_loop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <iostream>
#include <thread>

extern char** environ;

namespace tessal::crash {
namespace fs = std::filesystem;

std::uint64_t RunSeed() {
    static const std::uint64_t seed = [] {
        const char* text = std::getenv("TESSAL_CRASH_SEED");
        const std::uint64_t value =
            text != nullptr && *text != '\0'
                ? std::strtoull(text, nullptr, 10)
                : (std::uint64_t{std::random_device{}()} << 32) | std::random_device{}();
        std::cout << "crash check seed: TESSAL_CRASH_SEED=" << value << std::endl;
        return value;
    }();
    return seed;
}

int KillScale() {
    const char* text = std::getenv("TESSAL_CRASH_SCALE");
    const long value = text != nullptr ? std::strtol(text, nullptr, 10) : 1;
    return value >= 1 && value <= 1000 ? static_cast<int>(value) : 1;
}

KillClock::KillClock(const std::string& check)
    : seed_(RunSeed() ^ std::hash<std::string>{}(check)), engine_(seed_) {}

std::chrono::microseconds KillClock::Between(std::chrono::microseconds low,
                                             std::chrono::microseconds high) {
    std::uniform_int_distribution<long long> pick(low.count(), high.count());
    return std::chrono::microseconds(pick(engine_));
}

bool KillClock::Chance(double probability) {
    return std::bernoulli_distribution(probability)(engine_);
}

Program::Program(const fs::path& program, const std::vector<std::string>& arguments,
                 const fs::path& folder,
                 const std::vector<std::pair<std::string, std::string>>& environment,
                 bool keep_errors) {
    std::vector<std::string> texts = {program.string()};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry)
        variables.emplace_back(*entry);
    for (const auto& [name, value] : environment)
        variables.push_back(name + "=" + value);
    std::vector<char*> argv, envp;
    for (std::string& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    for (std::string& text : variables)
        envp.push_back(text.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    int errors[2] = {-1, -1};
    if (keep_errors && ::pipe2(errors, O_CLOEXEC) == 0)
        posix_spawn_file_actions_adddup2(&actions, errors[1], 2);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0)
        pid_ = pid;
    posix_spawn_file_actions_destroy(&actions);
    if (errors[1] >= 0)
        ::close(errors[1]);
    errors_fd_ = errors[0];
}

Program::~Program() {
    Kill();
    if (errors_fd_ >= 0)
        ::close(errors_fd_);
}

bool Program::WaitForText(const std::string& text, std::chrono::milliseconds limit) {
    return ReadErrorsUntil(text, std::chrono::steady_clock::now() + limit);
}

void Program::ReadErrorsFor(std::chrono::microseconds time) {
    const auto end = std::chrono::steady_clock::now() + time;
    if (errors_fd_ < 0 || !ReadErrorsUntil({}, end))
        std::this_thread::sleep_until(end);
}

// An empty `text` is never found: it reads until `end`.
bool Program::ReadErrorsUntil(const std::string& text, std::chrono::steady_clock::time_point end) {
    char buffer[4096];
    while (text.empty() || errors_.find(text) == std::string::npos) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        pollfd ready{errors_fd_, POLLIN, 0};
        if (errors_fd_ < 0 || left.count() <= 0)
            return text.empty();
        if (::poll(&ready, 1, static_cast<int>(left.count())) <= 0)
            continue;
        const ssize_t got = ::read(errors_fd_, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        errors_.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

namespace {

std::string Describe(int raw) {
    if (WIFEXITED(raw))
        return "exit status " + std::to_string(WEXITSTATUS(raw));
    if (WIFSIGNALED(raw))
        return "signal " + std::to_string(WTERMSIG(raw));
    return "status " + std::to_string(raw);
}

}  // namespace

bool Program::Kill() {
    if (pid_ <= 0)
        return false;
    int raw = 0;
    const bool ended = ::waitpid(pid_, &raw, WNOHANG) == pid_;
    if (!ended) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &raw, 0);
    }
    status_ = Describe(raw);
    pid_ = -1;
    return !ended;
}

bool Program::Running() {
    int raw = 0;
    if (pid_ <= 0 || ::waitpid(pid_, &raw, WNOHANG) == 0)
        return pid_ > 0;
    status_ = Describe(raw);
    pid_ = -1;
    return false;
}

int Program::Wait(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    int raw = 0;
    while (pid_ > 0 && ::waitpid(pid_, &raw, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            Kill();
            status_ = "still running after " + std::to_string(limit.count()) + " ms";
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (pid_ <= 0)
        return -1;
    pid_ = -1;
    status_ = Describe(raw);
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

bool Program::Signal(int signal) const {
    return pid_ > 0 && ::kill(pid_, signal) == 0;
}

void CrashTally::Fail(const std::string& fault) {
    ++failures;
    // Enough to see the pattern without flooding the log.
    if (faults.size() < 20)
        faults.push_back("after kill " + std::to_string(kills) + ": " + fault);
}

std::string CrashTally::Summary() const {
    return check + ": " + std::to_string(kills) + " kills, " + std::to_string(failures) +
           " failures (" + std::to_string(temporaries) +
           " left a temporary; TESSAL_CRASH_SEED=" + std::to_string(RunSeed()) + ")";
}

unsigned PermissionBits(const fs::path& file) {
    struct stat status {};
    return ::stat(file.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

int CountTemporaries(const fs::path& folder) {
    int count = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        count += name.size() > 1 && name[0] == '.' ? 1 : 0;
    }
    return count;
}

}  // namespace tessal::crash
