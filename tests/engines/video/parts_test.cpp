// The engine's plain parts: configuration values, mpv option lists, key translation.

#include <gtest/gtest.h>

#include <thread>

#include "engines/video/config_items.h"
#include "engines/video/mpv_session.h"
#include "engines/video/window_messages.h"

namespace tessal::aplayer {
namespace {

TEST(APlayerParts, ConfigurationValuesAreWholeDecimalsWithinRange) {
    EXPECT_EQ(ParseDecimal("-13"), -13);
    EXPECT_EQ(ParseDecimal("+7"), 7);
    for (const char* bad : {"", "+", "1.5", " 1", "1 ", "0x10", "99999999999"})
        EXPECT_FALSE(ParseDecimal(bad)) << bad;
    EXPECT_EQ(ParseSpeedPercent("50"), 50);
    EXPECT_EQ(ParseSpeedPercent("400"), 400);
    EXPECT_FALSE(ParseSpeedPercent("49"));
    EXPECT_FALSE(ParseSpeedPercent("401"));
    EXPECT_EQ(ParseRenderMode("2"), 2);
    EXPECT_FALSE(ParseRenderMode("0"));
}

// A text stays valid until its own thread reads the same item again: other items and
// other threads (one destroying the engine, say) leave it alone.
TEST(APlayerParts, ConfigTextsBelongToTheThreadThatReadThem) {
    const char* seven = KeepForThisThread(7, "0");
    const char16_t* wide_seven = KeepWideForThisThread(7, u"0");
    KeepForThisThread(104, std::string(1000, '1'));
    std::thread([] {
        KeepForThisThread(7, std::string(1000, 'x'));
        KeepWideForThisThread(7, std::u16string(1000, u'x'));
    }).join();
    EXPECT_STREQ(seven, "0");
    EXPECT_EQ(std::u16string(wide_seven), u"0");
    EXPECT_STREQ(KeepForThisThread(7, "-13"), "-13");
}

TEST(APlayerParts, OptionListsSplitOnCommasAndEquals) {
    using Options = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(ParseOptionList("ao=null,,vo=null,mute"),
              (Options{{"ao", "null"}, {"vo", "null"}, {"mute", "yes"}}));
    EXPECT_EQ(ParseOptionList("af=lavfi=[volume=2]"), (Options{{"af", "lavfi=[volume=2]"}}));
    EXPECT_TRUE(ParseOptionList("").empty());
}

TEST(APlayerParts, KeysTranslateToTheCodesThePlayerReads) {
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Left), 37u);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Right), 39u);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_A), 65u);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_F12), 123u);
    EXPECT_FALSE(VirtualKeyOf(Qt::Key_VolumeUp));
    EXPECT_EQ(CharacterOf(Qt::Key_Escape, QString()), 27u);
    EXPECT_EQ(CharacterOf(Qt::Key_A, "a"), 97u);
    EXPECT_FALSE(CharacterOf(Qt::Key_Shift, QString()));
    // A cursor left of or above the window keeps its sign in each half.
    EXPECT_EQ(PointParameter(QPoint(-1, 2)), (2 << 16) | 0xffff);
    EXPECT_EQ(ButtonFlagsOf(Qt::LeftButton | Qt::MiddleButton), 0x11u);
}

}  // namespace
}  // namespace tessal::aplayer
