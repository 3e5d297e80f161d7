#include "common/files/file_helpers.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "common/base/atomic_write.h"

namespace tessal {
namespace {

constexpr std::size_t kCopyBlockBytes = 256 * 1024;

// Closes the descriptor when the scope ends.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Opens a regular file for reading. O_NONBLOCK keeps a named pipe from hanging the
// caller; it has no effect on regular files.
int OpenRegularFile(const std::filesystem::path& path, struct stat& status) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0 && (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))) {
        close(fd);
        return -1;
    }
    return fd;
}

// Reads up to `size` bytes; a short count means end of file, a negative one an error.
ssize_t ReadFully(int fd, char* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t count = read(fd, buffer + done, size - done);
        if (count == 0) {
            break;
        }
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        done += static_cast<std::size_t>(count);
    }
    return static_cast<ssize_t>(done);
}

bool SameFile(const std::filesystem::path& first, const std::filesystem::path& second) {
    std::error_code error;
    return std::filesystem::equivalent(first, second, error) && !error;
}

bool CopyContents(int source_fd, AtomicFile& destination) {
    std::string block(kCopyBlockBytes, '\0');
    for (;;) {
        const ssize_t count = ReadFully(source_fd, block.data(), block.size());
        if (count < 0) {
            return false;
        }
        if (count > 0 && !destination.Write({block.data(), static_cast<std::size_t>(count)})) {
            return false;
        }
        if (static_cast<std::size_t>(count) < block.size()) {
            return true;
        }
    }
}

enum class EntryKind { kFile, kFolder, kSkipped };

// Symbolic links to folders are skipped so that a link cycle cannot walk forever.
EntryKind KindOf(const std::string& path, unsigned char type) {
    if (type == DT_DIR) {
        return EntryKind::kFolder;
    }
    if (type != DT_UNKNOWN && type != DT_LNK) {
        return EntryKind::kFile;
    }
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) {
        return EntryKind::kSkipped;
    }
    if (S_ISDIR(status.st_mode)) {
        return EntryKind::kFolder;
    }
    if (S_ISLNK(status.st_mode) && stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        return EntryKind::kSkipped;
    }
    return EntryKind::kFile;
}

struct FolderEntry {
    std::string name;
    unsigned char type;
    bool operator<(const FolderEntry& other) const { return name < other.name; }
};

// The entries of `folder` except "." and "..", sorted by name byte by byte.
std::optional<std::vector<FolderEntry>> ReadFolder(const std::string& folder) {
    DIR* stream = opendir(folder.c_str());
    if (stream == nullptr) {
        return std::nullopt;
    }
    std::vector<FolderEntry> entries;
    while (const dirent* entry = readdir(stream)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            entries.push_back({entry->d_name, entry->d_type});
        }
    }
    closedir(stream);
    std::sort(entries.begin(), entries.end());
    return entries;
}

void WalkFolder(const std::string& folder, std::vector<std::string>& files) {
    const auto entries = ReadFolder(folder);
    if (!entries) {
        return;
    }
    const std::string prefix = folder.ends_with('/') ? folder : folder + '/';
    for (const FolderEntry& entry : *entries) {
        std::string path = prefix + entry.name;
        switch (KindOf(path, entry.type)) {
            case EntryKind::kFolder:
                WalkFolder(path, files);
                break;
            case EntryKind::kFile:
                files.push_back(std::move(path));
                break;
            case EntryKind::kSkipped:
                break;
        }
    }
}

// Position of the separator that splits a path text into folder and file name.
std::size_t LastSeparator(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash != std::string_view::npos ? slash : path.rfind('\\');
}

}  // namespace

std::uint64_t FileSize(const std::filesystem::path& path) {
    struct stat status {};
    const Descriptor file(OpenRegularFile(path, status));
    return file.get() >= 0 ? static_cast<std::uint64_t>(status.st_size) : 0;
}

std::string ReadWholeFile(const std::filesystem::path& path) {
    struct stat status {};
    const Descriptor file(OpenRegularFile(path, status));
    if (file.get() < 0) {
        return {};
    }
    // Files under /proc report size 0, so read until the end rather than trusting st_size.
    std::string contents;
    std::string block(kCopyBlockBytes, '\0');
    for (;;) {
        const ssize_t count = ReadFully(file.get(), block.data(), block.size());
        if (count < 0) {
            return {};
        }
        const std::string_view data(block.data(), static_cast<std::size_t>(count));
        const std::size_t zero = data.find('\0');
        contents.append(data.substr(0, zero));
        if (zero != std::string_view::npos || data.size() < block.size()) {
            return contents;
        }
    }
}

bool CopyFile(const std::filesystem::path& source, const std::filesystem::path& destination) {
    struct stat status {};
    const Descriptor input(OpenRegularFile(source, status));
    if (input.get() < 0 || SameFile(source, destination)) {
        return false;
    }
    AtomicFile output(destination);
    if (!output.is_open() || !output.SetMode(status.st_mode & 07777)) {
        return false;
    }
    return CopyContents(input.get(), output) && output.Commit();
}

void WalkDirectory(const std::filesystem::path& folder, std::vector<std::string>& files) {
    WalkFolder(folder.string(), files);
}

std::string FileNameOfPath(std::string_view path) {
    const std::size_t separator = LastSeparator(path);
    return separator == std::string_view::npos ? std::string()
                                               : std::string(path.substr(separator + 1));
}

std::string FolderOfPath(std::string_view path) {
    const std::size_t separator = LastSeparator(path);
    return separator == std::string_view::npos ? std::string()
                                               : std::string(path.substr(0, separator + 1));
}

}  // namespace tessal
