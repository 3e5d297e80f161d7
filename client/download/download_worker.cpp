#include "client/download/download_worker.h"

#include <iterator>
#include <string_view>

#include "client/download/lesson_address.h"

namespace tessal::client {
namespace {

constexpr int kRenameTries = 12;       // the first, then 11 more a second apart
constexpr int kDelTempFileTries = 11;  // 500 ms apart
constexpr int kPausedQueries = 12;

WorkerEnd Complete(const WorkerTask& task, const DownloadWorkerPorts& ports) {
    if (!ports.wait(500))
        return WorkerEnd::kClientEnding;
    const std::filesystem::path decoded =
        task.saved_file.parent_path() / DecodedLessonFileName(task.saved_file.filename().string());
    bool renamed = false;
    for (int attempt = 0; attempt < kRenameTries && !renamed; ++attempt) {
        if (attempt > 0) {
            ports.trace("rename");
            if (!ports.wait(1000))
                return WorkerEnd::kClientEnding;
        }
        renamed = task.saved_file == decoded || ports.rename(task.saved_file, decoded);
    }
    if (!renamed)
        ports.log("rename fail:" + task.saved_file.string());
    ports.task_ended();
    ports.trace("post");
    return renamed ? WorkerEnd::kCompleted : WorkerEnd::kRenameFailed;
}

WorkerEnd Fail(const WorkerTask& task, const DownloadWorkerPorts& ports, const XlTaskInfo& info) {
    if (ports.ending())
        return WorkerEnd::kClientEnding;
    ports.delete_task();
    // Up to its end or the record's, whichever comes first.
    const std::u16string_view name(info.file_name, std::size(info.file_name));
    const std::u16string file_name(name.substr(0, name.find(u'\0')));
    if (!ports.wait(1000))
        return WorkerEnd::kClientEnding;
    for (int attempt = 0; attempt < kDelTempFileTries; ++attempt) {
        if (ports.delete_temporary(file_name, task.saved_file.parent_path()))
            break;
        if (!ports.wait(500))
            return WorkerEnd::kClientEnding;
    }
    ports.task_ended();
    ports.trace("post");
    return WorkerEnd::kFailed;
}

// The partial file stays; the task is gone once the engine says so, or after 12 queries.
WorkerEnd Pause(const DownloadWorkerPorts& ports) {
    if (ports.ending())
        return WorkerEnd::kClientEnding;
    ports.delete_task();
    if (!ports.wait(1000))
        return WorkerEnd::kClientEnding;
    for (int query = 1; query <= kPausedQueries; ++query) {
        XlTaskInfo info{};
        ports.query(info);
        if (info.status == kXlFailed || query == kPausedQueries)
            break;
        if (!ports.wait(1000))
            return WorkerEnd::kClientEnding;
    }
    ports.task_ended();
    ports.trace("post2");
    return WorkerEnd::kPaused;
}

}  // namespace

ProgressReport ReportOf(int item, const XlTaskInfo& info) {
    ProgressReport report{item, info.status, static_cast<long long>(info.total_size / 1024 / 1024),
                          static_cast<int>(info.progress * 100)};
    report.total_bytes = info.total_size;
    report.done_bytes = info.downloaded_size;
    report.fail_code = info.status == kXlFailed ? info.fail_code : 0;
    return report;
}

WorkerEnd RunDownloadWorker(const WorkerTask& task, const DownloadWorkerPorts& ports) {
    const auto& poll_wait = ports.poll_wait ? ports.poll_wait : ports.wait;
    if (!poll_wait(1000))
        return WorkerEnd::kClientEnding;
    for (;;) {
        XlTaskInfo info{};
        ports.query(info);
        ports.report(ReportOf(task.item, info));
        if (info.status == kXlComplete || info.status == kXlFailed) {
            if (ports.ending())
                return WorkerEnd::kClientEnding;
            XlTaskInfo again{};
            ports.query(again);
            if (again.status == kXlComplete)
                return Complete(task, ports);
            if (again.status == kXlFailed)
                return Fail(task, ports, again);
        } else if (info.status == kXlPaused) {
            return Pause(ports);
        }
        if (!poll_wait(1000))
            return WorkerEnd::kClientEnding;
    }
}

}  // namespace tessal::client
