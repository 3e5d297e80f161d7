#include "common/base/runtime_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <system_error>

namespace tessal {
namespace fs = std::filesystem;
namespace {

fs::path FromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return {};
    }
    return fs::path(value);
}

// XDG base folder: the variable when it holds an absolute path, else $HOME + fallback.
fs::path XdgFolder(const char* variable, const char* home_relative) {
    fs::path folder = FromEnvironment(variable);
    if (folder.is_absolute()) {
        return folder;
    }
    const fs::path home = FromEnvironment("HOME");
    return home.empty() ? fs::path() : home / home_relative;
}

// "tessal-<uid>" in the temporary folder, 0700 and ours: lock files in a folder others
// can write could be created and held by them. Empty when it cannot be made safe.
fs::path PrivateTemporaryFolder() {
    std::error_code error;
    fs::path temporary = fs::temp_directory_path(error);
    const fs::path folder =
        (error ? fs::path("/tmp") : temporary) / ("tessal-" + std::to_string(::getuid()));
    ::mkdir(folder.c_str(), 0700);
    struct stat status {};
    const bool safe = ::lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
                      status.st_uid == ::getuid() && (status.st_mode & 077) == 0;
    return safe ? folder : fs::path();
}

}  // namespace

fs::path ProgramFolder() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::current_path(error) : executable.parent_path();
}

fs::path RuntimeFolder() {
    const fs::path runtime = FromEnvironment("XDG_RUNTIME_DIR");
    if (runtime.is_absolute() && ::access(runtime.c_str(), W_OK | X_OK) == 0) {
        return runtime;
    }
    return PrivateTemporaryFolder();
}

fs::path UserDataFolder() {
    return XdgFolder("XDG_DATA_HOME", ".local/share");
}

fs::path UserConfigFolder() {
    return XdgFolder("XDG_CONFIG_HOME", ".config");
}

}  // namespace tessal
