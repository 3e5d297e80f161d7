#include "player/core/lesson_path.h"

#include <algorithm>

#include "common/files/file_helpers.h"

namespace tessal::player {

std::string StripSurroundingQuotes(std::string path) {
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"') {
        return path.substr(1, path.size() - 2);
    }
    return path;
}

bool IsLessonFile(std::string_view path) {
    return path.ends_with(kLessonExtension) || path.ends_with(".TESSAL");
}

bool HasLessonExtension(std::string_view path) {
    if (path.size() < kLessonExtension.size()) {
        return false;
    }
    const std::string_view tail = path.substr(path.size() - kLessonExtension.size());
    return std::equal(tail.begin(), tail.end(), kLessonExtension.begin(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? static_cast<char>(a + 32) : a) == b;
    });
}

std::string LessonTitle(std::string_view path) {
    return FileNameOfPath(path);
}

}  // namespace tessal::player
