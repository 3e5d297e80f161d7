// The member's grade badge and tray tip: the first key of the grade table wins wherever
// the text has it, an unknown grade gets the plain badge, and a long tip is cut on a
// character boundary.

#include "client/shell/member_badge.h"

#include <gtest/gtest.h>

namespace tessal::client {
namespace {

TEST(MemberBadgeTest, TheFirstKeyOfTheTableWinsAndAnUnknownGradeGetsThePlainBadge) {
    const std::pair<const char*, std::pair<const char*, const char*>> cases[] = {
        {"白金会员", {"G4", "白金会员"}}, {"金钻白金", {"G5", "金钻会员"}},
        {"白金金钻", {"G5", "金钻会员"}}, {"金牌", {"G3", "金牌会员"}},
        {"银牌会员", {"G2", "银牌会员"}}, {"普通会员", {"G1", "普通会员"}},
        {"过期会员", {"G1", "过期会员"}}, {"", {"G1", "未知"}},
        {"钻石VIP", {"G1", "未知"}},
    };
    for (const auto& [grade, expected] : cases) {
        const MemberBadge badge = BadgeForGrade(grade);
        const std::string prefix = std::string("./IMAGE/MainW/") + expected.first;
        EXPECT_EQ(badge.images[0], prefix + "_1.png") << grade;
        EXPECT_EQ(badge.images[2], prefix + "_3.png") << grade;
        EXPECT_EQ(badge.tooltip, expected.second) << grade;
    }
}

TEST(MemberBadgeTest, ALongTipIsCutOnACharacterBoundary) {
    EXPECT_EQ(MemberTrayTip("王芳", "白金会员"), "用户:王芳\n等级:白金会员");
    const std::string name(200, 'a');
    std::string chinese;
    for (int i = 0; i < 150; ++i)
        chinese += "张";
    for (const std::string& long_name : {name, chinese, "a" + chinese}) {
        const std::string tip = MemberTrayTip(long_name, "金钻会员");
        std::size_t characters = 0;
        for (const unsigned char byte : tip)
            characters += (byte & 0xC0) != 0x80 ? 1 : 0;
        EXPECT_EQ(characters, kTrayTipCharacters);
        EXPECT_EQ(tip.rfind("用户:", 0), 0U);
        EXPECT_TRUE(long_name.starts_with(tip.substr(std::string("用户:").size())));
    }
}

}  // namespace
}  // namespace tessal::client
