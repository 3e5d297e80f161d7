#pragma once

// A course of the finished list as the disk has it: how many lesson files (".tessal", in
// any letter case) lie in its folder and below, and their size in whole MiB counted file
// by file (a file under 1 MiB adds nothing), with the texts the list shows.

#include <ctime>
#include <filesystem>
#include <string>

namespace tessal::client {

struct CourseOnDisk {
    int lessons = 0;
    long long mebibytes = 0;
};

CourseOnDisk CountCourseOnDisk(const std::filesystem::path& course_folder);

struct FinishedTexts {
    std::string lessons;  // "(已下载%i课时)"
    std::string size;     // "%iMB"
    std::string date;     // "%i-%i-%i下载", the local date of `day`, no zero padding
};

FinishedTexts FinishedEntryTexts(const CourseOnDisk& course, const std::tm& day);

}  // namespace tessal::client
