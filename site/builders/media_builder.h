#pragma once

// The demo data set's media, made with ffmpeg: one WebM clip (VP8 video, Vorbis audio,
// which both mpv and Qt WebEngine play) per clip of the catalogue under clips/, and one
// picture per course, head and push picture under pictures/.

#include <filesystem>
#include <string>
#include <string_view>

#include "site/model/demo_data.h"
#include "site/model/media_files.h"

namespace tessal::site {

// Beside every made file: the ffmpeg arguments it was made with.
inline constexpr const char* kMadeFromSuffix = ".made-from";

// Makes every clip and picture of `data` below `folder` that is missing or was made from
// other arguments; the rest stay untouched. Each file appears whole or not at all. On
// failure returns false with the name, and for an ffmpeg failure the command, its exit
// status and its messages, in `error`.
bool BuildMedia(const DemoData& data, const std::filesystem::path& folder, std::string& error);

}  // namespace tessal::site
