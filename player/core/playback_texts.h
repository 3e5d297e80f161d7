#pragma once

// What the playback controls show and compute: the time text, the progress slider's
// value and seek target, the speed button's cycle, and when a stored position resumes.

#include <string>

namespace tessal::player {

inline constexpr int kSliderRange = 1000;

// "hh:mm:ss/hh:mm:ss" of position and duration, each part with a leading "0" below 10
// ("01:05:09/01:15:00"); hours run past 99 as they are. Negative times show as 0.
std::string TimeText(int position_ms, int duration_ms);

// The progress slider's value for the position: truncate(position / duration x 1000),
// kept within 0..kSliderRange; 0 without a duration.
int SliderValue(int position_ms, int duration_ms);

// The position a slider value asks for: value x (duration / 1000), integer division.
int SeekTarget(int slider_value, int duration_ms);

struct SpeedStep {
    int speed;                 // percent, engine configuration item 104
    std::string normal_image;  // states 16 and 64
    std::string over_image;    // state 32
};

// The speed the button moves to from `speed`: 100 -> 150 -> 200 -> 400 -> 50 -> 100; any
// other value goes to 100.
SpeedStep NextSpeed(int speed);

// The speed every lesson opens with (100, "1.0.png", "1.0_1.png").
SpeedStep NormalSpeed();

// Whether a stored position is taken up again: a lesson left within its last ten seconds
// starts from the beginning.
bool ShouldResume(int stored_ms, int duration_ms);

}  // namespace tessal::player
