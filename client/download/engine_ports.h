#pragma once

// What a download worker and the queue hand the engine: the task record of a lesson, and
// a worker's ports bound to the engine, the disk and the client's stop signal. The
// window's ports (report, task end, log, traces) are the caller's.

#include <filesystem>
#include <memory>
#include <string>

#include "client/download/download_engine.h"
#include "client/download/download_worker.h"
#include "common/base/stop_signal.h"
#include "engines/download/xldl.h"

namespace tessal::client {

// The task record for `url`, saved as `file_name` in `folder`, resumed from partial data;
// null when one of them does not fit its field (the engine would save elsewhere).
std::unique_ptr<XlTaskParam> MakeTaskParam(const std::string& url, const std::string& file_name,
                                           const std::filesystem::path& folder);

// Query, delete, temporary files and waits for the worker of `task`. Waits end early,
// answering false, once `stop` is raised. The engine is read through `engine`, which the
// shutdown routine stops only after the workers were joined.
DownloadWorkerPorts EnginePorts(const DownloadEngine& engine, XlTaskHandle task,
                                const StopSignal& stop);

}  // namespace tessal::client
