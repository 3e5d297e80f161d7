#include "engines/download/task_table.h"

#include <atomic>

namespace tessal::xldl {
namespace {

std::atomic<std::uint64_t> next_task_id{1};

// Added to aria2 and not yet released, waiting to be tried again, or started and about
// to be added.
bool WillWrite(const Task& task) {
    if (task.holds_files.load())
        return true;
    if (task.state.load() == Aria2State::kRetrying)
        return !task.stop_requested.load() && !task.deleted.load();
    return task.start_requested.load() && !task.stop_requested.load() && !task.deleted.load() &&
           task.state.load() == Aria2State::kNotAdded;
}

}  // namespace

std::shared_ptr<Task> TaskTable::Add(TaskRequest request) {
    auto task = std::make_shared<Task>(next_task_id.fetch_add(1), std::move(request));
    const std::lock_guard lock(mutex_);
    tasks_.emplace(task->id, task);
    return task;
}

std::shared_ptr<Task> TaskTable::Find(const void* handle) const {
    const auto id = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
    const std::lock_guard lock(mutex_);
    const auto found = tasks_.find(id);
    return found == tasks_.end() ? nullptr : found->second;
}

bool TaskTable::FileInUse(const std::filesystem::path& file) const {
    const std::lock_guard lock(mutex_);
    for (const auto& [id, task] : tasks_) {
        if (WillWrite(*task) && task->request.FilePath() == file)
            return true;
    }
    return false;
}

void* TaskTable::HandleOf(const Task& task) {
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(task.id));
}

}  // namespace tessal::xldl
