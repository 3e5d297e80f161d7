#pragma once

// Why a lesson failed, in the words the downloading list shows: a full disk is named,
// so that the member frees space instead of trying again and again.

#include <filesystem>
#include <string>

namespace tessal::client {

inline constexpr const char* kDownloadFailedText = "下载失败";
inline constexpr const char* kDiskFullText = "磁盘已满,下载失败";

// Whether a task that failed with the engine's `fail_code`, saving into `folder` with
// `bytes_left` still to come, failed for want of disk space: the engine said so, or it
// could not write and the folder's disk has less room than the rest of the file.
bool FailedForDiskSpace(int fail_code, const std::filesystem::path& folder, long long bytes_left);

}  // namespace tessal::client
