#include "site/builders/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>

extern char** environ;

namespace tessal::site {
namespace {

constexpr std::size_t kKeptErrorBytes = 4096;

class Pipe {
public:
    Pipe() { ok_ = ::pipe2(fds_.data(), O_CLOEXEC) == 0; }
    ~Pipe() {
        CloseRead();
        CloseWrite();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    bool ok() const { return ok_; }
    int read_end() const { return fds_[0]; }
    int write_end() const { return fds_[1]; }
    void CloseRead() { Close(fds_[0]); }
    void CloseWrite() { Close(fds_[1]); }

private:
    static void Close(int& fd) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }

    std::array<int, 2> fds_{-1, -1};
    bool ok_ = false;
};

// Reads both pipes until the child closes them; reading only one could leave the child
// blocked on a full other pipe.
void Drain(Pipe& out, Pipe& err, ProgramResult& result) {
    std::array<pollfd, 2> polled{{{out.read_end(), POLLIN, 0}, {err.read_end(), POLLIN, 0}}};
    std::array<std::string*, 2> targets{&result.output, &result.errors};
    int open_count = 2;
    char buffer[8192];
    while (open_count > 0) {
        if (::poll(polled.data(), polled.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        for (std::size_t i = 0; i < polled.size(); ++i) {
            if (polled[i].fd < 0 || polled[i].revents == 0) {
                continue;
            }
            const ssize_t count = ::read(polled[i].fd, buffer, sizeof buffer);
            if (count < 0 && errno == EINTR) {
                continue;
            }
            if (count <= 0) {
                polled[i].fd = -1;
                --open_count;
                continue;
            }
            targets[i]->append(buffer, static_cast<std::size_t>(count));
        }
        if (result.errors.size() > 2 * kKeptErrorBytes) {
            result.errors.erase(0, result.errors.size() - kKeptErrorBytes);
        }
    }
    if (result.errors.size() > kKeptErrorBytes) {
        result.errors.erase(0, result.errors.size() - kKeptErrorBytes);
    }
}

void Wait(pid_t pid, ProgramResult& result) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            result.failure = std::string("waitpid: ") + std::strerror(errno);
            return;
        }
    }
    if (WIFEXITED(status)) {
        result.exit_status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.failure = std::string("ended by signal ") + ::strsignal(WTERMSIG(status));
    }
}

}  // namespace

ProgramResult RunProgram(const std::vector<std::string>& argv) {
    ProgramResult result;
    if (argv.empty()) {
        result.failure = "no program named";
        return result;
    }
    Pipe out;
    Pipe err;
    if (!out.ok() || !err.ok()) {
        result.failure = std::string("pipe: ") + std::strerror(errno);
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out.write_end(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.write_end(), STDERR_FILENO);

    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);

    pid_t pid = -1;
    const int spawn_error = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawn_error != 0) {
        result.failure = "cannot start " + argv[0] + ": " + std::strerror(spawn_error);
        return result;
    }
    result.started = true;
    // Our copies of the write ends must go, or the reads below never see the end.
    out.CloseWrite();
    err.CloseWrite();
    Drain(out, err, result);
    Wait(pid, result);
    return result;
}

std::string CommandText(const std::vector<std::string>& argv) {
    std::string text;
    for (const std::string& arg : argv) {
        if (!text.empty()) {
            text += ' ';
        }
        if (!arg.empty() && arg.find_first_of(" \t\"'\\") == std::string::npos) {
            text += arg;
            continue;
        }
        text += '\'';
        for (const char c : arg) {
            if (c == '\'') {
                text += "'\\''";
            } else {
                text += c;
            }
        }
        text += '\'';
    }
    return text;
}

}  // namespace tessal::site
