#pragma once

// The threads of the download workers: one per started task. A worker cleaning up a
// failed task may still run while the next task's worker starts; ended threads are
// joined as new ones start, and all of them by the shutdown routine.

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace tessal::client {

class DownloadWorkers {
public:
    DownloadWorkers() = default;
    ~DownloadWorkers() { JoinAll(); }
    DownloadWorkers(const DownloadWorkers&) = delete;
    DownloadWorkers& operator=(const DownloadWorkers&) = delete;

    void Start(std::function<void()> work);
    // Waits for every worker; the caller raised the stop signal first.
    void JoinAll();
    int running() const;

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    void JoinEnded();

    mutable std::mutex mutex_;
    std::list<Worker> workers_;
};

}  // namespace tessal::client
