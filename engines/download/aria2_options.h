#pragma once

// The aria2 options of the engine's session and of each task.

#include <aria2/aria2.h>

#include "engines/download/engine_settings.h"
#include "engines/download/task.h"

namespace tessal::xldl {

// A broken transfer is tried this often, this many seconds apart, inside aria2; what
// still fails then is tried again by the engine while the outage lasts (retry_policy.h).
inline constexpr int kMaxTries = 3;
inline constexpr int kRetryWaitSeconds = 1;

// Session options: nothing from outside the client reaches the engine. aria2 would read
// the member's own aria2.conf (which may open an RPC port or stop XL_Init with a typo),
// ~/.netrc (which would send passwords to the lesson hosts) and the proxy variables of
// the environment; only XL_SetProxy chooses a proxy.
aria2::KeyVals SessionOptions(const EngineSettingsSnapshot& settings);
aria2::KeyVals TaskOptions(const TaskRequest& request, const EngineSettingsSnapshot& settings);
aria2::KeyVals SpeedLimitOptions(std::int64_t bytes_per_second);

}  // namespace tessal::xldl
