#pragma once

// The update list comes over the network; whatever it names, the updater reads and
// writes only below its own program folder.

#include <filesystem>
#include <string_view>

#include "common/log/daily_log.h"

namespace tessal::updater {

class PathConfinement {
public:
    // `program_folder` is made canonical here; symbolic links in it are the installer's.
    explicit PathConfinement(const std::filesystem::path& program_folder);

    // True when `relative` (a path as the list gives it, relative to the program folder)
    // is not absolute, holds no "..", and still lies strictly below the program folder
    // once every symbolic link that exists along it is followed.
    bool Allows(std::string_view relative) const;
    // Allows, and a refusal goes to `log` (RefusePath) naming `value`, the list's text
    // that led there.
    bool AllowsOrLogs(std::string_view value, std::string_view relative, DailyLog& log) const;

    const std::filesystem::path& folder() const { return folder_; }

private:
    bool IsBelowFolder(const std::filesystem::path& resolved) const;
    bool DanglingLinkStaysInside(const std::filesystem::path& resolved) const;

    std::filesystem::path folder_;
};

// Logs that the list's `value` was refused as a path; false.
bool RefusePath(std::string_view value, DailyLog& log);

}  // namespace tessal::updater
