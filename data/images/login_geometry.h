#pragma once

// Where the login window's images meet its layout (Layout/layout.xml): the window size,
// the banner and the two title buttons. Change both together.

#include <QRect>

namespace tessal::imagegen::login {

inline constexpr int kWidth = 430;
inline constexpr int kHeight = 330;
inline constexpr int kBannerHeight = 140;
inline constexpr QRect kMinimiseButton{370, 0, 30, 26};
inline constexpr QRect kCloseButton{400, 0, 30, 26};
inline constexpr QRect kFailureIcon{201, 150, 28, 28};
inline constexpr QRect kChannelCard{112, 150, 306, 172};
inline constexpr int kFormButtonWidth = 190;
inline constexpr int kFormButtonHeight = 32;
inline constexpr int kConfirmWidth = 96;

}  // namespace tessal::imagegen::login
