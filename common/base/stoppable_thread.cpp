#include "common/base/stoppable_thread.h"

namespace tessal {

StoppableThread::~StoppableThread() {
    Close();
}

bool StoppableThread::Start(std::function<void()> work) {
    EndRunning();
    std::lock_guard lock(mutex_);
    if (closed_)
        return false;
    ending_ = false;
    thread_ = std::thread(std::move(work));
    return true;
}

void StoppableThread::Close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    EndRunning();
}

bool StoppableThread::running() const {
    std::lock_guard lock(mutex_);
    return thread_.joinable() && !ending_;
}

bool StoppableThread::WaitFor(std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, wait, [this] { return ending_.load(); });
}

// The thread is taken out under the lock, so a Start on one thread and a Close on
// another never touch the same std::thread.
void StoppableThread::EndRunning() {
    std::thread ending;
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
        ending = std::move(thread_);
    }
    wake_.notify_all();
    if (ending.joinable() && ending.get_id() != std::this_thread::get_id())
        ending.join();
    else if (ending.joinable())
        ending.detach();
}

}  // namespace tessal
