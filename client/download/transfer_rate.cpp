#include "client/download/transfer_rate.h"

#include <cmath>
#include <cstdio>

namespace tessal::client {
namespace {

std::string SpeedText(double bytes_per_second) {
    char text[32];
    if (bytes_per_second >= 1024.0 * 1024.0)
        std::snprintf(text, sizeof text, "%.1f MB/s", bytes_per_second / (1024.0 * 1024.0));
    else
        std::snprintf(text, sizeof text, "%.0f KB/s", bytes_per_second / 1024.0);
    return text;
}

// "0:42", "12:05", "1:02:03"; a day or more reads as "> 1 天".
std::string DurationText(long long seconds) {
    if (seconds >= 24 * 3600)
        return "> 1 天";
    char text[32];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
    return text;
}

}  // namespace

void TransferRate::Add(Clock::time_point when, long long done) {
    if (!samples_.empty() && done < samples_.back().done)
        samples_.clear();
    samples_.push_back({when, done});
    while (samples_.size() > 2 && when - samples_[1].when >= kWindow)
        samples_.pop_front();
}

std::optional<double> TransferRate::BytesPerSecond() const {
    if (samples_.size() < 2)
        return std::nullopt;
    const std::chrono::duration<double> span = samples_.back().when - samples_.front().when;
    if (span < std::chrono::seconds(1))
        return std::nullopt;
    return static_cast<double>(samples_.back().done - samples_.front().done) / span.count();
}

std::string RateText(double bytes_per_second, long long bytes_left) {
    std::string text = SpeedText(bytes_per_second);
    if (bytes_per_second >= 1.0 && bytes_left > 0)
        text += " · 剩余 " + DurationText(static_cast<long long>(
                                 std::ceil(static_cast<double>(bytes_left) / bytes_per_second)));
    return text;
}

}  // namespace tessal::client
