#include "common/base/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>

#include "common/base/runtime_paths.h"

namespace tessal {
namespace {

// FNV-1a: stable across programs and runs, so every program finds the same lock file.
std::uint64_t StableDigest(std::string_view key) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : key) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

int LockWithRetry(int fd, int operation) {
    int result = 0;
    do {
        result = ::flock(fd, operation);
    } while (result != 0 && errno == EINTR);
    return result;
}

}  // namespace

std::filesystem::path FileLock::PathFor(std::string_view key) {
    char name[64];
    std::snprintf(name, sizeof name, "tessal-%u-%016llx.lock", static_cast<unsigned>(::getuid()),
                  static_cast<unsigned long long>(StableDigest(key)));
    const std::filesystem::path folder = RuntimeFolder();
    return folder.empty() ? std::filesystem::path(name) : folder / name;
}

FileLock::FileLock(std::string_view key, Mode mode) {
    const std::filesystem::path path = PathFor(key);
    if (!path.has_parent_path()) {
        return;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return;
    }
    const int operation = mode == Mode::kTry ? LOCK_EX | LOCK_NB : LOCK_EX;
    if (LockWithRetry(fd, operation) != 0) {
        ::close(fd);
        return;
    }
    fd_ = fd;
}

FileLock::~FileLock() {
    if (fd_ >= 0) {
        ::close(fd_);  // closing the only descriptor releases the lock
    }
}

FileLock::FileLock(FileLock&& other) noexcept : fd_(other.fd_) {
    other.fd_ = -1;
}

void FileLock::HoldForProcessLifetime() {
    fd_ = -1;
}

}  // namespace tessal
