#include "client/download/download_failure.h"

#include <algorithm>

namespace tessal::client {
namespace {

// The engine's codes for its file failures.
constexpr int kNotEnoughDiskSpace = 9;
constexpr int kFileOpenError = 15;
constexpr int kFileCreateError = 16;
constexpr int kFileIoError = 17;

// Less than this is no room, whatever the file still needs.
constexpr long long kLeastRoom = 1024 * 1024;

}  // namespace

bool FailedForDiskSpace(int fail_code, const std::filesystem::path& folder, long long bytes_left) {
    if (fail_code == kNotEnoughDiskSpace)
        return true;
    if (fail_code != kFileOpenError && fail_code != kFileCreateError && fail_code != kFileIoError)
        return false;
    std::error_code error;
    const auto space = std::filesystem::space(folder, error);
    if (error)
        return false;
    return static_cast<long long>(space.available) < std::max(bytes_left, kLeastRoom);
}

}  // namespace tessal::client
