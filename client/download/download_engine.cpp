#include "client/download/download_engine.h"

#include <string>
#include <utility>

#include "common/base/trace.h"
#include "common/log/daily_log.h"

namespace tessal {

DownloadEngine::DownloadEngine(std::filesystem::path program_folder)
    : program_folder_(std::move(program_folder)) {}

// Ends the engine's own threads; the library itself stays mapped (it is linked
// nodelete), so a worker still polling finds its code and hears "failed".
DownloadEngine::~DownloadEngine() {
    Stop();
}

bool DownloadEngine::Start(DailyLog& log) {
    if (initialised_.load()) {
        return true;
    }
    if (Initialise()) {
        initialised_.store(true);
        return true;
    }
    log.Write(kEngineInitFailedLog);
    Discard();
    return false;
}

bool DownloadEngine::Initialise() {
    if (wrapper_ == nullptr) {
        std::string error;
        wrapper_ = DownWrapper::Load(program_folder_, error);
        if (wrapper_ == nullptr) {
            Trace(error);
            return false;
        }
    }
    return wrapper_->XL_Init != nullptr && wrapper_->XL_Init() != 0;
}

// After a failed start: end whatever the engine began and unload it.
void DownloadEngine::Discard() {
    if (wrapper_ != nullptr && wrapper_->XL_UnInit != nullptr) {
        wrapper_->XL_UnInit();
    }
    wrapper_.reset();
}

bool DownloadEngine::QueryTask(XlTaskHandle task, XlTaskInfo& info) const {
    info = XlTaskInfo{};
    info.status = kXlPaused;
    const DownWrapper* wrapper = wrapper_.get();
    if (wrapper == nullptr || wrapper->XL_QueryTaskInfoEx == nullptr)
        return false;
    wrapper->XL_QueryTaskInfoEx(task, &info);  // its answer is the record's status
    return true;
}

void DownloadEngine::StopTask(XlTaskHandle task) const {
    const DownWrapper* wrapper = wrapper_.get();
    if (wrapper != nullptr && wrapper->XL_StopTask != nullptr)
        wrapper->XL_StopTask(task);
}

void DownloadEngine::DeleteTask(XlTaskHandle task) const {
    const DownWrapper* wrapper = wrapper_.get();
    if (wrapper != nullptr && wrapper->XL_DeleteTask != nullptr)
        wrapper->XL_DeleteTask(task);
}

void DownloadEngine::Stop() {
    // The shutdown routine may run twice; only the first run releases the engine.
    if (!initialised_.exchange(false)) {
        return;
    }
    const XlTaskHandle task = current_task_.exchange(nullptr);
    if (task != nullptr) {
        DeleteTask(task);
    }
    Discard();
}

}  // namespace tessal
