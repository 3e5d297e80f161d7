#include "client/download/lesson_files.h"

#include "client/catalogue/catalogue_queries.h"
#include "client/download/finished_course.h"
#include "common/files/file_helpers.h"

namespace tessal::client {
namespace {

// A name that stays one folder or file below its parent.
bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

}  // namespace

std::string LastUrlSegment(std::string_view url) {
    // An address without any separator is all last segment.
    if (url.find_first_of("/\\") == std::string_view::npos)
        return std::string(url);
    return FileNameOfPath(url);
}

std::optional<std::filesystem::path> CourseFolder(const std::string& download_root,
                                                  const std::string& type,
                                                  const std::string& course) {
    const std::string type_folder = type.empty() ? kUntypedCourseFolder : type;
    if (!IsPlainName(type_folder) || !IsPlainName(course))
        return std::nullopt;
    return std::filesystem::path(download_root) / type_folder / course;
}

bool IsLessonDownloaded(const CatalogueQueries& catalogue, const std::string& download_root,
                        const std::string& lesson_id) {
    const std::string url = catalogue.Lookup(CatalogueLookup::kLessonIdtoUrl, {lesson_id});
    if (!IsPlainName(LastUrlSegment(url)))
        return false;
    const std::string course =
        catalogue.Lookup(CatalogueLookup::kLessonIdtoCourseName, {lesson_id});
    if (course.empty())
        return false;
    return IsLessonDownloaded(download_root, url, course,
                              catalogue.Lookup(CatalogueLookup::kCoursNametoType, {course}));
}

bool IsLessonDownloaded(const std::string& download_root, const std::string& url,
                        const std::string& course, const std::string& type) {
    const std::string segment = LastUrlSegment(url);
    if (!IsPlainName(segment) || course.empty() || type.empty())
        return false;
    const auto folder = CourseFolder(download_root, type, course);
    std::error_code error;
    // Partial data of a paused or failed lesson is not the lesson.
    return folder && std::filesystem::is_regular_file(*folder / segment, error) &&
           !IsPartialLessonFile(*folder / segment);
}

}  // namespace tessal::client
