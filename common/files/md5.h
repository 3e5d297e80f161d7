#pragma once

// MD5 digests as the update lists and the site protocol write them: 32 lower-case
// hexadecimal digits, first byte first.

#include <filesystem>
#include <string>
#include <string_view>

namespace tessal {

std::string TextMd5(std::string_view bytes);

// The digest of the file's contents; empty when the file cannot be read, so that it
// compares unequal to every listed digest ("fopen %s failed\n" goes to stderr).
std::string FileMd5(const std::filesystem::path& path);

}  // namespace tessal
