#pragma once

// Work that client threads hand to the engine thread, which alone touches aria2.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace tessal::xldl {

class CommandQueue {
public:
    using Command = std::function<void()>;

    void Post(Command command) {
        {
            const std::lock_guard lock(mutex_);
            commands_.push_back(std::move(command));
        }
        wake_.notify_one();
    }

    // Runs every queued command on the calling thread.
    void RunAll() {
        std::deque<Command> taken;
        {
            const std::lock_guard lock(mutex_);
            taken.swap(commands_);
        }
        for (auto& command : taken)
            command();
    }

    // Waits until a command is queued, `Wake()` is called, or the time is up.
    void WaitFor(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, timeout, [this] { return !commands_.empty() || woken_; });
        woken_ = false;
    }

    void Wake() {
        {
            const std::lock_guard lock(mutex_);
            woken_ = true;
        }
        wake_.notify_one();
    }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Command> commands_;
    bool woken_ = false;
};

}  // namespace tessal::xldl
