#include "player/core/playback_texts.h"

#include <algorithm>

namespace tessal::player {
namespace {

constexpr int kResumeMarginMs = 10000;

std::string TwoDigits(int value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

std::string ClockText(int ms) {
    const int seconds = std::max(ms, 0) / 1000;
    return TwoDigits(seconds / 3600) + ":" + TwoDigits(seconds / 60 % 60) + ":" +
           TwoDigits(seconds % 60);
}

}  // namespace

std::string TimeText(int position_ms, int duration_ms) {
    return ClockText(position_ms) + "/" + ClockText(duration_ms);
}

int SliderValue(int position_ms, int duration_ms) {
    if (duration_ms <= 0) {
        return 0;
    }
    const double value = static_cast<double>(position_ms) / duration_ms * 1000.0;
    return static_cast<int>(std::clamp(value, 0.0, static_cast<double>(kSliderRange)));
}

int SeekTarget(int slider_value, int duration_ms) {
    return slider_value * (duration_ms / 1000);
}

SpeedStep NextSpeed(int speed) {
    switch (speed) {
        case 100:
            return {150, "1.5.png", "1.5_1.png"};
        case 150:
            return {200, "2.0.png", "2.0_1.png"};
        case 200:
            return {400, "4.0.png", "4.0_1.png"};
        case 400:
            return {50, "0.5.png", "0.5_1.png"};
        default:
            return NormalSpeed();
    }
}

SpeedStep NormalSpeed() {
    return {100, "1.0.png", "1.0_1.png"};
}

bool ShouldResume(int stored_ms, int duration_ms) {
    return stored_ms > 0 && stored_ms < duration_ms - kResumeMarginMs;
}

}  // namespace tessal::player
