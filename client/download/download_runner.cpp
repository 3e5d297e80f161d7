// The download queue on the window's side: which waiting lesson starts next (message
// 2025), its engine task and worker, and the worker's progress reports (message 2024).

#include "client/download/download_center.h"
#include "client/download/download_failure.h"
#include "client/download/engine_ports.h"
#include "common/base/text_helpers.h"
#include "common/base/trace.h"
#include "common/gui/elements.h"

namespace tessal::client {
namespace {

using namespace tessal::gui;

// Message 2025 from a worker whose lesson was renamed (or left under its saved name):
// the lesson's course entry is counted again. The second parameter is the lesson id.
constexpr std::uintptr_t kAfterRename = 2;

QString Percent(int percent) {
    return QString::number(percent) + "%";
}

}  // namespace

void DownloadCenter::OnMessage(int message, std::uintptr_t first, std::intptr_t second) {
    if (message == kProgressReportMessage && first != 0)
        OnReport(*reinterpret_cast<const ProgressReport*>(first));
    else if (message == kStartNextTaskMessage && first == kAfterRename)
        AddFinished(std::to_string(second), false);
    else if (message == kStartNextTaskMessage)
        StartNextTask(first == kFromWorker);
}

void DownloadCenter::StartNextTask(bool from_worker) {
    if (loading_ == nullptr)
        return;
    if (from_worker && hold_after_disk_full_) {
        // The member frees space and starts the queue again; until then lessons wait.
        hold_after_disk_full_ = false;
        Trace("disk full");
        return;
    }
    // A lesson that cannot be started is marked failed and the next one is tried, so
    // that one bad lesson never holds up the queue.
    for (;;) {
        std::vector<int> items;
        std::vector<std::string> states;
        for (int item = loading_->FirstChild(kRootItem); item != kNoItem;
             item = loading_->NextSibling(item)) {
            items.push_back(item);
            states.push_back(loading_->Text(item, "state").toStdString());
        }
        const NextTaskChoice choice = ChooseNextTask(running_.load(), CurrentStatus(), states);
        if (choice.what != NextTask::kStart) {
            Trace(NextTaskTrace(choice.what));
            return;
        }
        const int item = items[choice.index];
        const std::string lesson = ItemId(*loading_, item);
        if (StartTask(item, lesson))
            return;
        context_.log("task not started:" + lesson);
        loading_->SetCells(item,
                           {{"state", QString::number(kXlFailed)}, {"name2", kDownloadFailedText}});
        if (QWidget* row = loading_->RowWidget(item))
            DecorateItem(row, item);
    }
}

// False when the lesson has no name, address or usable file name, or its task record
// cannot hold them.
bool DownloadCenter::StartTask(int item, const std::string& lesson_id) {
    const auto task = PrepareLessonTask(*context_.catalogue, context_.task_settings(), lesson_id);
    if (!task)
        return false;
    auto param = MakeTaskParam(task->url, task->file_name, task->save_folder);
    const DownWrapper* wrapper = context_.engine->wrapper();
    if (!param || wrapper == nullptr || wrapper->XL_CreateTask == nullptr)
        return false;
    running_.store(true);
    context_.log(task->url);
    const XlTaskHandle handle = wrapper->XL_CreateTask(param.get());
    context_.engine->SetCurrentTask(handle);
    if (wrapper->XL_StartTask != nullptr)
        wrapper->XL_StartTask(handle);
    running_item_ = item;
    running_file_ = task->save_folder / task->file_name;
    rates_.erase(item);
    StartWorker(item, handle, running_file_);
    return true;
}

void DownloadCenter::StartWorker(int item, XlTaskHandle task,
                                 const std::filesystem::path& saved_file) {
    const std::shared_ptr<MessageLink> link = receiver_->link();
    DownloadWorkerPorts ports = EnginePorts(*context_.engine, task, *context_.stop);
    const std::filesystem::path folder = saved_file.parent_path();
    ports.report = [link, folder](const ProgressReport& report) {
        ProgressReport sent = report;
        if (report.status == kXlFailed)
            sent.disk_full = FailedForDiskSpace(report.fail_code, folder,
                                                report.total_bytes - report.done_bytes);
        link->Send(kProgressReportMessage, reinterpret_cast<std::uintptr_t>(&sent));
    };
    ports.task_ended = [this, link] {
        running_.store(false);
        link->Post(kStartNextTaskMessage, kFromWorker);
    };
    ports.log = context_.log;
    ports.trace = [](const char* text) { Trace(text); };
    const int lesson = LeadingNumber(loading_->Text(item, "id").toStdString());
    workers_.Start([task = WorkerTask{item, saved_file}, ports = std::move(ports), link, lesson] {
        const WorkerEnd end = RunDownloadWorker(task, ports);
        if (end == WorkerEnd::kCompleted || end == WorkerEnd::kRenameFailed)
            link->Post(kStartNextTaskMessage, kAfterRename, lesson);
    });
}

void DownloadCenter::OnReport(const ProgressReport& report) {
    if (report.status == kXlFailed) {
        running_.store(false);
        hold_after_disk_full_ = report.disk_full;
    }
    // An item deleted while its task ended has nothing more to show.
    if (loading_ == nullptr || !loading_->Exists(report.item))
        return;
    const int item = report.item;
    loading_->SetText(item, "state", QString::number(report.status));
    if (report.status == kXlComplete) {
        const std::string lesson = ItemId(*loading_, item);
        AddFinished(lesson, false, item == running_item_ ? running_file_ : std::filesystem::path());
        rates_.erase(item);
        loading_->RemoveItem(item);
        SaveLoading();
        SaveFinished();
        return;
    }
    ShowProgress(item, report);
}

void DownloadCenter::ShowProgress(int item, const ProgressReport& report) {
    static const char* const kStatusTexts[] = {"未知", kDownloadFailedText, "暂停下载", "",
                                               "",     "开始下载",          "正在结束"};
    if (report.status < 0 || report.status > 6)
        return;
    QString status = QString::fromUtf8(kStatusTexts[report.status]);
    if (report.status == kXlFailed && report.disk_full)
        status = kDiskFullText;
    if (report.status == kXlDownloading)
        status = QString::number(report.mebibytes) + "MB";
    const int percent = report.status == kXlNoSuchTask ? 0 : std::clamp(report.percent, 0, 100);
    QString rate;
    if (report.status == kXlDownloading) {
        TransferRate& average = rates_[item];
        average.Add(TransferRate::Clock::now(), report.done_bytes);
        if (const auto speed = average.BytesPerSecond())
            rate = QString::fromStdString(RateText(*speed, report.total_bytes - report.done_bytes));
    } else {
        rates_.erase(item);
    }
    loading_->SetCells(item, {{"name2", status},
                              {"pos", QString::number(percent)},
                              {"name3", Percent(percent)},
                              {"rate", rate}});
    if (QWidget* row = loading_->RowWidget(item))
        DecorateItem(row, item);
}

void DownloadCenter::StopCurrentTask() const {
    context_.engine->StopTask(context_.engine->current_task());
}

void DownloadCenter::DeleteCurrentTask() const {
    context_.engine->DeleteTask(context_.engine->current_task());
}

// The current task's status; an engine that cannot say holds nothing up.
int DownloadCenter::CurrentStatus() const {
    XlTaskInfo info{};
    return context_.engine->QueryTask(context_.engine->current_task(), info) ? info.status
                                                                             : kXlNoSuchTask;
}

}  // namespace tessal::client
