#include "common/log/daily_log.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "common/settings/ini_file.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace tessal {
namespace {

std::tm At(int year, int month, int day, int hour, int minute, int second) {
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    return time;
}

// A clock that answers the given times in turn, then repeats the last.
DailyLog::Clock Sequence(std::vector<std::tm> times) {
    auto index = std::make_shared<std::size_t>(0);
    return [times = std::move(times), index] {
        const std::tm time = times[std::min(*index, times.size() - 1)];
        ++*index;
        return time;
    };
}

class DailyLogTest : public ::testing::Test {
protected:
    TempFolder folder_;
    TempFolder locks_;
    ScopedEnvironment runtime_{"XDG_RUNTIME_DIR", locks_.path().string()};
};

TEST_F(DailyLogTest, EntriesLandInTheDayFileUnderTheTimeOfDay) {
    {
        DailyLog log(folder_.path(), Sequence({At(2026, 12, 6, 9, 5, 3)}));
        log.Write("迅雷引擎初始化失败");
        log.Write("");
    }
    EXPECT_EQ(folder_.FileNames(), std::vector<std::string>{"2026-12-6.ini"});
    EXPECT_EQ(FileContents(folder_.path() / "2026-12-6.ini"),
              "[technology]\n9-5-3=迅雷引擎初始化失败\n9-5-3#2=\n");
}

TEST_F(DailyLogTest, SameSecondEntriesAreAllKeptInCallOrder) {
    const auto file = folder_.path() / "2026-1-2.ini";
    ASSERT_TRUE(WriteProfileString(file, "technology", "13-0-0", "from an earlier run"));
    {
        DailyLog log(folder_.path(), Sequence({At(2026, 1, 2, 13, 0, 0)}));
        for (int i = 0; i < 200; ++i) {
            log.Write("entry " + std::to_string(i));
        }
    }
    const IniDocument document = LoadProfile(file);
    EXPECT_EQ(document.Value("technology", "13-0-0"), "from an earlier run");
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(document.Value("technology", "13-0-0#" + std::to_string(i + 2)),
                  "entry " + std::to_string(i));
    }
}

TEST_F(DailyLogTest, MidnightStartsTheNextDaysFile) {
    {
        DailyLog log(folder_.path(),
                     Sequence({At(2026, 12, 31, 23, 59, 59), At(2027, 1, 1, 0, 0, 0)}));
        log.Write("before");
        log.Write("after");
    }
    EXPECT_EQ(folder_.FileNames(), (std::vector<std::string>{"2026-12-31.ini", "2027-1-1.ini"}));
    EXPECT_EQ(ReadProfileString(folder_.path() / "2026-12-31.ini", "technology", "23-59-59", ""),
              "before");
    EXPECT_EQ(ReadProfileString(folder_.path() / "2027-1-1.ini", "technology", "0-0-0", ""),
              "after");
}

TEST_F(DailyLogTest, FlushMakesEverythingQueuedVisible) {
    DailyLog log(folder_.path(), Sequence({At(2026, 3, 4, 5, 6, 7)}));
    log.Write("one");
    log.Flush();
    EXPECT_EQ(ReadProfileString(folder_.path() / "2026-3-4.ini", "technology", "5-6-7", ""), "one");
}

TEST_F(DailyLogTest, AMissingFolderDropsEntriesWithoutHanging) {
    DailyLog log(folder_.path() / "cache" / "technology");
    EXPECT_TRUE(log.Write("lost"));
    log.Flush();
    EXPECT_FALSE(std::filesystem::exists(folder_.path() / "cache"));
}

TEST_F(DailyLogTest, LastErrorIsWrittenOnlyWhenThereIsOne) {
    DailyLog log(folder_.path(), Sequence({At(2026, 5, 5, 8, 0, 1)}));
    errno = ENOENT;
    EXPECT_EQ(log.WriteLastError(), "");
    errno = 0;
    EXPECT_EQ(log.WriteLastError(), "unknown Windows error");
    log.Flush();
    const IniDocument document = LoadProfile(folder_.path() / "2026-5-5.ini");
    EXPECT_EQ(document.Value("technology", "8-0-1"), "No such file or directory");
    EXPECT_EQ(document.Keys("technology").size(), 1u);
}

TEST(DailyLogNames, DatesAndTimesHaveNoZeroPadding) {
    EXPECT_EQ(DailyLog::FileNameFor(At(2026, 12, 6, 9, 5, 3)), "2026-12-6.ini");
    EXPECT_EQ(DailyLog::KeyFor(At(2026, 12, 6, 9, 5, 3)), "9-5-3");
    EXPECT_EQ(DailyLog::KeyFor(At(2026, 12, 6, 23, 0, 0)), "23-0-0");
}

}  // namespace
}  // namespace tessal
