#pragma once

// Every task of one engine session by its handle. Entries stay until the session ends,
// so a deleted task keeps answering "failed" and a handle is never reused: handles are
// ids from a process-wide counter, not addresses, so a stale or foreign one finds nothing.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "engines/download/task.h"

namespace tessal::xldl {

class TaskTable {
public:
    std::shared_ptr<Task> Add(TaskRequest request);
    std::shared_ptr<Task> Find(const void* handle) const;
    // True when a task not yet released by aria2 uses this file.
    bool FileInUse(const std::filesystem::path& file) const;

    static void* HandleOf(const Task& task);

private:
    mutable std::mutex mutex_;
    std::map<std::uint64_t, std::shared_ptr<Task>> tasks_;
};

}  // namespace tessal::xldl
