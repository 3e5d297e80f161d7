#pragma once

// What every endpoint answers from: the data set, the running state, the site's own
// URLs and settings, and where the generated media lie.

#include <filesystem>
#include <map>
#include <string>

#include "site/model/demo_data.h"
#include "site/model/media_files.h"
#include "site/model/site_addresses.h"
#include "site/server/site_state.h"
#include "site/server/stop_signal.h"

namespace tessal::site {

struct SiteContext {
    const DemoData& data;
    SiteState& state;
    const SiteUrls& urls;
    std::string code_page;
    std::filesystem::path media_folder;  // clips/ and pictures/
    // Extra lesson files on the download hosts: decoded path -> file (benchmarks).
    std::map<std::string, std::filesystem::path> extra_files;
    std::filesystem::path engine_file;  // the codec host's engine; empty: made-up bytes

    std::filesystem::path ClipFile(const std::string& clip) const {
        return site::ClipFile(media_folder, clip);
    }
    std::filesystem::path PictureFile(const std::string& picture) const {
        return site::PictureFile(media_folder, picture);
    }
};

}  // namespace tessal::site
