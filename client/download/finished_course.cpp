#include "client/download/finished_course.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "client/download/lesson_address.h"
#include "common/files/file_helpers.h"

namespace tessal::client {
namespace {

bool IsLessonFile(const std::string& path) {
    constexpr std::string_view kExtension = ".tessal";
    if (path.size() < kExtension.size())
        return false;
    return std::equal(
        kExtension.begin(), kExtension.end(), path.end() - kExtension.size(),
        [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

}  // namespace

bool IsPartialLessonFile(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::exists(file.string() + ".aria2", error);
}

CourseOnDisk CountCourseOnDisk(const std::filesystem::path& course_folder,
                               const std::filesystem::path& renaming) {
    std::vector<std::string> files;
    WalkDirectory(course_folder, files);
    CourseOnDisk course;
    for (const std::string& file : files) {
        if (!IsLessonFile(file) || IsPartialLessonFile(file))
            continue;
        std::error_code error;
        const auto bytes = std::filesystem::file_size(file, error);
        ++course.lessons;
        if (!error)
            course.mebibytes += static_cast<long long>(bytes / (1024 * 1024));
        const std::string name = FileNameOfPath(file);
        if (DecodedLessonFileName(name) != name && std::filesystem::path(file) != renaming)
            ++course.unrenamed;
    }
    return course;
}

FinishedTexts FinishedEntryTexts(const CourseOnDisk& course, const std::tm& day) {
    std::string lessons = "(已下载" + std::to_string(course.lessons) + "课时)";
    if (course.unrenamed > 0)
        lessons += " " + std::to_string(course.unrenamed) + "课时未能改名";
    return {lessons, std::to_string(course.mebibytes) + "MB",
            std::to_string(day.tm_year + 1900) + "-" + std::to_string(day.tm_mon + 1) + "-" +
                std::to_string(day.tm_mday) + "下载"};
}

}  // namespace tessal::client
