#pragma once

// One aria2 session and the thread that owns it. The thread loops run(RUN_ONCE), runs the
// commands client threads queued in between, and refreshes the task table from aria2, so
// that client calls never wait on aria2. A task aria2 gives up on for a reason time may
// cure is added again later, from its control file (retry_policy.h).

#include <aria2/aria2.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "engines/download/command_queue.h"
#include "engines/download/failure_check.h"
#include "engines/download/retry_policy.h"
#include "engines/download/task_table.h"

namespace tessal::xldl {

class Engine {
public:
    Engine() = default;
    ~Engine();  // ends every download (keeping partial data) and the thread
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Starts the thread and its session; false when aria2 refuses the session.
    bool Start();

    TaskTable& tasks() { return tasks_; }
    void StartTask(std::shared_ptr<Task> task);
    void StopTask(std::shared_ptr<Task> task);  // removes it from aria2, data kept
    void DeleteTask(std::shared_ptr<Task> task);
    void SetDownloadLimit(std::int64_t bytes_per_second);

private:
    struct Added {
        std::shared_ptr<Task> task;
        aria2::A2Gid gid;
    };
    struct Retry {
        std::shared_ptr<Task> task;
        std::optional<Clock::time_point> due;  // nothing while `check` is open
        std::shared_ptr<FailureCheck> check;
    };

    void Loop();
    void Finish();
    void AddPendingTasks();
    bool AddToAria2(const std::shared_ptr<Task>& task);
    void RemoveFromAria2(Task& task);
    void Refresh();
    void RefreshOne(const std::shared_ptr<Task>& task, aria2::A2Gid gid);
    void OnError(const std::shared_ptr<Task>& task);
    void ScheduleRetry(const std::shared_ptr<Task>& task);
    void StartOver(const std::shared_ptr<Task>& task);
    void Ask(const std::shared_ptr<Task>& task, std::shared_ptr<FailureCheck> check);
    void ResumeDueRetries();
    bool SettleRetry(Retry& retry, Clock::time_point now);
    static int OnEvent(aria2::Session* session, aria2::DownloadEvent event, aria2::A2Gid gid,
                       void* user_data);

    TaskTable tasks_;
    CommandQueue commands_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    // Engine thread only.
    aria2::Session* session_ = nullptr;
    std::vector<std::shared_ptr<Task>> pending_;  // started, waiting for their files
    std::vector<Added> added_;                    // held by aria2
    std::vector<Retry> retrying_;                 // waiting to be tried again
    RetryTimes retry_times_;
    bool events_seen_ = false;
    std::chrono::steady_clock::time_point last_refresh_;
};

}  // namespace tessal::xldl
