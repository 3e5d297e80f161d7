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
    kPermanent,   // 404, 401, disk full or unwritable, ...: give up
    kNameLookup,  // the host name did not resolve: whether it exists decides
    kHttpStatus,  // another status (403, 500, 416, ...): what the server says now decides
};

// By aria2's error code (aria2/aria2.h, "Exit status").
FailureKind ClassifyFailure(int aria2_error_code);

// What the answer to a question about a failure (failure_check.h) means.
enum class CheckVerdict {
    kIncurable,  // the name does not exist, the server refuses the lesson: give up
    kCurable,    // the name exists, the server failed or could not be reached: try again
    kStartOver,  // the server serves the lesson but not the part asked for: start afresh
};
// From a getaddrinfo result.
CheckVerdict VerdictOfLookup(int getaddrinfo_result);
// From the HTTP status of a request for the lesson's first byte; 0: no answer.
CheckVerdict VerdictOfStatus(long http_status);

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
    // Whether any byte arrived: the host's name resolved then, so a later "no such
    // name" is the resolver's outage, not the host's.
    bool received_data() const { return most_bytes_ > 0; }
    // When to try again; nothing once the task went the outage limit without progress.
    std::optional<Clock::time_point> NextTry(const RetryTimes& times, Clock::time_point now);

private:
    bool started_ = false;
    Clock::time_point last_progress_{};
    std::int64_t most_bytes_ = 0;
    int tries_since_progress_ = 0;
};

}  // namespace tessal::xldl
