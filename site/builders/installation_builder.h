#pragma once

// Fills an installation folder with what it needs to run against a reference site: that
// site's Site.ini, the course and cache databases, the folders the programs expect, and
// the first course of the data set already downloaded for the offline player.

#include <filesystem>
#include <string>

#include "site/model/demo_data.h"

namespace tessal::site {

// The client's download root inside the installation: <type>/<course>/<lesson file>.
inline constexpr const char* kDownloadFolder = "TessalDownload";
inline constexpr const char* kLessonFileExtension = ".tessal";

// `site_ini` is the Site.ini a running site wrote; `media` holds the clips BuildMedia made.
// `folder` is created when missing; files there that the installation does not own are
// kept. On failure returns false with what went wrong in `error`.
bool AssembleInstallation(const DemoData& data, const std::filesystem::path& site_ini,
                          const std::filesystem::path& media, const std::filesystem::path& folder,
                          std::string& error);

}  // namespace tessal::site
