// How long TessalClient takes from its start to the login window's first paint, and
// how much memory it holds at that moment. Starts the program ROUNDS times in its
// installation folder, waits for the "login window shown" trace, reads VmRSS and whether
// the web engine is mapped (the main window's web view element, built by then, must not
// load it), ends it with SIGTERM, and prints the median time, the largest resident size,
// the number of rounds and the number of rounds with the web engine mapped.
//
//   bench_client_startup PROGRAM INSTALLATION_FOLDER [ROUNDS]

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Round {
    double milliseconds = 0;
    long resident_kib = 0;
    bool web_engine_mapped = false;
};

long ResidentKib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return 0;
}

// libewe.so or Qt WebEngine among the files the process has mapped.
bool WebEngineMapped(pid_t pid) {
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (line.find("libewe.so") != std::string::npos ||
            line.find("libQt6WebEngine") != std::string::npos)
            return true;
    }
    return false;
}

// Reads the child's error stream until the trace appears; false when it ended first.
bool WaitForTrace(int stream) {
    std::string seen;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(stream, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        seen.append(buffer, static_cast<std::size_t>(got));
        if (seen.find("login window shown") != std::string::npos)
            return true;
    }
}

bool RunOnce(const char* program, const char* folder, Round& round) {
    int pipe_ends[2];
    if (::pipe(pipe_ends) != 0)
        return false;
    const auto start = Clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipe_ends[1], STDERR_FILENO);
        ::close(pipe_ends[0]);
        if (::chdir(folder) != 0)
            ::_exit(127);
        ::setenv("TESSAL_TRACE", "1", 1);
        ::execl(program, program, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipe_ends[1]);
    const bool shown = WaitForTrace(pipe_ends[0]);
    round.milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    round.resident_kib = ResidentKib(child);
    round.web_engine_mapped = WebEngineMapped(child);
    ::kill(child, SIGTERM);
    ::close(pipe_ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return shown;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s PROGRAM INSTALLATION_FOLDER [ROUNDS]\n", argv[0]);
        return 2;
    }
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    std::vector<Round> results;
    for (int i = 0; i < rounds; ++i) {
        Round round;
        if (!RunOnce(argv[1], argv[2], round)) {
            std::fprintf(stderr, "the login window was not shown\n");
            return 1;
        }
        results.push_back(round);
    }
    std::vector<double> times;
    long resident = 0;
    int web_engine_rounds = 0;
    for (const Round& round : results) {
        times.push_back(round.milliseconds);
        resident = std::max(resident, round.resident_kib);
        web_engine_rounds += round.web_engine_mapped ? 1 : 0;
    }
    std::sort(times.begin(), times.end());
    std::printf("%.1f %.1f %zu %d\n", times[times.size() / 2], resident / 1024.0, times.size(),
                web_engine_rounds);
    return 0;
}
