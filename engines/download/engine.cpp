#include "engines/download/engine.h"

#include <algorithm>
#include <filesystem>
#include <future>
#include <mutex>

#include "engines/download/aria2_options.h"
#include "engines/download/control_file.h"
#include "engines/download/engine_settings.h"

namespace tessal::xldl {
namespace {

using namespace std::chrono_literals;

// How stale a query may be while a download runs, and how long the idle thread sleeps
// between looks at its queue.
constexpr auto kRefreshInterval = 50ms;
constexpr auto kIdleWait = 100ms;

bool IsFinal(aria2::DownloadStatus status) {
    return status == aria2::DOWNLOAD_COMPLETE || status == aria2::DOWNLOAD_ERROR ||
           status == aria2::DOWNLOAD_REMOVED;
}

Aria2State StateOf(aria2::DownloadStatus status, const Task& task) {
    switch (status) {
        case aria2::DOWNLOAD_ACTIVE:
            return Aria2State::kActive;
        case aria2::DOWNLOAD_WAITING:
            return Aria2State::kWaiting;
        case aria2::DOWNLOAD_PAUSED:
            return Aria2State::kPaused;
        case aria2::DOWNLOAD_COMPLETE: {
            std::error_code error;
            const bool present = std::filesystem::is_regular_file(task.request.FilePath(), error);
            return present ? Aria2State::kComplete : Aria2State::kFailed;
        }
        default:
            return Aria2State::kFailed;
    }
}

}  // namespace

Engine::~Engine() {
    if (!thread_.joinable())
        return;
    stopping_ = true;
    commands_.Wake();
    thread_.join();
}

bool Engine::Start() {
    retry_times_ = RetryTimes::FromEnvironment();
    std::promise<bool> started;
    auto result = started.get_future();
    thread_ = std::thread([this, &started] {
        aria2::SessionConfig config;
        config.keepRunning = true;  // the session outlives its downloads; shutdown() ends it
        config.useSignalHandler = false;
        config.downloadEventCallback = &Engine::OnEvent;
        config.userData = this;
        session_ = aria2::sessionNew(SessionOptions(EngineSettings::Instance().Snapshot()), config);
        started.set_value(session_ != nullptr);
        if (session_ != nullptr)
            Loop();
    });
    if (result.get())
        return true;
    thread_.join();
    return false;
}

void Engine::StartTask(std::shared_ptr<Task> task) {
    commands_.Post([this, task] { pending_.push_back(task); });
}

void Engine::StopTask(std::shared_ptr<Task> task) {
    commands_.Post([this, task] { RemoveFromAria2(*task); });
}

void Engine::DeleteTask(std::shared_ptr<Task> task) {
    commands_.Post([this, task] { RemoveFromAria2(*task); });
}

void Engine::SetDownloadLimit(std::int64_t bytes_per_second) {
    commands_.Post([this, bytes_per_second] {
        aria2::changeGlobalOption(session_, SpeedLimitOptions(bytes_per_second));
    });
}

void Engine::Loop() {
    while (!stopping_) {
        commands_.RunAll();
        ResumeDueRetries();
        AddPendingTasks();
        if (added_.empty()) {
            commands_.WaitFor(kIdleWait);
            continue;
        }
        aria2::run(session_, aria2::RUN_ONCE);
        if (events_seen_ || std::chrono::steady_clock::now() - last_refresh_ >= kRefreshInterval) {
            Refresh();
        }
    }
    Finish();
}

// aria2 writes the control files of unfinished downloads only when run to the end.
void Engine::Finish() {
    aria2::shutdown(session_, true);
    while (aria2::run(session_, aria2::RUN_ONCE) == 1) {
    }
    Refresh();
    aria2::sessionFinal(session_);
    session_ = nullptr;
}

// A task starts once no earlier task still writes its file, so that a resume picks up
// the control file the earlier one left instead of colliding with it.
void Engine::AddPendingTasks() {
    std::vector<std::shared_ptr<Task>> waiting;
    for (auto& task : pending_) {
        if (task->deleted || task->stop_requested)
            continue;
        const auto same_file = [&](const Added& added) {
            return added.task->request.FilePath() == task->request.FilePath();
        };
        if (std::any_of(added_.begin(), added_.end(), same_file) || !AddToAria2(task)) {
            if (task->state != Aria2State::kFailed)
                waiting.push_back(task);
        }
    }
    pending_.swap(waiting);
}

bool Engine::AddToAria2(const std::shared_ptr<Task>& task) {
    aria2::A2Gid gid = 0;
    if (!task->retry.started())
        task->retry.Start(Clock::now());
    task->resume_total = KeepTrustworthyControlFile(task->request.FilePath());
    const auto options = TaskOptions(task->request, EngineSettings::Instance().Snapshot());
    if (aria2::addUri(session_, &gid, {task->request.url}, options) != 0) {
        task->error_code = -1;
        task->state = Aria2State::kFailed;
        return false;
    }
    task->holds_files = true;
    task->state = Aria2State::kWaiting;
    added_.push_back({task, gid});
    last_refresh_ = {};
    return true;
}

void Engine::RemoveFromAria2(Task& task) {
    for (const auto& added : added_) {
        if (added.task.get() == &task)
            aria2::removeDownload(session_, added.gid, true);
    }
}

void Engine::Refresh() {
    for (const auto& added : added_)
        RefreshOne(added.task, added.gid);
    std::erase_if(added_, [](const Added& added) { return !added.task->holds_files; });
    events_seen_ = false;
    last_refresh_ = std::chrono::steady_clock::now();
}

// A handle is valid only until the next run(), so it is read and released here.
void Engine::RefreshOne(const std::shared_ptr<Task>& task, aria2::A2Gid gid) {
    aria2::DownloadHandle* handle = aria2::getDownloadHandle(session_, gid);
    if (handle == nullptr) {  // the result was evicted: it ended somehow
        if (task->state != Aria2State::kComplete)
            task->state = Aria2State::kFailed;
        task->holds_files = false;
        return;
    }
    const aria2::DownloadStatus status = handle->getStatus();
    const std::int64_t total = handle->getTotalLength();
    const std::int64_t completed = handle->getCompletedLength();
    task->error_code = handle->getErrorCode();
    aria2::deleteDownloadHandle(handle);
    // A task tried again learns its length only once the server answers; until then it
    // keeps what it had, so the member's progress does not drop to nothing and back.
    if (total > 0 || task->total_bytes.load() == 0) {
        task->total_bytes = total;
        task->completed_bytes = completed;
    }
    task->retry.OnBytes(completed, Clock::now());
    if (IsFinal(status))
        task->holds_files = false;
    if (status == aria2::DOWNLOAD_ERROR)
        OnError(task);
    else
        task->state = StateOf(status, *task);
}

int Engine::OnEvent(aria2::Session*, aria2::DownloadEvent, aria2::A2Gid, void* user_data) {
    static_cast<Engine*>(user_data)->events_seen_ = true;
    return 0;
}

}  // namespace tessal::xldl
