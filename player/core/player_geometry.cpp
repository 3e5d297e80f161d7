#include "player/core/player_geometry.h"

#include <algorithm>

namespace tessal::player {
namespace {

constexpr double kGoldenRatio = 0.618;
constexpr int kLargeWidth = 1200;
constexpr int kLargeHeight = 741;
constexpr int kMinimumPlaylistWidth = 200;

bool IsLargeScreen(int screen_width, int screen_height) {
    return screen_width * 0.8 > kLargeWidth && screen_height * 0.8 > kLargeHeight;
}

// Both sides follow the width; the height's product is taken from the untruncated width.
WindowRect SmallScreenPlacement(int screen_width) {
    const double width = screen_width * kGoldenRatio;
    return {0, 0, static_cast<int>(width), static_cast<int>(width * kGoldenRatio)};
}

}  // namespace

std::optional<WindowRect> InitialPlacement(int screen_width, int screen_height) {
    if (IsLargeScreen(screen_width, screen_height)) {
        return std::nullopt;
    }
    return SmallScreenPlacement(screen_width);
}

WindowRect LeavingFullScreen(int screen_width, int screen_height) {
    if (IsLargeScreen(screen_width, screen_height)) {
        return {0, 0, kLargeWidth, kLargeHeight};
    }
    return SmallScreenPlacement(screen_width);
}

int PlaylistMargin(int client_width) {
    return std::max(kMinimumPlaylistWidth, client_width / 5);
}

}  // namespace tessal::player
