#pragma once

// The aria2 options of the engine's session and of each task.

#include <aria2/aria2.h>

#include "engines/download/engine_settings.h"
#include "engines/download/task.h"

namespace tessal::xldl {

// A failing transfer is tried this often, this many seconds apart, before the task
// reports failure: the client polls once a second and moves on to the next lesson.
inline constexpr int kMaxTries = 3;
inline constexpr int kRetryWaitSeconds = 1;

aria2::KeyVals SessionOptions(const EngineSettingsSnapshot& settings);
aria2::KeyVals TaskOptions(const TaskRequest& request, const EngineSettingsSnapshot& settings);
aria2::KeyVals SpeedLimitOptions(std::int64_t bytes_per_second);

}  // namespace tessal::xldl
