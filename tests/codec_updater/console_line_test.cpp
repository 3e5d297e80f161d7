#include "codec_updater/console_line.h"

#include <gtest/gtest.h>

namespace tessal::codecs {
namespace {

std::tm Time(int year, int month, int day, int hour, int minute, int second) {
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    return time;
}

TEST(ConsoleLineTest, FieldsAreCalendarValuesWithoutZeroPadding) {
    EXPECT_EQ(ConsoleLine(Time(2024, 1, 2, 3, 4, 5), "开始更新......"),
              "[2024年1月2日3时4分5秒]开始更新......");
    EXPECT_EQ(ConsoleLine(Time(2031, 12, 31, 0, 0, 0), ""), "[2031年12月31日0时0分0秒]");
    EXPECT_EQ(ConsoleLine(Time(1999, 10, 10, 23, 59, 60), " x"), "[1999年10月10日23时59分60秒] x");
}

}  // namespace
}  // namespace tessal::codecs
