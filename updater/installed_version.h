#pragma once

// "New/Version.ini" records the version of the last list installed completely.

#include <filesystem>
#include <string_view>

namespace tessal::updater {

inline constexpr const char* kVersionFile = "New/Version.ini";

// "GlobalVersion" of section "GlobalVersion"; a missing, empty or zero value counts as 1.
int ReadInstalledVersion(const std::filesystem::path& file);

bool WriteInstalledVersion(const std::filesystem::path& file, std::string_view version);

}  // namespace tessal::updater
