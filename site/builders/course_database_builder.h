#pragma once

// codecs/Course.dll: the course catalogue the client reads (courses, their lessons with
// download URLs, and the course types), made from the demo data set for one deployment.

#include <filesystem>
#include <string>

#include "site/model/demo_data.h"
#include "site/model/site_addresses.h"

namespace tessal::site {

// Writes the catalogue of `data` with the URLs of `urls` into `file`, replacing it only
// when complete. On failure returns false with the file and SQLite's message in `error`.
bool BuildCourseDatabase(const DemoData& data, const SiteUrls& urls,
                         const std::filesystem::path& file, std::string& error);

// Writes the catalogue's tables without rows into `file`: what an installation ships until
// the site's update list brings the real catalogue. Fails as BuildCourseDatabase does.
bool BuildEmptyCourseDatabase(const std::filesystem::path& file, std::string& error);

}  // namespace tessal::site
