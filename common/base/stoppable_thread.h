#pragma once

// One worker thread at a time that waits between its rounds (a heartbeat, a poll) and
// must end at once when told: its waits are condition-variable waits that ending wakes,
// and its requests may poll `ending()`. Start ends the running thread before it starts
// the next; Close ends it for good, so nothing starts after the program began to end.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tessal {

class StoppableThread {
public:
    StoppableThread() = default;
    ~StoppableThread();  // closes
    StoppableThread(const StoppableThread&) = delete;
    StoppableThread& operator=(const StoppableThread&) = delete;

    // Ends the running thread, then runs `work` on a new one; false, and nothing started,
    // once closed.
    bool Start(std::function<void()> work);
    // Ends the running thread for good and joins it (from the thread itself: lets it go).
    void Close();
    // True while a started thread has not been told to end.
    bool running() const;

    // From the worker: true when `wait` ran out, false as soon as it is told to end.
    bool WaitFor(std::chrono::milliseconds wait);
    // Turns true when the worker is told to end (a request's abandon flag).
    const std::atomic<bool>& ending() const noexcept { return ending_; }

private:
    void EndRunning();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    // Set under the lock (the wait watches it); atomic so requests may poll it.
    std::atomic<bool> ending_ = false;
    bool closed_ = false;
    std::thread thread_;
};

}  // namespace tessal
