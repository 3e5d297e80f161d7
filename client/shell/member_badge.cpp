#include "client/shell/member_badge.h"

namespace tessal::client {
namespace {

struct GradeRow {
    const char* key;
    const char* badge;  // "G5" for G5_1.png, G5_2.png, G5_3.png
    const char* tooltip;
};

constexpr GradeRow kGradeTable[] = {
    {"金钻", "G5", "金钻会员"}, {"白金", "G4", "白金会员"}, {"金牌", "G3", "金牌会员"},
    {"银牌", "G2", "银牌会员"}, {"普通", "G1", "普通会员"}, {"过期", "G1", "过期会员"},
};

MemberBadge Badge(const std::string& badge, const char* tooltip) {
    MemberBadge made;
    for (std::size_t state = 0; state < made.images.size(); ++state)
        made.images[state] = "./IMAGE/MainW/" + badge + "_" + std::to_string(state + 1) + ".png";
    made.tooltip = tooltip;
    return made;
}

// Bytes of the first `characters` UTF-8 characters of `text` (all of it when shorter).
std::size_t PrefixBytes(std::string_view text, std::size_t characters) {
    std::size_t bytes = 0;
    for (std::size_t seen = 0; bytes < text.size(); ++bytes) {
        const bool starts_character = (static_cast<unsigned char>(text[bytes]) & 0xC0) != 0x80;
        if (starts_character && seen++ == characters)
            break;
    }
    return bytes;
}

}  // namespace

MemberBadge BadgeForGrade(std::string_view grade) {
    for (const GradeRow& row : kGradeTable) {
        if (grade.find(row.key) != std::string_view::npos)
            return Badge(row.badge, row.tooltip);
    }
    return Badge("G1", "未知");
}

std::string MemberTrayTip(std::string_view true_name, std::string_view grade) {
    const std::string tip = "用户:" + std::string(true_name) + "\n等级:" + std::string(grade);
    return tip.substr(0, PrefixBytes(tip, kTrayTipCharacters));
}

}  // namespace tessal::client
