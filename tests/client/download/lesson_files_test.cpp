// Where downloaded lessons lie: the last part of a download address, and the course
// folder below the download root, which no name in the catalogue may leave.

#include "client/download/lesson_files.h"

#include <gtest/gtest.h>

namespace tessal::client {
namespace {

TEST(LessonFilesTest, TheFileIsNamedByTheAddressesLastPart) {
    const std::pair<const char*, const char*> cases[] = {
        {"http://down1/lessons/101/kj101-01.tessal", "kj101-01.tessal"},
        {"http://down1/lessons/101/%E5%80%9F.tessal", "%E5%80%9F.tessal"},
        {"x\\lessons\\a.tessal", "a.tessal"},
        {"http://down1/a\\b.tessal", "a\\b.tessal"},  // "/" wins over "\"
        {"kj.tessal", "kj.tessal"},
        {"http://down1/lessons/", ""},
    };
    for (const auto& [url, segment] : cases)
        EXPECT_EQ(LastUrlSegment(url), segment) << url;
}

TEST(LessonFilesTest, ACourseFolderStaysBelowTheDownloadRoot) {
    struct Case {
        const char* type;
        const char* course;
        std::optional<std::filesystem::path> folder;
    };
    const Case cases[] = {
        {"财会金融", "会计基础入门", "/dl/财会金融/会计基础入门"},
        {"", "会计基础入门", "/dl/下载的课程/会计基础入门"},
        {"..", "x", std::nullopt},
        {"财会", "..", std::nullopt},
        {"财会", ".", std::nullopt},
        {"a/../..", "x", std::nullopt},
        {"财会", "a/b", std::nullopt},
        {"财会", "", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CourseFolder("/dl/", c.type, c.course), c.folder) << c.type << " " << c.course;
}

}  // namespace
}  // namespace tessal::client
