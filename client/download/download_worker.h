#pragma once

// The worker of one download task: it polls the task every second, hands each report to
// the download center (waiting until the window took it), and once the task completes,
// fails or is paused, finishes it (the file renamed to its decoded name; a failed task's
// temporary files deleted; a paused task's partial file kept), lets the queue go on and
// ends. It reaches the engine, the disk and the window only through its ports, so that
// the window never waits for it and it ends at once when the client ends.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "engines/download/xldl.h"

namespace tessal::client {

struct ProgressReport {
    int item = 0;  // the downloading list's item
    int status = 0;
    long long mebibytes = 0;  // total size, whole MiB
    int percent = 0;          // whole percent
    // For the speed and time left, and for saying why a task failed.
    long long total_bytes = 0;
    long long done_bytes = 0;
    int fail_code = 0;       // the engine's, when failed
    bool disk_full = false;  // set by whoever can look at the disk
};

// The report of one query: sizes in whole MiB, the fraction in whole percent.
ProgressReport ReportOf(int item, const XlTaskInfo& info);

struct WorkerTask {
    int item = 0;
    std::filesystem::path saved_file;  // the save folder plus the encoded file name
};

struct DownloadWorkerPorts {
    std::function<bool(XlTaskInfo& info)> query;  // the task's XL_QueryTaskInfoEx
    std::function<void()> delete_task;            // XL_DeleteTask
    // XL_DelTempFile for the task's file name in the save folder.
    std::function<bool(const std::u16string& file_name, const std::filesystem::path& folder)>
        delete_temporary;
    std::function<bool(const std::filesystem::path& from, const std::filesystem::path& to)> rename;
    std::function<void(const ProgressReport& report)> report;  // returns once the window took it
    std::function<void()> task_ended;  // clears the running flag and asks for the next task
    // Waits `ms` milliseconds; false, at once, when the client is ending.
    std::function<bool(int ms)> wait;
    // The wait before each poll: like `wait`, but over as soon as the task completes,
    // fails or is paused, so a lesson's end is taken at once rather than at the next
    // second. Empty: `wait`.
    std::function<bool(int ms)> poll_wait;
    std::function<bool()> ending;
    std::function<void(const std::string& line)> log;  // the daily log
    std::function<void(const char* trace)> trace;      // developer traces
};

// What became of the task.
enum class WorkerEnd {
    kCompleted,     // renamed to its decoded name
    kRenameFailed,  // complete, but left under its saved name
    kFailed,        // temporary files deleted
    kPaused,        // partial file kept
    kClientEnding,  // the client ends: nothing more was done
};

WorkerEnd RunDownloadWorker(const WorkerTask& task, const DownloadWorkerPorts& ports);

}  // namespace tessal::client
