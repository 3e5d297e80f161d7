#pragma once

// Where downloaded lessons live: "<download root><course type>/<course name>/" holds the
// lesson files, each named by the last segment of its download address, and a course
// without a type goes under "下载的课程". The download center writes this tree, the
// lesson window asks it whether a lesson is already there, and TessalPlayer's playlist
// reads it.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tessal::client {

class CatalogueQueries;

inline constexpr const char* kUntypedCourseFolder = "下载的课程";

// The text after the last "/", or after the last "\" when there is no "/".
std::string LastUrlSegment(std::string_view url);

// The course's folder below `download_root`; nothing when the type or the course name
// could leave the download root (".", "..", a "/" inside) or the name is empty.
std::optional<std::filesystem::path> CourseFolder(const std::string& download_root,
                                                  const std::string& type,
                                                  const std::string& course);

// Whether lesson `lesson_id` is on disk. A lesson without a download address, a course or
// a type counts as not downloaded: the question is only asked of typed courses' folders,
// as the download center has always answered it. Nothing is created. A file the engine
// still holds partial data of (paused, or failed and not yet cleaned) is not downloaded.
bool IsLessonDownloaded(const CatalogueQueries& catalogue, const std::string& download_root,
                        const std::string& lesson_id);
// The same answer from what the catalogue holds of the lesson: its download address, its
// course's name and that course's type.
bool IsLessonDownloaded(const std::string& download_root, const std::string& url,
                        const std::string& course, const std::string& type);

}  // namespace tessal::client
