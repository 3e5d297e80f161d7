#include "updater/path_confinement.h"

#include <algorithm>
#include <string>
#include <system_error>

namespace tessal::updater {

namespace fs = std::filesystem;

PathConfinement::PathConfinement(const fs::path& program_folder) {
    std::error_code failure;
    folder_ = fs::weakly_canonical(fs::absolute(program_folder, failure), failure);
}

bool PathConfinement::Allows(std::string_view relative) const {
    if (folder_.empty() || relative.find("..") != std::string_view::npos) {
        return false;
    }
    const fs::path path(relative);
    if (path.is_absolute() || path.has_root_name()) {
        return false;
    }
    std::error_code failure;
    const fs::path resolved = fs::weakly_canonical(folder_ / path, failure);
    return !failure && IsBelowFolder(resolved) && DanglingLinkStaysInside(resolved);
}

// weakly_canonical stops at a link whose target is missing; where it points still counts.
bool PathConfinement::DanglingLinkStaysInside(const fs::path& resolved) const {
    std::error_code failure;
    if (!fs::is_symlink(fs::symlink_status(resolved, failure))) {
        return true;
    }
    const fs::path target = resolved.parent_path() / fs::read_symlink(resolved, failure);
    return !failure && IsBelowFolder(fs::weakly_canonical(target, failure)) && !failure;
}

bool PathConfinement::IsBelowFolder(const fs::path& resolved) const {
    // Compared by components, so that "/opt/app2" is not taken to lie in "/opt/app".
    auto [folder_end, resolved_at] =
        std::mismatch(folder_.begin(), folder_.end(), resolved.begin(), resolved.end());
    if (folder_end != folder_.end()) {
        return false;
    }
    // A trailing separator leaves an empty last component; it names the folder itself.
    return std::any_of(resolved_at, resolved.end(),
                       [](const fs::path& component) { return !component.empty(); });
}

bool PathConfinement::AllowsOrLogs(std::string_view value, std::string_view relative,
                                   DailyLog& log) const {
    return Allows(relative) || RefusePath(value, log);
}

bool RefusePath(std::string_view value, DailyLog& log) {
    log.Write("Refused path outside the program folder:" + std::string(value));
    return false;
}

}  // namespace tessal::updater
