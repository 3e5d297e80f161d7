#include "engines/download/aria2_options.h"

#include <string>

namespace tessal::xldl {

aria2::KeyVals SessionOptions(const EngineSettingsSnapshot& settings) {
    aria2::KeyVals options = {
        {"no-conf", "true"},
        {"no-netrc", "true"},
        // Empty values override the environment's http_proxy, all_proxy and the rest.
        {"all-proxy", ""},
        {"http-proxy", ""},
        {"https-proxy", ""},
        {"ftp-proxy", ""},
        {"no-proxy", ""},
        {"quiet", "true"},
        {"console-log-level", "error"},
        {"summary-interval", "0"},
        {"max-concurrent-downloads", "16"},
        {"max-download-result", "1000"},
        // The control file of a running lesson is written every second, so a client
        // that is killed, or a power cut, loses at most a second of the lesson.
        {"auto-save-interval", "1"},
    };
    const auto limit = SpeedLimitOptions(settings.download_limit_bytes_per_second);
    options.insert(options.end(), limit.begin(), limit.end());
    return options;
}

aria2::KeyVals TaskOptions(const TaskRequest& request, const EngineSettingsSnapshot& settings) {
    aria2::KeyVals options = {
        {"dir", request.folder},
        {"out", request.file_name},
        // Resume only from the engine's own control file. A file of that name without
        // one (left by anything else, or a lesson since changed on the server) is
        // downloaded afresh: aria2 would otherwise extend it, or call it complete when
        // its size happens to match.
        {"continue", "false"},
        {"allow-overwrite", "true"},
        // A server that ignores the range of a resume sends the whole lesson again.
        {"always-resume", "false"},
        {"max-resume-failure-tries", "0"},
        {"auto-file-renaming", "false"},  // the client finds and moves the file by its name
        {"file-allocation", "none"},
        {"max-tries", std::to_string(kMaxTries)},
        {"retry-wait", std::to_string(kRetryWaitSeconds)},
        {"connect-timeout", "10"},
        {"timeout", "30"},
        // A connection that trickles (a broken line rather than a slow one) is closed
        // and tried again; below any limit the member can set (whole KiB/s).
        {"lowest-speed-limit", "512"},
        // One connection: a lesson host is a single server, and one stream is as fast
        // as several on it while being gentler.
        {"split", "1"},
        {"max-connection-per-server", "1"},
        // Large pieces: aria2 spends less time on piece bookkeeping per byte (measured
        // about +15 % on loopback); a resume still starts at the last written block.
        {"piece-length", "64M"},
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
