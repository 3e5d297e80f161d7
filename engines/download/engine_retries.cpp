// The engine's answer to a task aria2 gave up on: try it again later, or let it fail.

#include <algorithm>

#include "engines/download/engine.h"

namespace tessal::xldl {

void Engine::OnError(const std::shared_ptr<Task>& task) {
    if (task->stop_requested || task->deleted) {
        task->state = Aria2State::kFailed;
        return;
    }
    switch (ClassifyFailure(task->error_code)) {
        case FailureKind::kPermanent:
            task->state = Aria2State::kFailed;
            return;
        case FailureKind::kTransient:
            ScheduleRetry(task);
            return;
        case FailureKind::kNameLookup: {
            const std::string host = HostOfUrl(task->request.url);
            if (host.empty()) {
                task->state = Aria2State::kFailed;
                return;
            }
            task->state = Aria2State::kRetrying;
            retrying_.push_back({task, std::nullopt, HostLookup::Start(host)});
            return;
        }
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
    if (retry.lookup) {
        const auto verdict = retry.lookup->verdict();
        if (!verdict)
            return false;
        retry.lookup.reset();
        retry.due = *verdict == LookupVerdict::kMissing ? std::nullopt
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
