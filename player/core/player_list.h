#pragma once

// The playlist as the player keeps it between runs in "./PlayerList.ini", and the two
// ways lessons come from folders: the fallback scan of the player download folder and
// "add folder". Courses are in playlist order, lessons in course order. The file's
// layout is described in player/README.md.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tessal::player {

inline constexpr const char* kPlayerListFile = "PlayerList.ini";
// The course of lessons whose folder has no name.
inline constexpr const char* kUnsortedCourse = "未分类的课程";
// No more top-level items than this are saved.
inline constexpr int kMaxSavedCourses = 1024;

struct PlaylistLesson {
    std::string name;  // the file-name part of the path
    std::string path;
};

struct PlaylistCourse {
    std::string name;
    std::vector<PlaylistLesson> lessons;
};

using PlaylistCourses = std::vector<PlaylistCourse>;

// The saved playlist. Entries whose file no longer exists are dropped; courses of the
// same name (exactly) become one. Empty when the file is missing or yields no lesson:
// the caller then scans the download folder.
PlaylistCourses LoadPlayerList(const std::filesystem::path& ini);

// Replaces the file in one atomic write with the first kMaxSavedCourses courses; lessons
// with an empty course name, lesson name or path are left out.
bool SavePlayerList(const std::filesystem::path& ini, const PlaylistCourses& courses);

// Every lesson file (".tessal" in any case) below `folder`, in walk order, in a course
// named after the folder that directly holds it (kUnsortedCourse when that has no name).
PlaylistCourses ScanLessonFolder(const std::filesystem::path& folder);

// "Add folder": one course named after the folder holding the first lesson file below
// `folder`, with every lesson file below it in walk order; nothing when there is none.
std::optional<PlaylistCourse> ReadLessonFolder(const std::filesystem::path& folder);

// The course of that exact name, or null; an empty name never matches.
PlaylistCourse* FindCourse(PlaylistCourses& courses, const std::string& name);

}  // namespace tessal::player
