// The download center's plain pieces: LoadList.ini across restarts, a lesson's address
// as the download hosts are asked, a finished course as its folder holds it, the speed
// shown, why a lesson failed, and what a worker is given of the engine.

#include <gtest/gtest.h>

#include <thread>

#include "client/download/download_failure.h"
#include "client/download/engine_ports.h"
#include "client/download/finished_course.h"
#include "client/download/lesson_address.h"
#include "client/download/load_list.h"
#include "client/download/transfer_rate.h"
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
        {"[LoadPage]\nCount=2147483647999\n1=7\n2=8\n", {"7", "8"}},  // however large
        {"[LoadPage]\nCount=5\n1=7\n5=9\n", {"7", "9"}},
        {"[LoadPage]\ncount=-3\n1=7\n", {}},
        // A far key under a count as large is read at once, not after a walk to it.
        {"[LoadPage]\nCount=2147483647\n1=7\n999999999=9\n", {"7", "9"}},
        {"[LoadPage]\nCount=3\n01=5\n+2=6\n3=7\n3=8\nCOUNT=1\n", {"7"}},
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

// Partial data the engine may resume is no finished lesson; a lesson left under its
// encoded name counts and is said, unless its rename is still to come.
TEST(FinishedCourseTest, PartialFilesDoNotCountAndUnrenamedOnesAreSaid) {
    TempFolder folder;
    folder.Write("c/done.tessal", "x");
    folder.Write("c/partial.tessal", "x");
    folder.Write("c/partial.tessal.aria2", "x");
    folder.Write("c/%E5%80%9F.tessal", "x");
    folder.Write("c/%E8%B4%B7.tessal", "x");
    const auto course = folder.path() / "c";
    const CourseOnDisk counted = CountCourseOnDisk(course);
    EXPECT_EQ(counted.lessons, 3);
    EXPECT_EQ(counted.unrenamed, 2);
    EXPECT_EQ(CountCourseOnDisk(course, course / "%E5%80%9F.tessal").unrenamed, 1);
    EXPECT_EQ(FinishedEntryTexts(counted, std::tm{}).lessons, "(已下载3课时) 2课时未能改名");
}

TEST(TransferRateTest, TheSpeedIsAveragedOverTheLastSeconds) {
    using namespace std::chrono_literals;
    const TransferRate::Clock::time_point start{};
    TransferRate rate;
    rate.Add(start, 0);
    rate.Add(start + 500ms, 100'000);
    EXPECT_FALSE(rate.BytesPerSecond()) << "less than a second says nothing yet";
    for (int second = 1; second <= 10; ++second)
        rate.Add(start + second * 1s, second * 1'000'000LL);
    ASSERT_TRUE(rate.BytesPerSecond());
    EXPECT_NEAR(*rate.BytesPerSecond(), 1'000'000, 1);  // the burst of the start is gone
    rate.Add(start + 11s, 0);                           // the engine started the file over
    rate.Add(start + 12s, 2'000'000);
    EXPECT_NEAR(*rate.BytesPerSecond(), 2'000'000, 1);
}

TEST(TransferRateTest, TheTextSaysSpeedAndTimeLeft) {
    const struct {
        double speed;
        long long left;
        const char* text;
    } cases[] = {
        {1.5 * 1024 * 1024, 3 * 1024 * 1024, "1.5 MB/s · 剩余 0:02"},
        {32 * 1024, 2'000'000, "32 KB/s · 剩余 1:02"},
        {1024, 3700LL * 1024, "1 KB/s · 剩余 1:01:40"},
        {1, 1'000'000, "0 KB/s · 剩余 > 1 天"},
        {0, 1000, "0 KB/s"},
        {2048, 0, "2 KB/s"},
        {2048, -5, "2 KB/s"},  // size unknown
    };
    for (const auto& c : cases)
        EXPECT_EQ(RateText(c.speed, c.left), c.text) << c.speed << " " << c.left;
}

TEST(DownloadFailureTest, OnlyTheEnginesDiskCodesOnAFullDiskSayDiskFull) {
    TempFolder folder;
    constexpr long long kHuge = 1LL << 60;  // more than any disk has left
    const struct {
        int code;
        long long left;
        bool full;
    } cases[] = {
        {9, 0, true},                       // the engine found no room
        {17, kHuge, true},                  // it could not write, and there is no room for the rest
        {16, kHuge, true}, {17, 1, false},  // it could not write, but there is room
        {3, kHuge, false},                  // a missing file on the host
        {0, kHuge, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FailedForDiskSpace(c.code, folder.path(), c.left), c.full) << c.code;
    EXPECT_FALSE(FailedForDiskSpace(17, folder.path() / "gone", kHuge));
}

TEST(EnginePortsTest, ATaskRecordIsMadeOnlyWhenEveryTextFitsItsField) {
    const auto param = MakeTaskParam("http://h/a.tessal", "a.tessal", "/dl/财会");
    ASSERT_NE(param, nullptr);
    EXPECT_EQ(std::u16string(param->url), u"http://h/a.tessal");
    EXPECT_EQ(std::u16string(param->save_folder), u"/dl/财会");
    EXPECT_EQ(param->resume, 1);
    EXPECT_EQ(param->reserved5, 5);
    EXPECT_EQ(MakeTaskParam(std::string(2084, 'u'), "a", "/dl"), nullptr);
    EXPECT_EQ(MakeTaskParam("u", std::string(260, 'f'), "/dl"), nullptr);
    EXPECT_EQ(MakeTaskParam("u", "a", "/" + std::string(259, 'd')), nullptr);
    EXPECT_NE(MakeTaskParam("u", std::string(259, 'f'), "/" + std::string(258, 'd')), nullptr);
}

// The client's end cuts every wait of a worker short.
TEST(EnginePortsTest, WaitsEndWhenTheClientEnds) {
    DownloadEngine engine{std::filesystem::path()};
    StopSignal stop;
    const DownloadWorkerPorts ports = EnginePorts(engine, nullptr, stop);
    EXPECT_TRUE(ports.wait(10));
    std::thread raiser([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        stop.Raise();
    });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(ports.wait(60'000));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    raiser.join();
    EXPECT_TRUE(ports.ending());
    XlTaskInfo info{};
    EXPECT_FALSE(ports.query(info));  // no engine loaded
    EXPECT_EQ(info.status, kXlPaused);
}

}  // namespace
}  // namespace tessal::client
