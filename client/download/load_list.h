#pragma once

// "./LoadList.ini": the download center's two lists across restarts. `LoadPage` holds
// the lesson ids of the downloading list in queue order, `FinishPage` the course ids of
// the finished list, each as keys "1" to `Count`.

#include <filesystem>
#include <string>
#include <vector>

namespace tessal::client {

inline constexpr const char* kLoadListFile = "LoadList.ini";
inline constexpr const char* kLoadingSection = "LoadPage";
inline constexpr const char* kFinishedSection = "FinishPage";

struct SavedLists {
    std::vector<std::string> loading;   // lesson ids
    std::vector<std::string> finished;  // course ids
};

// The ids of `section`: keys 1 to `Count` (missing or not a number: none), each read as
// at most 29 characters, empty values skipped.
std::vector<std::string> ReadSavedIds(const std::filesystem::path& file, const char* section);
SavedLists ReadSavedLists(const std::filesystem::path& file);

// Replaces `section` with `ids` (empty ones left out) and their count, in one write;
// false when the file cannot be written.
bool WriteSavedIds(const std::filesystem::path& file, const char* section,
                   const std::vector<std::string>& ids);

}  // namespace tessal::client
