#pragma once

// What the main window shows of the member's grade, and the tip of the member's tray
// icon. The grade text is searched for each key of the grade table in the table's
// order, so the first key of the table wins, wherever the text has it.

#include <array>
#include <string>
#include <string_view>

namespace tessal::client {

struct MemberBadge {
    std::array<std::string, 3> images;  // for the states 16, 32 and 64
    std::string tooltip;
};

MemberBadge BadgeForGrade(std::string_view grade);

// The tray icon's tip holds this many characters at most.
inline constexpr std::size_t kTrayTipCharacters = 127;

// "用户:<true name>\n等级:<grade>", cut on a character boundary to the tip's size.
std::string MemberTrayTip(std::string_view true_name, std::string_view grade);

}  // namespace tessal::client
