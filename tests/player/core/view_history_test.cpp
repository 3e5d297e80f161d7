// Viewing-history files: one per record, never one over another, written whole.

#include "player/core/view_history.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_folder.h"

namespace tessal::player {
namespace {

namespace fs = std::filesystem;

std::tm LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    return time;
}

const std::tm kClosing = LocalTime(2026, 1, 11, 10, 5, 3);

TEST(ViewTime, IsUnpadded) {
    EXPECT_EQ(ViewTime(LocalTime(2026, 1, 5, 8, 3, 9)), "2026-1-5 8:3:9");
    EXPECT_EQ(ViewTime(LocalTime(2026, 11, 25, 23, 59, 58)), "2026-11-25 23:59:58");
}

TEST(WriteViewRecord, WithoutAMemberWritesNothing) {
    TempFolder folder;
    EXPECT_TRUE(WriteViewRecord(folder.path(), {"", "1.2.3.4", "b", "e"}, kClosing).empty());
    EXPECT_TRUE(folder.FileNames().empty());
}

TEST(WriteViewRecord, WritesTheElementsInOrderWithoutDeclaration) {
    TempFolder folder;
    const fs::path file = WriteViewRecord(
        folder.path(), {"10001", "", "2026-1-11 9:5:3", "2026-1-11 10:5:3"}, kClosing);
    EXPECT_EQ(file, folder.path() / "20260111100503.xml");
    EXPECT_EQ(FileContents(file),
              "<body>\n"
              "    <view>\n"
              "        <name/>\n"
              "        <ip>127.0.0.1</ip>\n"
              "        <begin>2026-1-11 9:5:3</begin>\n"
              "        <end>2026-1-11 10:5:3</end>\n"
              "        <uid>10001</uid>\n"
              "    </view>\n"
              "</body>\n");
    EXPECT_EQ(folder.FileNames(), std::vector<std::string>{"20260111100503.xml"});
}

TEST(WriteViewRecord, NamesOfDifferentDatesDoNotCollide) {
    TempFolder folder;
    const fs::path january = WriteViewRecord(folder.path(), {"1", "", "", ""}, kClosing);
    const fs::path november =
        WriteViewRecord(folder.path(), {"1", "", "", ""}, LocalTime(2026, 11, 1, 10, 5, 3));
    EXPECT_EQ(january.filename(), "20260111100503.xml");
    EXPECT_EQ(november.filename(), "20261101100503.xml");
}

// Two lessons closing in one second, also from two threads at once, each keep a file.
TEST(WriteViewRecord, RecordsOfOneSecondEachKeepTheirFile) {
    TempFolder folder;
    constexpr int kThreads = 4;
    constexpr int kEach = 10;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&folder, t] {
            for (int i = 0; i < kEach; ++i) {
                const std::string uid = std::to_string(t * 100 + i);
                EXPECT_FALSE(WriteViewRecord(folder.path(), {uid, "", "", ""}, kClosing).empty());
            }
        });
    }
    for (std::thread& writer : writers) {
        writer.join();
    }
    const std::vector<std::string> names = folder.FileNames();
    ASSERT_EQ(names.size(), static_cast<std::size_t>(kThreads * kEach));  // no temporaries left
    std::vector<std::string> uids;
    for (int n = 1; n <= kThreads * kEach; ++n) {
        const std::string name =
            "20260111100503" + (n == 1 ? std::string() : "-" + std::to_string(n)) + ".xml";
        const std::string text = FileContents(folder.path() / name);
        ASSERT_NE(text.find("</body>"), std::string::npos) << name;
        uids.push_back(text.substr(text.find("<uid>")));
    }
    std::sort(uids.begin(), uids.end());
    EXPECT_EQ(std::unique(uids.begin(), uids.end()), uids.end());
}

TEST(WriteViewRecord, AMissingFolderWritesNothing) {
    TempFolder folder;
    EXPECT_TRUE(WriteViewRecord(folder.path() / "History", {"1", "", "", ""}, kClosing).empty());
}

}  // namespace
}  // namespace tessal::player
