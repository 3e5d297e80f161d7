#pragma once

// What the engine does when aria2 gives up on a lesson. A Wi-Fi drop or a server that
// restarts must not end the task: the client would then delete the partial lesson. So
// failures that time may cure are tried again, from the control file, for as long as the
// outage lasts up to a limit; only failures that retrying cannot cure end the task.

#include <chrono>
#include <cstdint>
#include <optional>

namespace tessal::xldl {

using Clock = std::chrono::steady_clock;

enum class FailureKind {
    kTransient,   // refused, reset, cut, timed out, too slow, 502/503/504: try again
    kPermanent,   // 404, 403 and other refusals, disk full or unwritable: give up
    kNameLookup,  // the host name did not resolve: whether it exists decides
};

// By aria2's error code (aria2/aria2.h, "Exit status").
FailureKind ClassifyFailure(int aria2_error_code);

// What a name lookup's result (a getaddrinfo code) says about the host.
enum class LookupVerdict {
    kMissing,    // the name does not exist: retrying cannot cure it
    kRetryable,  // it exists now, or the resolver could not be asked (an outage)
};
LookupVerdict VerdictOfLookup(int getaddrinfo_result);

// The waits of the retry policy; tests shorten them through TESSAL_TEST_WAIT_DIVISOR,
// read at each XL_Init.
struct RetryTimes {
    std::chrono::milliseconds outage_limit{std::chrono::minutes(5)};  // without progress
    std::chrono::milliseconds first_wait{std::chrono::seconds(1)};
    std::chrono::milliseconds longest_wait{std::chrono::seconds(5)};

    static RetryTimes FromEnvironment();
};

// One task's retries: how long since it last made progress, and how long to wait before
// the next try (doubling from the first wait to the longest, reset by progress).
class RetryBudget {
public:
    void Start(Clock::time_point now);
    bool started() const { return started_; }
    // Called with the bytes the task holds; more than ever before counts as progress.
    void OnBytes(std::int64_t completed_bytes, Clock::time_point now);
    // When to try again; nothing once the task went the outage limit without progress.
    std::optional<Clock::time_point> NextTry(const RetryTimes& times, Clock::time_point now);

private:
    bool started_ = false;
    Clock::time_point last_progress_{};
    std::int64_t most_bytes_ = 0;
    int tries_since_progress_ = 0;
};

}  // namespace tessal::xldl
