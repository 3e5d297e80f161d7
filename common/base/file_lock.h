#pragma once

#include <filesystem>
#include <string_view>

namespace tessal {

// An exclusive advisory lock on a file of the runtime folder, named after `key`.
// The kernel releases it when the process ends, so a crash never leaves it held.
// Locks are per open file: a second FileLock with the same key conflicts even in
// the same process. The descriptor is close-on-exec, so started programs do not
// inherit it.
class FileLock {
public:
    enum class Mode { kWait, kTry };

    FileLock(std::string_view key, Mode mode);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&&) = delete;

    bool held() const { return fd_ >= 0; }
    // Keeps the lock until the process ends (the account lock).
    void HoldForProcessLifetime();

    // The lock file of `key`: the runtime folder, "tessal-" and a stable 64-bit digest of the key.
    static std::filesystem::path PathFor(std::string_view key);

private:
    int fd_ = -1;
};

}  // namespace tessal
