#pragma once

// Whole-file download: the file appears under its name only once it is complete, so a
// failed or interrupted download never leaves a part behind or spoils an older copy.

#include <atomic>
#include <filesystem>
#include <string_view>

namespace tessal {

struct DownloadOptions {
    long connect_timeout_ms = 10000;
    // Stalled: slower than `low_speed_bytes_per_s` for `low_speed_time_s` seconds.
    long low_speed_bytes_per_s = 1;
    long low_speed_time_s = 30;
    // 0: no limit on the whole transfer; large files may take long on a slow line.
    long total_timeout_ms = 0;
    // 0: no limit; else a file that grows past this many bytes fails (a server that
    // sends without end would fill the disk).
    long long max_bytes = 0;
    // When it turns true the transfer ends as failed (a worker that is told to stop).
    const std::atomic<bool>* abandon = nullptr;
};

// GETs `url` (same URL handling, blanks escaped, and user agent as SendRequest,
// redirects followed) into a temporary file beside `local` and renames it over `local`
// when the transfer is complete. False on an HTTP status of 400 or more, a connect
// failure, a cut-off or stalled transfer or a write failure; then `local` is untouched
// and no temporary stays.
bool DownloadToFile(std::string_view url, const std::filesystem::path& local,
                    const DownloadOptions& options = {});

}  // namespace tessal
