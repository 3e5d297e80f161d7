#pragma once

// Where the generated media of the data set lie: one WebM file per clip under clips/ and
// one file per picture under pictures/ of the media folder. The builders make them there
// and the site serves them from there.

#include <filesystem>
#include <string>
#include <string_view>

namespace tessal::site {

inline constexpr const char* kClipsFolder = "clips";
inline constexpr const char* kPicturesFolder = "pictures";

// True when `name` names one file inside a folder: not empty, no "/", not "." or "..".
inline bool IsPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

// <media>/clips/<clip name>.webm
inline std::filesystem::path ClipFile(const std::filesystem::path& media, const std::string& clip) {
    return media / kClipsFolder / (clip + ".webm");
}

// <media>/pictures/<picture>
inline std::filesystem::path PictureFile(const std::filesystem::path& media,
                                         const std::string& picture) {
    return media / kPicturesFolder / picture;
}

}  // namespace tessal::site
