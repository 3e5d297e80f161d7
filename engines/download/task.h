#pragma once

// One engine task as the client sees it. What the client asked for is fixed at creation;
// the client's requests are flags it sets from any thread; what aria2 last reported is
// written only by the engine thread. Queries read all of it without waiting on aria2.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>

#include "engines/download/retry_policy.h"

namespace tessal::xldl {

struct TaskRequest {
    std::string url;        // as given, already percent-encoded by the client
    std::string file_name;  // UTF-8
    std::string folder;     // UTF-8
    std::u16string file_name_wide;

    std::filesystem::path FilePath() const { return std::filesystem::path(folder) / file_name; }
};

// What aria2 last said about the task, as the engine thread saw it.
enum class Aria2State : int {
    kNotAdded,  // not handed to aria2 (yet, or no more after a stop)
    kWaiting,
    kActive,
    kPaused,
    kComplete,  // complete and the file is where the client expects it
    kFailed,    // error, removed, or complete without the file
    kRetrying,  // aria2 gave up, the engine tries again after a wait (retry_policy.h)
};

struct Task {
    Task(std::uint64_t task_id, TaskRequest task_request)
        : id(task_id), request(std::move(task_request)) {}

    const std::uint64_t id;
    const TaskRequest request;

    // Set by client calls.
    std::atomic<bool> start_requested{false};
    std::atomic<bool> stop_requested{false};
    std::atomic<bool> deleted{false};

    // Written by the engine thread.
    std::atomic<Aria2State> state{Aria2State::kNotAdded};
    std::atomic<int> error_code{0};
    std::atomic<std::int64_t> total_bytes{0};
    std::atomic<std::int64_t> completed_bytes{0};
    // aria2 still holds the task's files open (added and not yet in its results).
    std::atomic<bool> holds_files{false};

    // Engine thread only.
    RetryBudget retry;
    std::int64_t resume_total = 0;  // the lesson's length by its control file at the last add
    bool started_over = false;      // its partial data was thrown away once already
};

}  // namespace tessal::xldl
