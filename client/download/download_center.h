#pragma once

// The download center: the lessons waiting or downloading, one at a time through the
// download engine, and the courses of which lessons have finished. The window is made
// on its first opening, hidden by its close button and destroyed only at the client's
// end; downloads go on while it is hidden. Both lists are kept in "./LoadList.ini",
// written whenever they change, so a killed client loses no queued lesson.
//
// Each started task has a worker thread (download_runner.cpp) that reaches the window
// only through its private messages: 2024 (a progress report, sent: handled before the
// worker polls again) and 2025 (start the next task, posted). The GUI thread never waits.

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "client/catalogue/catalogue_queries.h"
#include "client/download/download_engine.h"
#include "client/download/download_queue.h"
#include "client/download/download_worker.h"
#include "client/download/download_workers.h"
#include "client/download/transfer_rate.h"
#include "common/base/stop_signal.h"
#include "common/gui/element_events.h"
#include "common/gui/message_boxes.h"
#include "common/gui/private_messages.h"
#include "common/gui/template_tree.h"

namespace tessal {
class DailyLog;
}

namespace tessal::client {

inline constexpr const char* kDownloadCenterLayout = "Layout/DownLoad/Tessal_Download.xml";

// How the download center is opened: the window alone, a whole course, one lesson.
enum class DownloadKind { kWindow = 0, kCourse = 1, kLesson = 2 };

struct DownloadCenterContext {
    std::filesystem::path program_folder;  // also where "./LoadList.ini" lives
    const CatalogueQueries* catalogue = nullptr;
    DownloadEngine* engine = nullptr;
    DailyLog* daily_log = nullptr;  // the engine's start writes its failure there
    const StopSignal* stop = nullptr;
    gui::MessageBoxes* boxes = nullptr;
    QIcon icon;
    // The download root, channel and hosts as the member's settings say now.
    std::function<TaskSettings()> task_settings;
    std::function<void(const std::string& line)> log;
    std::function<void()> start_player;  // TessalPlayer, without arguments
};

class DownloadCenter : public QObject {
public:
    explicit DownloadCenter(DownloadCenterContext context);
    ~DownloadCenter() override;

    // Opens (or shows again) the window and queues the course or lesson `id`.
    void Open(DownloadKind kind, int id);
    // The shutdown routine: no more messages reach the window, which is destroyed...
    void Close();
    // ...then the workers, told to stop by the client's stop signal, are joined while the
    // engine is still loaded.
    void JoinWorkers() { workers_.JoinAll(); }

    QWidget* window() const { return window_; }
    gui::TemplateTree* loading_tree() const { return loading_; }
    gui::TemplateTree* finished_tree() const { return finished_; }
    bool running() const { return running_.load(); }
    int running_workers() const { return workers_.running(); }
    // The link workers reach the window by; for tests that play a worker.
    std::shared_ptr<gui::MessageLink> link() const;

private:
    // Private message 2025's first parameter, from a worker whose task ended.
    static constexpr std::uintptr_t kFromWorker = 1;
    // Characters the window shows of a name or reads of an id.
    static constexpr int kTextLimit = 259;

    QString Path(const char* relative) const;
    // The window's own element `id`; null once the window is gone.
    QWidget* Element(int id) const;
    bool Create();
    void SetUpWindow();
    void BindWindowButtons();
    void ShowTab(bool loading);
    void OnClose();
    // Adds the course's or lesson's lessons; whether the list grew.
    bool Queue(DownloadKind kind, int id);
    void SaveLoading();
    void SaveFinished();
    void SaveIds(const gui::TemplateTree* tree, const char* section);
    // An item's `id` as the window reads it, and the first item with that id.
    static std::string ItemId(const gui::TemplateTree& tree, int item);
    static int FindItem(const gui::TemplateTree& tree, const std::string& id);

    // The downloading list (downloading_list.cpp).
    void SetUpLoadingTree();
    bool AddLesson(const std::string& lesson_id);
    void AppendWaiting(const std::string& lesson_id);
    void AppendWaiting(const std::string& lesson_id, const std::string& name);
    void RestoreLists();
    void DecorateItem(QWidget* row, int item);
    void BindItemButtons(QWidget* row);
    void OnToggle(QWidget* row);
    void OnDelete(QWidget* row);
    void OnItemDoubleClick(QPoint point);
    void SetWaiting(int item);
    void StartAll();
    void PauseAll();
    void OpenClearDialog();
    void ClearLoading();

    // The finished list (finished_list.cpp).
    void SetUpFinishedTree();
    void AddFinished(const std::string& id, bool is_course,
                     const std::filesystem::path& renaming = {});
    void Count(int item, const std::string& course_name, const std::filesystem::path& renaming);
    QString CoursePicture(const std::string& id, bool is_course) const;
    void BindFinishedButtons(QWidget* row);

    // The queue (download_runner.cpp).
    void OnMessage(int message, std::uintptr_t first, std::intptr_t second);
    void StartNextTask(bool from_worker);
    bool StartTask(int item, const std::string& lesson_id);
    void StartWorker(int item, XlTaskHandle task, const std::filesystem::path& saved_file);
    void OnReport(const ProgressReport& report);
    void ShowProgress(int item, const ProgressReport& report);
    void StopCurrentTask() const;
    void DeleteCurrentTask() const;
    int CurrentStatus() const;

    DownloadCenterContext context_;
    QPointer<QWidget> window_;
    gui::TemplateTree* loading_ = nullptr;   // owned by its tree element
    gui::TemplateTree* finished_ = nullptr;  // likewise
    std::unique_ptr<gui::MessageReceiver> receiver_;
    std::atomic<bool> running_{false};  // a task is started and its worker not done
    // A task failed for want of disk space: its worker's request for the next task is
    // let go, so the waiting lessons do not fail one after another.
    bool hold_after_disk_full_ = false;
    bool closed_ = false;  // the client ends: the window is not made again
    int running_item_ = gui::kNoItem;
    std::filesystem::path running_file_;  // the running task's saved file
    std::map<int, TransferRate> rates_;   // by downloading item
    DownloadWorkers workers_;
};

}  // namespace tessal::client
