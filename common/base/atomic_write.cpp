#include "common/base/atomic_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>

namespace tessal {
namespace fs = std::filesystem;
namespace {

// Read without changing it: umask(2) would briefly clear it for every other thread.
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
        }
    }
    return 022;
}

// The rename itself lives in the folder; syncing it makes a committed write survive a
// power loss too.
void SyncFolder(const fs::path& target) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

AtomicFile::AtomicFile(const fs::path& target) : target_(target) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ >= 0) {
        temporary_ = pattern;
        // mkstemp creates 0600: a replaced file keeps its mode (an updated program stays
        // executable), a new one gets the usual 0666 less umask.
        struct stat existing {};
        SetMode(::stat(target.c_str(), &existing) == 0 ? existing.st_mode & 07777
                                                       : 0666 & ~CurrentUmask());
    }
}

AtomicFile::~AtomicFile() {
    Discard();
}

bool AtomicFile::SetMode(unsigned mode) {
    return fd_ >= 0 && ::fchmod(fd_, static_cast<mode_t>(mode)) == 0;
}

bool AtomicFile::Write(std::string_view bytes) {
    while (fd_ >= 0 && !failed_ && !bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            failed_ = true;
            break;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return fd_ >= 0 && !failed_;
}

bool AtomicFile::Commit() {
    if (fd_ < 0 || failed_) {
        Discard();
        return false;
    }
    // A full disk may only show at fsync or close; either failure keeps the old file.
    const bool synced = ::fsync(fd_) == 0;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!synced || !closed || ::rename(temporary_.c_str(), target_.c_str()) != 0) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
        return false;
    }
    temporary_.clear();
    SyncFolder(target_);
    return true;
}

void AtomicFile::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}

bool WriteFileAtomically(const fs::path& target, std::string_view bytes,
                         std::optional<unsigned> mode) {
    AtomicFile file(target);
    if (mode && !file.SetMode(*mode))
        return false;
    return file.Write(bytes) && file.Commit();
}

}  // namespace tessal
