#pragma once

// What both phases share, built once by main: the site's addresses, the daily log, the
// bounds of the program folder and the version installed when the run began.

#include "common/log/daily_log.h"
#include "common/settings/site_settings.h"
#include "updater/path_confinement.h"

namespace tessal::updater {

struct UpdaterContext {
    const SiteSettings& site;
    DailyLog& log;
    const PathConfinement& paths;
    int installed_version = 1;

    // Logs and returns false when a list value would lead outside the program folder.
    bool Confined(std::string_view value, std::string_view relative_path) const {
        return paths.AllowsOrLogs(value, relative_path, log);
    }
};

}  // namespace tessal::updater
