#pragma once

// The main window's size rules: its first size on a small screen, its size on leaving
// full screen, and the width the playlist panel takes.

#include <optional>

namespace tessal::player {

struct WindowRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// Nothing when the screen is large (width x 0.8 > 1200 and height x 0.8 > 741): the
// window keeps its layout's size. Otherwise (0, 0) with width = truncate(screen width x
// 0.618) and height = truncate(screen width x 0.618 x 0.618).
std::optional<WindowRect> InitialPlacement(int screen_width, int screen_height);

// 1200 x 741 at (0, 0) on a large screen, else the small-screen placement above.
WindowRect LeavingFullScreen(int screen_width, int screen_height);

// The right margin the shown playlist takes: the larger of 200 and a fifth of the width.
int PlaylistMargin(int client_width);

}  // namespace tessal::player
