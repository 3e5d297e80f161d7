#pragma once

// A course of the finished list as the disk has it: how many lesson files (".tessal", in
// any letter case) lie in its folder and below, and their size in whole MiB counted file
// by file (a file under 1 MiB adds nothing), with the texts the list shows. A file the
// engine still holds partial data of (its control file lies beside it) is no finished
// lesson, and one left under its encoded name (its rename failed) is counted and said.

#include <ctime>
#include <filesystem>
#include <string>

namespace tessal::client {

struct CourseOnDisk {
    int lessons = 0;
    long long mebibytes = 0;
    int unrenamed = 0;  // lessons still under the name they were downloaded as
};

// `renaming` is a file whose rename is under way (not counted as unrenamed).
CourseOnDisk CountCourseOnDisk(const std::filesystem::path& course_folder,
                               const std::filesystem::path& renaming = {});

// Whether `file` is partial data the engine may resume: its control file lies beside it.
bool IsPartialLessonFile(const std::filesystem::path& file);

struct FinishedTexts {
    std::string lessons;  // "(已下载%i课时)", and how many are still to be renamed
    std::string size;     // "%iMB"
    std::string date;     // "%i-%i-%i下载", the local date of `day`, no zero padding
};

FinishedTexts FinishedEntryTexts(const CourseOnDisk& course, const std::tm& day);

}  // namespace tessal::client
