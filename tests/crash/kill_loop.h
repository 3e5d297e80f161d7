#pragma once

// What every crash check shares: the run's seed (logged, so that a failure can be
// replayed with TESSAL_CRASH_SEED), the number of kills (TESSAL_CRASH_SCALE multiplies
// them for a long run), programs started and killed with SIGKILL, and the tally of kills
// and faults that each check prints.

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace tessal::crash {

// TESSAL_CRASH_SEED when set, else a fresh one; the same for every check of a run.
std::uint64_t RunSeed();
// TESSAL_CRASH_SCALE (a whole number from 1 to 1000), else 1.
int KillScale();

// Random times for one check: its own stream of the run's seed.
class KillClock {
public:
    explicit KillClock(const std::string& check);
    std::chrono::microseconds Between(std::chrono::microseconds low,
                                      std::chrono::microseconds high);
    bool Chance(double probability);

private:
    std::uint64_t seed_;
    std::mt19937_64 engine_;
};

// A program started in `folder` with its output thrown away and no input; its error
// stream is kept for WaitForText when `keep_errors`.
class Program {
public:
    Program(const std::filesystem::path& program, const std::vector<std::string>& arguments,
            const std::filesystem::path& folder,
            const std::vector<std::pair<std::string, std::string>>& environment = {},
            bool keep_errors = false);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // False once it has ended (`status` then tells how).
    bool Running();
    // True when it still ran when killed; false when it had ended by itself (`status`
    // then holds how it ended).
    bool Kill();
    // Waits for its own end, at most `limit`; -1 when it did not end by exit in time
    // (then it is killed).
    int Wait(std::chrono::milliseconds limit);
    bool Signal(int signal) const;
    std::string status() const { return status_; }
    // True once `text` appeared on its error stream; false when the stream ended or
    // `limit` passed first.
    bool WaitForText(const std::string& text, std::chrono::milliseconds limit);
    // Keeps reading its error stream for `time`, so that it never blocks on a full pipe.
    void ReadErrorsFor(std::chrono::microseconds time);
    const std::string& errors() const { return errors_; }

private:
    bool ReadErrorsUntil(const std::string& text, std::chrono::steady_clock::time_point end);

    pid_t pid_ = -1;
    std::string status_;
    int errors_fd_ = -1;
    std::string errors_;
};

struct CrashTally {
    explicit CrashTally(std::string name) : check(std::move(name)) {}

    std::string check;
    int kills = 0;
    int failures = 0;
    int temporaries = 0;  // kills that left a temporary file behind
    std::vector<std::string> faults;

    // A fault found after kill number `kills`.
    void Fail(const std::string& fault);
    // "<check>: N kills, M failures (T left a temporary; TESSAL_CRASH_SEED=S)".
    std::string Summary() const;
};

// The permission bits of `file`; 0 when there is none.
unsigned PermissionBits(const std::filesystem::path& file);

// The hidden temporaries the atomic writes leave in `folder` (not below it).
int CountTemporaries(const std::filesystem::path& folder);

}  // namespace tessal::crash
