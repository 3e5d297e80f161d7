#include "player/core/playback_texts.h"

#include <gtest/gtest.h>

#include <vector>

#include "player/core/player_geometry.h"

namespace tessal::player {
namespace {

constexpr int kMinute = 60 * 1000;
constexpr int kHour = 60 * kMinute;

TEST(TimeText, PadsEachPartToTwoDigits) {
    struct Case {
        int position;
        int duration;
        const char* text;
    };
    const Case cases[] = {
        {kHour + 5 * kMinute + 9000, 75 * kMinute, "01:05:09/01:15:00"},
        {0, 0, "00:00:00/00:00:00"},
        {59999, kMinute, "00:00:59/00:01:00"},
        {10 * kMinute + 10000, 2147483647, "00:10:10/596:31:23"},
        {-5000, kMinute, "00:00:00/00:01:00"},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(TimeText(test.position, test.duration), test.text) << test.text;
    }
}

TEST(SliderValue, IsThousandthsOfTheDurationWithinTheRange) {
    EXPECT_EQ(SliderValue(0, 0), 0);
    EXPECT_EQ(SliderValue(1, 3), 333);
    EXPECT_EQ(SliderValue(75 * kMinute - 1, 75 * kMinute), 999);
    EXPECT_EQ(SliderValue(2 * kMinute, kMinute), 1000);
    EXPECT_EQ(SliderValue(-1, kMinute), 0);
    EXPECT_EQ(SliderValue(2147483000, 2147483647), 999);
}

TEST(SeekTarget, MultipliesByWholeThousandths) {
    EXPECT_EQ(SeekTarget(500, 4500999), 500 * 4500);
    EXPECT_EQ(SeekTarget(1000, 75 * kMinute), 75 * kMinute);
    EXPECT_EQ(SeekTarget(1000, 999), 0);
}

TEST(NextSpeed, FivePressesReturnToNormal) {
    std::vector<SpeedStep> steps;
    int speed = NormalSpeed().speed;
    for (int press = 0; press < 5; ++press) {
        steps.push_back(NextSpeed(speed));
        speed = steps.back().speed;
    }
    const std::vector<std::vector<std::string>> expected = {
        {"150", "1.5.png", "1.5_1.png"}, {"200", "2.0.png", "2.0_1.png"},
        {"400", "4.0.png", "4.0_1.png"}, {"50", "0.5.png", "0.5_1.png"},
        {"100", "1.0.png", "1.0_1.png"},
    };
    ASSERT_EQ(steps.size(), expected.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ((std::vector<std::string>{std::to_string(steps[i].speed), steps[i].normal_image,
                                            steps[i].over_image}),
                  expected[i]);
    }
    EXPECT_EQ(NextSpeed(75).speed, 100);
}

TEST(ShouldResume, NotWithinTheLastTenSeconds) {
    EXPECT_TRUE(ShouldResume(10 * kMinute, 75 * kMinute));
    EXPECT_TRUE(ShouldResume(75 * kMinute - 10001, 75 * kMinute));
    EXPECT_FALSE(ShouldResume(75 * kMinute - 10000, 75 * kMinute));
    EXPECT_FALSE(ShouldResume(0, 75 * kMinute));
}

TEST(PlayerGeometry, SmallScreensGetTheGoldenSizeLargeOnesKeepTheLayout) {
    struct Case {
        int width, height;
        bool keeps_layout;
        int window_width, window_height;
    };
    const Case cases[] = {
        {1920, 1080, true, 1200, 741},
        {1366, 768, false, 844, 521},
        {1280, 1024, false, 791, 488},  // 1280 x 0.8 is not above 1200
        {1600, 900, false, 988, 611},   // 900 x 0.8 is not above 741
    };
    for (const Case& test : cases) {
        const auto placement = InitialPlacement(test.width, test.height);
        const WindowRect leaving = LeavingFullScreen(test.width, test.height);
        EXPECT_EQ(!placement, test.keeps_layout) << test.width;
        if (placement) {
            EXPECT_EQ(
                (std::vector<int>{placement->x, placement->y, placement->width, placement->height}),
                (std::vector<int>{0, 0, test.window_width, test.window_height}));
        }
        EXPECT_EQ((std::vector<int>{leaving.x, leaving.y, leaving.width, leaving.height}),
                  (std::vector<int>{0, 0, test.window_width, test.window_height}))
            << test.width;
    }
}

TEST(PlayerGeometry, PlaylistTakesAFifthButAtLeast200) {
    EXPECT_EQ(PlaylistMargin(800), 200);
    EXPECT_EQ(PlaylistMargin(1500), 300);
    EXPECT_EQ(PlaylistMargin(1004), 200);
    EXPECT_EQ(PlaylistMargin(1009), 201);
}

}  // namespace
}  // namespace tessal::player
