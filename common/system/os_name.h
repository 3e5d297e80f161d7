#pragma once

// The operating-system name the client reports at login.

#include <filesystem>
#include <string>

namespace tessal {

// PRETTY_NAME of the os-release file, unquoted ("Debian GNU/Linux 12 (bookworm)");
// "unknown OperatingSystem." when the file cannot be read or names none.
std::string OsName(const std::filesystem::path& os_release = "/etc/os-release");

}  // namespace tessal
