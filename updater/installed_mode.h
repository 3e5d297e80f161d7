#pragma once

// The mode a file that replaces an installed one takes, shared by TessalUpdata's install
// phase and the client's own update check: both rename a freshly downloaded file over the
// installed one, and the download made it with a data file's mode.

#include <sys/stat.h>

#include <filesystem>

namespace tessal::updater {

// The installed file's mode goes over to `replacement`, so an updated program stays
// runnable; a program that is not installed yet (`program` true) is made runnable. Only
// the permission bits go over: set-user-ID and set-group-ID on content just downloaded
// would run it as whoever owned the old file.
inline void TakeInstalledMode(const std::filesystem::path& replacement,
                              const std::filesystem::path& installed, bool program) {
    struct stat installed_status {};
    if (::stat(installed.c_str(), &installed_status) == 0 && S_ISREG(installed_status.st_mode)) {
        ::chmod(replacement.c_str(), installed_status.st_mode & 0777);
    } else if (program) {
        ::chmod(replacement.c_str(), 0755);
    }
}

}  // namespace tessal::updater
