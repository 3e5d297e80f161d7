#pragma once

// Raised once, when a program begins to end. Worker threads poll it and end; a step that
// must never begin once the end has begun (a login claiming its account and starting
// its reports) runs through RunUnlessRaised, and Raise waits for such a step in progress,
// so after Raise returns no such step runs or will run.

#include <atomic>
#include <functional>
#include <mutex>

namespace tessal {

class StopSignal {
public:
    void Raise();
    bool raised() const noexcept { return raised_.load(std::memory_order_acquire); }
    // The flag itself, for code that can only poll a flag (an HTTP request's abandon).
    const std::atomic<bool>& flag() const noexcept { return raised_; }
    // Runs `step` and answers true, or answers false without running it once raised.
    bool RunUnlessRaised(const std::function<void()>& step);

private:
    std::mutex mutex_;
    std::atomic<bool> raised_{false};
};

}  // namespace tessal
