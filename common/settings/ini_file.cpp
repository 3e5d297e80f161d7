#include "common/settings/ini_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <functional>
#include <sstream>
#include <system_error>

#include "common/base/atomic_write.h"
#include "common/base/file_lock.h"

namespace tessal {
namespace fs = std::filesystem;
namespace {

// The file's text; "" when it does not exist, nothing when it exists but cannot be
// read (a write must then fail rather than replace keys it could not see).
std::optional<std::string> ReadText(const fs::path& file) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) {
        struct stat status {};
        const bool missing = ::lstat(file.c_str(), &status) != 0 && errno == ENOENT;
        return missing ? std::optional<std::string>("") : std::nullopt;
    }
    std::ostringstream text;
    text << stream.rdbuf();
    return std::move(text).str();
}

// Every program that writes this file must take the same lock, whatever path it used.
std::string LockKeyFor(const fs::path& file) {
    std::error_code error;
    fs::path absolute = fs::weakly_canonical(fs::absolute(file, error), error);
    return "ini:" + (error ? file.lexically_normal().string() : absolute.string());
}

}  // namespace

IniDocument LoadProfile(const fs::path& file) {
    return IniDocument::Parse(ReadText(file).value_or(""));
}

bool UpdateProfile(const fs::path& file, const std::function<bool(IniDocument&)>& edit,
                   std::optional<unsigned> mode) {
    const FileLock lock(LockKeyFor(file), FileLock::Mode::kWait);
    if (!lock.held()) {
        return false;
    }
    const std::optional<std::string> text = ReadText(file);
    if (!text) {
        return false;
    }
    IniDocument document = IniDocument::Parse(*text);
    if (!edit(document)) {
        return true;
    }
    return WriteFileAtomically(file, document.Serialize(), mode);
}

namespace {

// Cut to at most `limit` bytes without splitting a UTF-8 character.
std::string CutToLimit(std::string text, std::size_t limit) {
    if (text.size() <= limit) {
        return text;
    }
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    text.resize(cut);
    return text;
}

}  // namespace

std::string ReadProfileString(const fs::path& file, std::string_view section, std::string_view key,
                              std::string_view default_value, std::size_t buffer_size) {
    const auto value = LoadProfile(file).Value(section, key);
    const std::size_t limit = buffer_size == 0 ? 0 : buffer_size - 1;
    return CutToLimit(value ? *value : std::string(default_value), limit);
}

bool WriteProfileString(const fs::path& file, std::string_view section, std::string_view key,
                        std::string_view value) {
    return UpdateProfile(file, [&](IniDocument& document) {
        document.Set(section, key, value);
        return true;
    });
}

bool DeleteProfileKey(const fs::path& file, std::string_view section, std::string_view key) {
    return UpdateProfile(file,
                         [&](IniDocument& document) { return document.RemoveKey(section, key); });
}

bool DeleteProfileSection(const fs::path& file, std::string_view section) {
    return UpdateProfile(file,
                         [&](IniDocument& document) { return document.RemoveSection(section); });
}

std::vector<std::string> ReadProfileKeys(const fs::path& file, std::string_view section) {
    return LoadProfile(file).Keys(section);
}

bool WriteProfileEntries(const fs::path& file, std::string_view section,
                         const std::vector<ProfileEntry>& entries, std::optional<unsigned> mode) {
    return UpdateProfile(
        file,
        [&](IniDocument& document) {
            for (const ProfileEntry& entry : entries) {
                if (entry.value) {
                    document.Set(section, entry.key, *entry.value);
                } else {
                    document.RemoveKey(section, entry.key);
                }
            }
            return true;
        },
        mode);
}

}  // namespace tessal
