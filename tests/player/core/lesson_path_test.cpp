#include "player/core/lesson_path.h"

#include <gtest/gtest.h>

namespace tessal::player {
namespace {

TEST(StripSurroundingQuotes, RemovesOnlyAPairAroundThePath) {
    const std::pair<std::string, std::string> cases[] = {
        {"\"/home/a/第1讲.tessal\"", "/home/a/第1讲.tessal"},
        {"/home/a/第1讲.tessal", "/home/a/第1讲.tessal"},
        {"\"/home/a/x.tessal", "\"/home/a/x.tessal"},
        {"\"\"", ""},
        {"\"", "\""},
        {"", ""},
    };
    for (const auto& [given, expected] : cases) {
        EXPECT_EQ(StripSurroundingQuotes(given), expected) << given;
    }
}

TEST(LessonExtension, OpenerTakesTwoFormsScansTakeAnyCase) {
    struct Case {
        const char* path;
        bool lesson;
        bool scanned;
    };
    const Case cases[] = {
        {"/a/x.tessal", true, true},  {"/a/x.TESSAL", true, true},
        {"/a/x.Tessal", false, true}, {"/a/x.tessal.mp4", false, false},
        {"/a/tessal", false, false},  {".tessal", true, true},
        {"", false, false},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(IsLessonFile(test.path), test.lesson) << test.path;
        EXPECT_EQ(HasLessonExtension(test.path), test.scanned) << test.path;
    }
}

}  // namespace
}  // namespace tessal::player
