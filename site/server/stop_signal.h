#pragma once

// Lets a handler that waits on purpose (a delayed or throttled reply) give up at once
// when the site stops, so that stopping never waits for a slow reply to finish.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tessal::site {

class StopSignal {
public:
    // False when the site began to stop before `duration` was over.
    bool WaitFor(std::chrono::milliseconds duration) {
        std::unique_lock lock(mutex_);
        return !changed_.wait_for(lock, duration, [this] { return stopping_; });
    }

    void Raise() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
    }

    void Reset() {
        std::lock_guard lock(mutex_);
        stopping_ = false;
    }

    bool raised() {
        std::lock_guard lock(mutex_);
        return stopping_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stopping_ = false;
};

}  // namespace tessal::site
