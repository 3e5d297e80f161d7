// The download center's plain pieces: LoadList.ini across restarts, a lesson's address
// as the download hosts are asked, and a finished course as its folder holds it.

#include <gtest/gtest.h>

#include "client/download/finished_course.h"
#include "client/download/lesson_address.h"
#include "client/download/load_list.h"
#include "tests/support/temp_folder.h"

namespace tessal::client {
namespace {

TEST(LoadListTest, SavedIdsAreReadAsTheCountSays) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"[LoadPage]\nCount=3\n1=10101\n2=\n3=20105\n", {"10101", "20105"}},
        {"[LoadPage]\nCount=1\n1=10101\n2=20105\n", {"10101"}},
        {"[LoadPage]\nCount=x\n1=10101\n", {}},
        {"[LoadPage]\n1=10101\n", {}},
        {"[LoadPage]\nCount=2\n1=123456789012345678901234567890123\n",
         {"12345678901234567890123456789"}},
        {"[LoadPage]\nCount=2000000000\n1=7\n", {"7"}},  // a count past its keys ends there
        {"", {}},
    };
    for (const auto& [text, ids] : cases) {
        TempFolder folder;
        const auto file = folder.Write("LoadList.ini", text);
        EXPECT_EQ(ReadSavedIds(file, kLoadingSection), ids) << text;
    }
}

TEST(LoadListTest, WrittenListsComeBackAndLeaveNoOldKeys) {
    TempFolder folder;
    const auto file = folder.Write("LoadList.ini", "[LoadPage]\nCount=4\n1=1\n2=2\n3=3\n4=4\n");
    ASSERT_TRUE(WriteSavedIds(file, kLoadingSection, {"10101", "", "20105"}));
    ASSERT_TRUE(WriteSavedIds(file, kFinishedSection, {"101"}));
    const SavedLists lists = ReadSavedLists(file);
    EXPECT_EQ(lists.loading, (std::vector<std::string>{"10101", "20105"}));
    EXPECT_EQ(lists.finished, std::vector<std::string>{"101"});
    ASSERT_TRUE(WriteSavedIds(file, kLoadingSection, {}));
    EXPECT_TRUE(ReadSavedIds(file, kLoadingSection).empty());
    EXPECT_EQ(ReadSavedIds(file, kFinishedSection), std::vector<std::string>{"101"});
}

TEST(LessonAddressTest, OnlyLettersDigitsAndTheAddressSignsStay) {
    const std::pair<const char*, const char*> cases[] = {
        {"http://down1:81/lessons/101/kj101-01.tessal",
         "http://down1:81/lessons/101/kj101-01.tessal"},
        {"http://d/a b.tessal?v=2&x", "http://d/a%20b.tessal%3Fv%3D2%26x"},
        {"http://d/借贷.tessal", "http://d/%E5%80%9F%E8%B4%B7.tessal"},
        {"http://d/100%.tessal", "http://d/100%25.tessal"},
    };
    for (const auto& [url, encoded] : cases) {
        EXPECT_EQ(EncodeLessonAddress(url), encoded) << url;
        const std::string segment(url);
        EXPECT_EQ(
            DecodedLessonFileName(EncodeLessonAddress(segment.substr(segment.rfind('/') + 1))),
            segment.substr(segment.rfind('/') + 1));
    }
}

TEST(LessonAddressTest, TheChannelChoosesTheDownloadHost) {
    const std::array<std::string, 3> hosts{"h1:81", "h2:82", "h3:83"};
    const struct {
        const char* url;
        int channel;
        const char* result;
    } cases[] = {
        {"http://h1:81/l/a", 1, "http://h1:81/l/a"},
        {"http://h2:82/l/a", 1, "http://h1:81/l/a"},
        {"http://h3:83/l/h3:83", 1, "http://h1:81/l/h1:81"},  // every occurrence
        {"http://h1:81/l/a", 2, "http://h2:82/l/a"},
        {"http://h3:83/l/a", 2, "http://h2:82/l/a"},
        {"http://h1:81/l/a", 3, "http://h3:83/l/a"},
        {"http://h2:82/l/a", 3, "http://h3:83/l/a"},
        {"http://h2:82/l/a", 0, "http://h2:82/l/a"},
        {"http://h2:82/l/a", 4, "http://h2:82/l/a"},
        {"http://other/l/a", 2, "http://other/l/a"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AddressForChannel(c.url, c.channel, hosts), c.result)
            << c.url << " " << c.channel;
}

TEST(FinishedCourseTest, LessonFilesAreCountedWithTheirWholeMebibytes) {
    TempFolder folder;
    const auto course = folder.path() / "财会金融" / "会计基础入门";
    folder.Write("财会金融/会计基础入门/a.tessal", std::string(3 * 1024 * 1024 - 1, 'x'));  // 2 MiB
    folder.Write("财会金融/会计基础入门/b.TESSAL", std::string(1024 * 1024, 'x'));          // 1 MiB
    folder.Write("财会金融/会计基础入门/sub/c.tessal", "small");                            // 0 MiB
    folder.Write("财会金融/会计基础入门/notes.txt", std::string(2 * 1024 * 1024, 'x'));
    folder.Write("财会金融/会计基础入门/kj.tessal.part", "x");
    const CourseOnDisk counted = CountCourseOnDisk(course);
    EXPECT_EQ(counted.lessons, 3);
    EXPECT_EQ(counted.mebibytes, 3);

    std::tm day{};
    day.tm_year = 2026 - 1900;
    day.tm_mon = 0;
    day.tm_mday = 5;
    const FinishedTexts texts = FinishedEntryTexts(counted, day);
    EXPECT_EQ(texts.lessons, "(已下载3课时)");
    EXPECT_EQ(texts.size, "3MB");
    EXPECT_EQ(texts.date, "2026-1-5下载");
    EXPECT_EQ(CountCourseOnDisk(folder.path() / "none").lessons, 0);
}

}  // namespace
}  // namespace tessal::client
