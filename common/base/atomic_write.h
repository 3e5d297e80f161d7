#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace tessal {

// A temporary file in the target's folder that becomes the target only on Commit():
// readers see either the old file or the complete new one, never a part.
// Destroying an uncommitted file removes the temporary.
class AtomicFile {
public:
    explicit AtomicFile(const std::filesystem::path& target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool is_open() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const std::filesystem::path& temporary_path() const { return temporary_; }

    // Permission bits of the new file; by default those of the file it replaces, or
    // 0666 less the umask for a new file.
    bool SetMode(unsigned mode);
    bool Write(std::string_view bytes);
    // Flushes to disk, closes and renames over the target.
    bool Commit();
    void Discard();

private:
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    int fd_ = -1;
    bool failed_ = false;
};

// Whole-file convenience: true when `target` now holds exactly `bytes`. With `mode`, the
// file has those permission bits from its first byte on, whatever it had before.
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         std::optional<unsigned> mode = std::nullopt);

}  // namespace tessal
