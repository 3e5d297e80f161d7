#pragma once

// What an installation folder holds before its programs first run, beside the programs
// and their layouts and images: the folders the programs write into, and the cache and
// course databases with their tables and no rows. The build makes them for
// `cmake --install`; the demo installation starts from the same folders.

#include <filesystem>
#include <string>

namespace tessal::site {

// Relative to the installation folder. Some of them no program makes by itself (the codec
// updater downloads only into folders that exist); the others are here so that a fresh
// installation looks as the programs leave it.
inline constexpr const char* kShippedFolders[] = {"cache",
                                                  "cache/technology",
                                                  "cache/Playertechnology",
                                                  "cache/Updatatechnology",
                                                  "cache/History",
                                                  "codecs",
                                                  "codecs/lavfilters",
                                                  "codecs/wm",
                                                  "data/lesson/img",
                                                  "User",
                                                  "New",
                                                  "Apdll"};

inline constexpr const char* kCacheDatabaseFile = "cache/cache.dll";
inline constexpr const char* kCourseDatabaseFile = "codecs/Course.dll";

// Creates the folders of kShippedFolders under `folder` (made when missing). On failure
// returns false with the folder and the reason in `error`.
bool CreateShippedFolders(const std::filesystem::path& folder, std::string& error);

// The folders, an empty cache database and an empty course database, each database
// replacing an older one only when complete. Fails as CreateShippedFolders does, or with
// the database and SQLite's message.
bool BuildShippedFiles(const std::filesystem::path& folder, std::string& error);

}  // namespace tessal::site
