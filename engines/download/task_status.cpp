#include "engines/download/task_status.h"

#include "engines/download/xldl.h"

namespace tessal::xldl {
namespace {

std::int32_t StatusFromAria2(const Task& task, Aria2State state) {
    switch (state) {
        case Aria2State::kNotAdded:
            return kXlStarting;
        // A lesson that has data stays "downloading" through an outage and its retries.
        case Aria2State::kWaiting:
        case Aria2State::kActive:
        case Aria2State::kRetrying:
            return task.completed_bytes.load() > 0 ? kXlDownloading : kXlStarting;
        case Aria2State::kPaused:
            return kXlPaused;
        case Aria2State::kComplete:
            return kXlComplete;
        case Aria2State::kFailed:
            return kXlFailed;
    }
    return kXlFailed;
}

}  // namespace

std::int32_t StatusOf(const Task& task) {
    // The client's own requests show at once; aria2 follows them later.
    if (task.deleted.load())
        return kXlFailed;
    const Aria2State state = task.state.load();
    if (task.stop_requested.load()) {
        return state == Aria2State::kComplete ? kXlComplete : kXlPaused;
    }
    return StatusFromAria2(task, state);
}

}  // namespace tessal::xldl
