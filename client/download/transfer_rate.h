#pragma once

// A downloading lesson's speed and time left, averaged over the last few seconds of
// progress reports so that the figures shown do not jump from one poll to the next.

#include <chrono>
#include <deque>
#include <optional>
#include <string>

namespace tessal::client {

class TransferRate {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr auto kWindow = std::chrono::seconds(5);

    // `done` bytes of the task had arrived at `when`. A count that goes back (the engine
    // started the file over) starts the average afresh.
    void Add(Clock::time_point when, long long done);
    // Bytes per second over the window; nothing before a second of reports.
    std::optional<double> BytesPerSecond() const;

private:
    struct Sample {
        Clock::time_point when;
        long long done;
    };
    std::deque<Sample> samples_;
};

// "1.2 MB/s · 剩余 0:42": the speed, and the time left for `bytes_left` at that speed
// (omitted when nothing is left, the speed is zero or the size is unknown).
std::string RateText(double bytes_per_second, long long bytes_left);

}  // namespace tessal::client
