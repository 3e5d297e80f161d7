#pragma once

// The download queue's decisions, apart from the window and the engine: which item of the
// downloading list starts next, and what a lesson's task is given (its save folder,
// address for the member's channel and file name). Lessons download one at a time.

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tessal::client {

class CatalogueQueries;

enum class NextTask {
    kStart,        // start the item at `index`
    kRunning,      // a task runs ("jump this1")
    kEngineBusy,   // the current task is neither idle, failed nor complete ("jump this2")
    kEmptyList,    // nothing is queued ("列表空")
    kNoneWaiting,  // every item failed or was paused
};

struct NextTaskChoice {
    NextTask what = NextTask::kEmptyList;
    std::size_t index = 0;
};

// `states` are the items' `state` cells in list order (empty: waiting); failed (1) and
// paused (2) items are passed over. `current_status` is the current task's engine status.
NextTaskChoice ChooseNextTask(bool running, int current_status,
                              const std::vector<std::string>& states);

// The trace line of a choice that starts nothing; empty for kStart.
const char* NextTaskTrace(NextTask what);

struct LessonTask {
    std::filesystem::path save_folder;  // the course folder, made if missing
    std::string url;                    // encoded, on the channel's host
    std::string file_name;              // the encoded address's last segment
};

struct TaskSettings {
    std::string download_root;
    int channel = 1;
    std::array<std::string, 3> hosts;  // the three download hosts as addresses name them
};

// What the task of lesson `lesson_id` is given; nothing when the lesson has no name, no
// address or no file name, or when its type or course name would lead out of the
// download root. The type and course folders are made (a failure is left for the
// engine to report).
std::optional<LessonTask> PrepareLessonTask(const CatalogueQueries& catalogue,
                                            const TaskSettings& settings,
                                            const std::string& lesson_id);

}  // namespace tessal::client
