#pragma once

// The size of the file behind a URL, from the Content-Length of a HEAD request.

#include <cstdint>
#include <optional>
#include <string>

#include "engines/download/engine_settings.h"

namespace tessal::xldl {

// Blocks up to about 10 s; empty when the server does not answer 2xx with a length. Uses
// the engine's user agent and proxy, and no proxy from the environment.
std::optional<std::int64_t> FileSizeOfUrl(const std::string& url,
                                          const EngineSettingsSnapshot& settings);

}  // namespace tessal::xldl
