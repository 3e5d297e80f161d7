// Online play's pieces: the timestamp read from the app API's reply, the token that
// signs the page request, the miniplayer address, and the lesson window's counters.

#include "client/catalogue/online_play.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/files/md5.h"
#include "tests/support/temp_folder.h"

namespace tessal::client {
namespace {

TEST(OnlinePlayTest, OnlyAStringTimestampOfAJsonObjectCounts) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {R"({"code":200,"timestamp":"1765152000"})", "1765152000"},
        {"{}", std::nullopt},
        {R"({"timestamp":""})", std::nullopt},
        {R"({"timestamp":1765152000})", std::nullopt},
        {R"(["timestamp"])", std::nullopt},
        {"<html>busy</html>", std::nullopt},
        {"", std::nullopt},
        {R"({"timestamp":"2026-12-08T04:50:00.5"})", "2026-12-08T04:50:00.5"},
        {R"({"timestamp":"1&uid=2"})", std::nullopt},
        {R"({"timestamp":"1 2"})", std::nullopt},
        {R"({"timestamp":"1#x"})", std::nullopt},
        {R"({"timestamp":"123"} trailing)", std::nullopt},
    };
    for (const auto& [reply, timestamp] : cases)
        EXPECT_EQ(TimestampOf(reply), timestamp) << reply;
}

TEST(OnlinePlayTest, ThePageIsAskedWithTheSignedQueryOnTheCourseHost) {
    TempFolder folder;
    const auto ini = folder.Write("Site.ini", "[Hosts]\nCourse=course.test:8080\n");
    const SiteSettings site = SiteSettings::Load(ini);
    const OnlineLesson lesson{"10001", "7", "101", "1765152000"};
    const std::string token = TextMd5("100011765152000qorvanel");
    EXPECT_EQ(OnlinePlayToken("10001", "1765152000"), token);
    EXPECT_EQ(token.size(), 32U);
    EXPECT_EQ(MiniplayerUrl(site, lesson),
              "http://course.test:8080/p/miniplayer?token=" + token +
                  "&uid=10001&courseid=7&lessonid=101&time=1765152000");
}

TEST(OnlinePlayTest, CountersAboveOneHundredThousandAreShownInTenThousands) {
    const std::pair<double, const char*> cases[] = {
        {100000, "100000"}, {234567, "23.5万"}, {5.9, "5"},      {0, "0"},
        {100001, "10.0万"}, {NAN, "0"},         {-3.7, "-3"},    {1e15, "100000000000.0万"},
        {1e100, "0"},       {-1e100, "0"},      {INFINITY, "0"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(CounterText(value), text) << value;
}

TEST(OnlinePlayTest, OnlyDecimalIdsGoIntoThePagesAddress) {
    for (const char* id : {"101", "0", "123456789012345678"})
        EXPECT_TRUE(IsDecimalId(id)) << id;
    for (const char* id : {"", "10101&uid=666", "1#x", "1 2", "-1", "1234567890123456789"})
        EXPECT_FALSE(IsDecimalId(id)) << id;
}

}  // namespace
}  // namespace tessal::client
