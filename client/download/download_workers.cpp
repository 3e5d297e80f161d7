#include "client/download/download_workers.h"

namespace tessal::client {

void DownloadWorkers::Start(std::function<void()> work) {
    JoinEnded();
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread thread([work = std::move(work), done] {
        work();
        done->store(true);
    });
    const std::lock_guard lock(mutex_);
    workers_.push_back({std::move(thread), std::move(done)});
}

void DownloadWorkers::JoinEnded() {
    std::list<Worker> ended;
    {
        const std::lock_guard lock(mutex_);
        for (auto it = workers_.begin(); it != workers_.end();) {
            auto next = std::next(it);
            if (it->done->load())
                ended.splice(ended.end(), workers_, it);
            it = next;
        }
    }
    for (Worker& worker : ended)
        worker.thread.join();
}

void DownloadWorkers::JoinAll() {
    std::list<Worker> all;
    {
        const std::lock_guard lock(mutex_);
        all.swap(workers_);
    }
    for (Worker& worker : all)
        worker.thread.join();
}

int DownloadWorkers::running() const {
    const std::lock_guard lock(mutex_);
    int count = 0;
    for (const Worker& worker : workers_)
        count += worker.done->load() ? 0 : 1;
    return count;
}

}  // namespace tessal::client
