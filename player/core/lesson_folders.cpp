// The playlist's lessons taken from folders: the fallback scan and "add folder".

#include <string>
#include <vector>

#include "common/files/file_helpers.h"
#include "player/core/lesson_path.h"
#include "player/core/player_list.h"

namespace tessal::player {
namespace {

// The lesson files below `folder` in walk order.
std::vector<std::string> LessonFilesBelow(const std::filesystem::path& folder) {
    std::string root = folder.string();
    while (root.size() > 1 && root.back() == '/') {
        root.pop_back();
    }
    std::vector<std::string> files;
    WalkDirectory(root, files);
    std::erase_if(files, [](const std::string& file) { return !HasLessonExtension(file); });
    return files;
}

// The name of the folder that directly holds the file (a relative folder without a
// separator is its own name).
std::string CourseNameOf(const std::string& file) {
    std::string folder = FolderOfPath(file);
    if (!folder.empty()) {
        folder.pop_back();
    }
    const bool nested = folder.find_first_of("/\\") != std::string::npos;
    const std::string name = nested ? FileNameOfPath(folder) : folder;
    return name.empty() ? kUnsortedCourse : name;
}

}  // namespace

PlaylistCourses ScanLessonFolder(const std::filesystem::path& folder) {
    PlaylistCourses courses;
    for (const std::string& file : LessonFilesBelow(folder)) {
        const std::string course = CourseNameOf(file);
        PlaylistCourse* found = FindCourse(courses, course);
        if (found == nullptr) {
            found = &courses.emplace_back(PlaylistCourse{course, {}});
        }
        found->lessons.push_back({LessonTitle(file), file});
    }
    return courses;
}

std::optional<PlaylistCourse> ReadLessonFolder(const std::filesystem::path& folder) {
    const std::vector<std::string> files = LessonFilesBelow(folder);
    if (files.empty()) {
        return std::nullopt;
    }
    PlaylistCourse course{CourseNameOf(files.front()), {}};
    for (const std::string& file : files) {
        course.lessons.push_back({LessonTitle(file), file});
    }
    return course;
}

}  // namespace tessal::player
