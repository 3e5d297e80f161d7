#pragma once

// The profile-string INI files the programs keep beside them (UserSet.ini, UserInfo.ini,
// New/Version.ini, ...). Sections and keys match without regard to ASCII case and the
// first match wins; a UTF-8 byte-order mark and CRLF line ends are read correctly and
// kept; lines the call does not touch are kept as they are. Every write re-reads the
// file and replaces it atomically under a cross-process lock, so programs writing
// different keys of one file never lose each other's values.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/settings/ini_document.h"

namespace tessal {

// Windows' buffer-size convention: a read returns at most `buffer_size` - 1 bytes,
// cut on a UTF-8 character boundary.
inline constexpr std::size_t kDefaultIniBufferSize = 260;

// The value, or `default_value` when the file, section or key is missing.
// Blanks around the value and one pair of surrounding quotes are removed.
std::string ReadProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, std::string_view default_value,
                              std::size_t buffer_size = kDefaultIniBufferSize);

// Creates the file, the section and the key as needed. Line breaks inside the value
// become blanks, so one value can never break the file's layout.
bool WriteProfileString(const std::filesystem::path& file, std::string_view section,
                        std::string_view key, std::string_view value);

bool DeleteProfileKey(const std::filesystem::path& file, std::string_view section,
                      std::string_view key);
bool DeleteProfileSection(const std::filesystem::path& file, std::string_view section);

// The whole file, for reading many keys at once; empty when the file is missing.
IniDocument LoadProfile(const std::filesystem::path& file);

// Key names of a section in file order; empty when there is none.
std::vector<std::string> ReadProfileKeys(const std::filesystem::path& file,
                                         std::string_view section);

// Several keys in one locked read-modify-write: each (key, value) pair is written,
// a pair with no value deletes its key.
struct ProfileEntry {
    std::string key;
    std::optional<std::string> value;
};
// With `mode`, the file gets those permission bits (see UpdateProfile).
bool WriteProfileEntries(const std::filesystem::path& file, std::string_view section,
                         const std::vector<ProfileEntry>& entries,
                         std::optional<unsigned> mode = std::nullopt);

// The general form of every write: under the file's lock, `edit` sees the current
// document and answers whether it changed it; a changed document replaces the file.
// With `mode` (0600 for a file that holds a password), every write gives the file those
// permission bits.
bool UpdateProfile(const std::filesystem::path& file, const std::function<bool(IniDocument&)>& edit,
                   std::optional<unsigned> mode = std::nullopt);

}  // namespace tessal
