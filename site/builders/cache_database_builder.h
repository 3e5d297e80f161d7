#pragma once

// cache/cache.dll: the client's cache database as an installation ships it, with the
// message and play-progress tables and no rows.

#include <filesystem>
#include <string>

namespace tessal::site {

// Writes the empty cache database into `file`, replacing it only when complete. On
// failure returns false with the file and SQLite's message in `error`.
bool BuildCacheDatabase(const std::filesystem::path& file, std::string& error);

}  // namespace tessal::site
