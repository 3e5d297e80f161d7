#pragma once

// Path texts of lesson files as the player receives them (command line, hand-off, drop,
// playlist): the quotes a starter may wrap around a path, which files are lessons, and a
// lesson's title.

#include <string>
#include <string_view>

namespace tessal::player {

inline constexpr std::string_view kLessonExtension = ".tessal";

// Without the surrounding double quotes, when the path both starts and ends with one
// (and holds at least the two); otherwise unchanged.
std::string StripSurroundingQuotes(std::string path);

// Whether the player treats the file as a lesson (title and play progress): the path ends
// in ".tessal" or ".TESSAL", exactly these two forms.
bool IsLessonFile(std::string_view path);

// Whether a folder scan takes the file: ".tessal" in any mix of case.
bool HasLessonExtension(std::string_view path);

// The file-name part: after the last "/", else after the last "\\"; empty when there is
// neither. The extension stays part of it.
std::string LessonTitle(std::string_view path);

}  // namespace tessal::player
