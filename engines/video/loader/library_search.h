#pragma once

// Whether the dynamic loader would find a library that another one needs, decided
// without loading anything: a library already in the process; else the needing
// library's own search path ($ORIGIN expanded), LD_LIBRARY_PATH, the loader's cache
// (/etc/ld.so.cache) and the system folders, where a file counts only if its ELF header
// fits the running program. Only the direct needs are checked: following each need's
// own needs would read dozens of files at start-up.

#include <filesystem>
#include <string>
#include <vector>

namespace tessal {

// `origin` is the folder of the needing library, `search_path` its own search path.
bool CanFindNeededLibrary(const std::string& name, const std::filesystem::path& origin,
                          const std::vector<std::string>& search_path);

}  // namespace tessal
