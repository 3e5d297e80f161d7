#include "player/window/task_thread.h"

namespace tessal::player {

TaskThread::TaskThread() : thread_([this] { Run(); }) {}

TaskThread::~TaskThread() {
    Close();
}

bool TaskThread::Queue(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        if (closed_ || !task)
            return false;
        tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
    return true;
}

void TaskThread::Flush() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return tasks_.empty() && !running_task_; });
}

void TaskThread::Close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

void TaskThread::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return closed_ || !tasks_.empty(); });
        if (tasks_.empty()) {
            idle_.notify_all();
            return;  // closed, and everything queued ran
        }
        auto task = std::move(tasks_.front());
        tasks_.pop_front();
        running_task_ = true;
        lock.unlock();
        task();
        lock.lock();
        running_task_ = false;
        if (tasks_.empty())
            idle_.notify_all();
    }
}

}  // namespace tessal::player
