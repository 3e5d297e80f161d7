#include "common/net/file_download.h"

#include "common/base/atomic_write.h"
#include "common/net/curl_handle.h"

namespace tessal {
namespace {

struct Target {
    AtomicFile& file;
    long long max_bytes;
    long long written = 0;
};

size_t WriteToFile(char* data, size_t size, size_t count, void* target_pointer) {
    auto& target = *static_cast<Target*>(target_pointer);
    target.written += static_cast<long long>(size * count);
    if (target.max_bytes > 0 && target.written > target.max_bytes)
        return 0;
    const bool written = target.file.Write(std::string_view(data, size * count));
    // Anything but the full count makes libcurl abort the transfer.
    return written ? size * count : 0;
}

bool SetDownloadOptions(CURL* handle, Target& target, const DownloadOptions& options) {
    return curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L) == CURLE_OK &&
           curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, options.low_speed_bytes_per_s) ==
               CURLE_OK &&
           curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, options.low_speed_time_s) == CURLE_OK &&
           curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, options.total_timeout_ms) == CURLE_OK &&
           curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &WriteToFile) == CURLE_OK &&
           curl_easy_setopt(handle, CURLOPT_WRITEDATA, &target) == CURLE_OK &&
           curl_detail::SetAbandon(handle, options.abandon);
}

}  // namespace

bool DownloadToFile(std::string_view url, const std::filesystem::path& local,
                    const DownloadOptions& options) {
    curl_detail::EasyHandle handle = curl_detail::NewEasyHandle(url, options.connect_timeout_ms);
    if (!handle) {
        return false;
    }
    AtomicFile file(local);
    Target target{file, options.max_bytes};
    if (!file.is_open() || !SetDownloadOptions(handle.get(), target, options)) {
        return false;
    }
    if (curl_easy_perform(handle.get()) != CURLE_OK) {
        file.Discard();
        return false;
    }
    return file.Commit();
}

}  // namespace tessal
