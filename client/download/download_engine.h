#pragma once

// The client's download engine state: the wrapper, the engine-initialised flag and the
// one task the download center runs at a time. Built by the composition root and
// passed to whoever needs it.

#include <atomic>
#include <filesystem>
#include <memory>

#include "client/download/down_wrapper.h"
#include "engines/download/xldl.h"

namespace tessal {

class DailyLog;

inline constexpr const char* kEngineInitFailedLog = "迅雷引擎初始化失败";

class DownloadEngine {
public:
    // The engine library is looked for in `program_folder`.
    explicit DownloadEngine(std::filesystem::path program_folder);
    ~DownloadEngine();  // stops the engine when still running
    DownloadEngine(const DownloadEngine&) = delete;
    DownloadEngine& operator=(const DownloadEngine&) = delete;

    // Loads the engine when needed and initialises it. On failure (no library, no
    // XL_Init, XL_Init answering 0) logs it, leaves no wrapper behind and returns false;
    // a later call tries again. The download center shows its message box on false.
    bool Start(DailyLog& log);

    // Deletes the current task, ends the engine and unloads it; only once per Start.
    void Stop();

    bool initialised() const { return initialised_.load(); }
    // Null while the engine is not loaded. Changed only by Start and Stop on the
    // user-interface thread, while no download worker runs, so workers read it as is.
    DownWrapper* wrapper() const { return wrapper_.get(); }

    // The task calls, skipped when the engine is not loaded or lacks the entry point.
    // Query presets the status to paused, as an engine that answers nothing leaves it,
    // and says whether the engine was asked.
    bool QueryTask(XlTaskHandle task, XlTaskInfo& info) const;
    void StopTask(XlTaskHandle task) const;
    void DeleteTask(XlTaskHandle task) const;

    void SetCurrentTask(XlTaskHandle task) { current_task_.store(task); }
    XlTaskHandle current_task() const { return current_task_.load(); }

private:
    bool Initialise();
    void Discard();

    std::filesystem::path program_folder_;
    std::unique_ptr<DownWrapper> wrapper_;
    std::atomic<bool> initialised_{false};
    std::atomic<XlTaskHandle> current_task_{nullptr};
};

}  // namespace tessal
