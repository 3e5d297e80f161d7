#include "engines/download/aria2_options.h"

#include <string>

namespace tessal::xldl {

aria2::KeyVals SessionOptions(const EngineSettingsSnapshot& settings) {
    aria2::KeyVals options = {
        {"quiet", "true"},
        {"console-log-level", "error"},
        {"summary-interval", "0"},
        {"max-concurrent-downloads", "16"},
        {"max-download-result", "1000"},
    };
    const auto limit = SpeedLimitOptions(settings.download_limit_bytes_per_second);
    options.insert(options.end(), limit.begin(), limit.end());
    return options;
}

aria2::KeyVals TaskOptions(const TaskRequest& request, const EngineSettingsSnapshot& settings) {
    aria2::KeyVals options = {
        {"dir", request.folder},
        {"out", request.file_name},
        // Resume from the partial file and its control file; never rename, never
        // overwrite: the client finds and moves the file by the name it gave.
        {"continue", "true"},
        {"allow-overwrite", "false"},
        {"auto-file-renaming", "false"},
        {"file-allocation", "none"},
        {"max-tries", std::to_string(kMaxTries)},
        {"retry-wait", std::to_string(kRetryWaitSeconds)},
        {"connect-timeout", "10"},
        {"timeout", "30"},
        // One connection: a lesson host is a single server, and one stream is as fast
        // as several on it while being gentler.
        {"split", "1"},
        {"max-connection-per-server", "1"},
        // Large pieces: aria2 spends less time on piece bookkeeping per byte (measured
        // about +15 % on loopback); a resume still starts at the last written block.
        {"piece-length", "64M"},
        // A large receive buffer lets one connection keep up with a fast line (measured
        // about +15 % on loopback).
        {"socket-recv-buffer-size", "16M"},
        {"remote-time", "false"},
    };
    if (!settings.user_agent.empty())
        options.emplace_back("user-agent", settings.user_agent);
    if (!settings.proxy.url.empty()) {
        options.emplace_back("all-proxy", settings.proxy.url);
        options.emplace_back("all-proxy-user", settings.proxy.user);
        options.emplace_back("all-proxy-passwd", settings.proxy.password);
    }
    return options;
}

aria2::KeyVals SpeedLimitOptions(std::int64_t bytes_per_second) {
    return {{"max-overall-download-limit",
             std::to_string(bytes_per_second > 0 ? bytes_per_second : 0)}};
}

}  // namespace tessal::xldl
