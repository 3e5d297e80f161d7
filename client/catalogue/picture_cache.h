#pragma once

// Where a course picture is kept on disk: "data/lesson/img/" + the part of its URL after
// the last "/" (after the last "\" when there is no "/").

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tessal::client {

inline constexpr const char* kPictureFolder = "data/lesson/img";

// The part of `url` after its last "/", or after its last "\" when it has no "/";
// empty when it has neither.
std::string PictureFileName(std::string_view url);

// The cache file of the picture at `url` under `program_folder`; nothing when the URL
// names no file there (no separator, or a name such as "" or "..", which would be the
// folder itself or leave it).
std::optional<std::filesystem::path> PictureCachePath(const std::filesystem::path& program_folder,
                                                      std::string_view url);

}  // namespace tessal::client
