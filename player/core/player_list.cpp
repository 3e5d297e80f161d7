#include "player/core/player_list.h"

#include <algorithm>
#include <unordered_map>

#include "common/base/atomic_write.h"
#include "common/base/text_helpers.h"
#include "common/files/file_helpers.h"
#include "player/core/player_list_ini.h"

namespace tessal::player {
namespace fs = std::filesystem;
namespace {

constexpr const char* kListSection = "List";
constexpr const char* kCourseNamesSection = "CourseName";
constexpr const char* kIndexKey = "index";
constexpr const char* kPathKey = "FilePath";

// The k-th lesson's own path in its course's section; files written before these keys
// existed have only the lesson section's "FilePath", shared by lessons of one name.
std::string CoursePathKey(int lesson) {
    return kPathKey + std::to_string(lesson);
}

// The number as a profile read of a 20-byte buffer and atoi give it.
std::optional<int> IndexOf(const IniIndex& index, const std::string& section) {
    const std::optional<std::string> text = index.Value(section, kIndexKey);
    if (!text || text->empty()) {
        return std::nullopt;
    }
    return LeadingNumber(*text);
}

std::string LessonPath(const IniIndex& index, const std::string& course, int number,
                       const std::string& lesson) {
    std::string path = index.Value(course, CoursePathKey(number)).value_or("");
    return path.empty() ? index.Value(lesson, kPathKey).value_or("") : path;
}

bool FileExists(const std::string& path) {
    std::error_code error;
    return fs::exists(path, error);
}

// Appends lessons to courses found by exact name, creating them in order of appearance.
class CourseCollector {
public:
    void Add(const std::string& course, PlaylistLesson lesson) {
        const auto [at, added] = positions_.try_emplace(course, courses_.size());
        if (added) {
            courses_.push_back({course, {}});
        }
        courses_[at->second].lessons.push_back(std::move(lesson));
    }
    PlaylistCourses Take() { return std::move(courses_); }

private:
    PlaylistCourses courses_;
    std::unordered_map<std::string, std::size_t> positions_;
};

}  // namespace

PlaylistCourse* FindCourse(PlaylistCourses& courses, const std::string& name) {
    if (name.empty()) {
        return nullptr;
    }
    const auto found = std::find_if(courses.begin(), courses.end(),
                                    [&name](const PlaylistCourse& c) { return c.name == name; });
    return found == courses.end() ? nullptr : &*found;
}

PlaylistCourses LoadPlayerList(const fs::path& ini) {
    const IniIndex index = IniIndex::Parse(ReadWholeFile(ini));
    const std::optional<int> last_course = IndexOf(index, kListSection);
    if (!last_course || *last_course < 0) {
        return {};
    }
    CourseCollector collector;
    for (const auto& [position, course] : index.Numbered(kCourseNamesSection, *last_course)) {
        if (course.empty()) {
            continue;
        }
        const int last_lesson = IndexOf(index, course).value_or(0);
        for (const auto& [number, lesson] : index.Numbered(course, last_lesson)) {
            if (lesson.empty()) {
                continue;
            }
            std::string path = LessonPath(index, course, number, lesson);
            if (!path.empty() && FileExists(path)) {
                collector.Add(course, {lesson, std::move(path)});
            }
        }
    }
    return collector.Take();
}

namespace {

// Courses whose names share one section (the same name, or names that differ only in
// case) are written as one: written apart, the second would overwrite the first's lesson
// keys and its lessons would be lost. The load merges same-named courses anyway.
class ListWriter {
public:
    ListWriter() {
        ini_.Set(kListSection, kIndexKey, "-1");
        ini_.AddSection(kCourseNamesSection);
    }

    void AddCourse(int position, const PlaylistCourse& course) {
        for (const PlaylistLesson& lesson : course.lessons) {
            if (!Writable(course.name) || lesson.name.empty() || lesson.path.empty()) {
                continue;
            }
            int& count = LessonCount(course.name);
            const std::string& section = sections_[FoldIniName(course.name)];
            ini_.Set(section, std::to_string(count), lesson.name);
            ini_.Set(section, CoursePathKey(count), lesson.path);
            ini_.Set(lesson.name, kPathKey, lesson.path);  // last written wins, as before
            ini_.SetAtLeast(section, kIndexKey, count);
            ini_.SetAtLeast(kListSection, kIndexKey, position);
            ++count;
        }
    }

    std::string Text() const { return ini_.Text(); }

private:
    // A course named like the section of course names would overwrite them with its
    // lesson names: the file cannot hold it. (One named like "List" shares that section
    // harmlessly, each "index" keeping the larger number.)
    static bool Writable(const std::string& course) {
        return !course.empty() && FoldIniName(course) != FoldIniName(kCourseNamesSection);
    }

    int& LessonCount(const std::string& course) {
        const std::string folded = FoldIniName(course);
        if (sections_.try_emplace(folded, course).second) {
            ini_.Set(kCourseNamesSection, std::to_string(course_count_++), course);
        }
        return lesson_counts_[folded];
    }

    IniWriter ini_;
    std::unordered_map<std::string, std::string> sections_;  // folded name -> first name
    std::unordered_map<std::string, int> lesson_counts_;
    int course_count_ = 0;
};

}  // namespace

bool SavePlayerList(const fs::path& ini, const PlaylistCourses& courses) {
    ListWriter writer;
    const int saved = std::min(static_cast<int>(courses.size()), kMaxSavedCourses);
    for (int position = 0; position < saved; ++position) {
        writer.AddCourse(position, courses[static_cast<std::size_t>(position)]);
    }
    return WriteFileAtomically(ini, writer.Text());
}

}  // namespace tessal::player
