#pragma once

// An Xvfb server for one test program, on a display number it picks itself
// (-displayfd), stopped by its process id.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

extern char** environ;

namespace tessal::aplayer::test {

class XvfbServer {
public:
    // Empty display when Xvfb is not installed or did not start within 10 s.
    explicit XvfbServer(const char* screen = "1024x768x24") {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
        const std::string fd = std::to_string(fds[1]);
        // -noreset: a server resetting after its last client left refuses a client that
        // connects meanwhile, as the next program of a test does.
        const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(),  "-noreset", "-screen",
                              "0",    screen,       "-nolisten", "tcp",      nullptr};
        if (::posix_spawnp(&pid_, "Xvfb", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
            pid_ = -1;
        ::close(fds[1]);
        if (pid_ > 0)
            display_ = ReadDisplay(fds[0]);
        ::close(fds[0]);
    }
    ~XvfbServer() { Stop(); }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // ":<number>", or empty.
    const std::string& display() const { return display_; }

    void Stop() {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    static std::string ReadDisplay(int fd) {
        std::string number;
        char c = 0;
        pollfd wait{fd, POLLIN, 0};
        while (::poll(&wait, 1, 10000) > 0 && ::read(fd, &c, 1) == 1 && c != '\n')
            number += c;
        return number.empty() ? std::string() : ":" + number;
    }

    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace tessal::aplayer::test
