// The engine's answer to a task aria2 gave up on: try it again later, start it afresh,
// or let it fail.

#include <algorithm>

#include "engines/download/engine.h"
#include "engines/download/engine_settings.h"

namespace tessal::xldl {
namespace {

// aria2 refused to resume because the lesson on the server is no longer as long as the
// partial data it left: that data belongs to an older lesson.
bool ChangedOnServer(const Task& task) {
    return task.error_code == 1 && !task.started_over && task.resume_total > 0 &&
           task.total_bytes > 0 && task.total_bytes != task.resume_total;
}

}  // namespace

void Engine::OnError(const std::shared_ptr<Task>& task) {
    if (task->stop_requested || task->deleted) {
        task->state = Aria2State::kFailed;
        return;
    }
    if (ChangedOnServer(*task)) {
        StartOver(task);
        return;
    }
    switch (ClassifyFailure(task->error_code)) {
        case FailureKind::kPermanent:
            task->state = Aria2State::kFailed;
            return;
        case FailureKind::kTransient:
            ScheduleRetry(task);
            return;
        case FailureKind::kNameLookup:
            // A name that resolved before exists: the resolver is what went away.
            if (task->retry.received_data())
                ScheduleRetry(task);
            else
                Ask(task, FailureCheck::LookUpHost(HostOfUrl(task->request.url)));
            return;
        case FailureKind::kHttpStatus:
            Ask(task,
                FailureCheck::AskServer(task->request.url, EngineSettings::Instance().Snapshot()));
            return;
    }
}

void Engine::ScheduleRetry(const std::shared_ptr<Task>& task) {
    const auto due = task->retry.NextTry(retry_times_, Clock::now());
    if (!due) {
        task->state = Aria2State::kFailed;
        return;
    }
    task->state = Aria2State::kRetrying;
    retrying_.push_back({task, due, nullptr});
}

// Throws the partial data away and tries again at once; once per task.
void Engine::StartOver(const std::shared_ptr<Task>& task) {
    if (task->started_over) {
        task->state = Aria2State::kFailed;
        return;
    }
    std::filesystem::path control = task->request.FilePath();
    control += ".aria2";
    std::error_code error;
    std::filesystem::remove(task->request.FilePath(), error);
    std::filesystem::remove(control, error);
    task->started_over = true;
    task->total_bytes = 0;
    task->completed_bytes = 0;
    task->state = Aria2State::kRetrying;
    retrying_.push_back({task, Clock::now(), nullptr});
}

void Engine::Ask(const std::shared_ptr<Task>& task, std::shared_ptr<FailureCheck> check) {
    task->state = Aria2State::kRetrying;
    retrying_.push_back({task, std::nullopt, std::move(check)});
}

void Engine::ResumeDueRetries() {
    const auto now = Clock::now();
    std::erase_if(retrying_, [&](Retry& retry) { return SettleRetry(retry, now); });
}

// True when the wait is over: the task is queued for aria2 again, or it failed.
bool Engine::SettleRetry(Retry& retry, Clock::time_point now) {
    Task& task = *retry.task;
    if (task.stop_requested || task.deleted) {
        task.state = Aria2State::kFailed;
        return true;
    }
    if (retry.check) {
        const auto verdict = retry.check->verdict();
        if (!verdict)
            return false;
        retry.check.reset();
        if (*verdict == CheckVerdict::kStartOver) {
            StartOver(retry.task);
            return true;
        }
        retry.due = *verdict == CheckVerdict::kIncurable ? std::nullopt
                                                         : task.retry.NextTry(retry_times_, now);
        if (!retry.due) {
            task.state = Aria2State::kFailed;
            return true;
        }
    }
    if (*retry.due > now)
        return false;
    pending_.push_back(retry.task);  // stays kRetrying until aria2 has it
    return true;
}

}  // namespace tessal::xldl
