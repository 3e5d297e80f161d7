#pragma once

// One thread that runs queued tasks in order, so that the GUI thread hands over the
// player's disk writes (play progress, viewing history) and never waits for them. Close
// runs what is queued, then joins: nothing queued before the end is lost.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace tessal::player {

class TaskThread {
public:
    TaskThread();
    ~TaskThread();  // Close
    TaskThread(const TaskThread&) = delete;
    TaskThread& operator=(const TaskThread&) = delete;

    // False, and nothing queued, once closed.
    bool Queue(std::function<void()> task);
    // Waits until every task queued so far ran.
    void Flush();
    void Close();

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<std::function<void()>> tasks_;
    bool running_task_ = false;
    bool closed_ = false;
    std::thread thread_;
};

}  // namespace tessal::player
