#pragma once

// Animated GIF files, which Qt reads but cannot write: GIF89a with one colour table for
// every frame, each frame replacing the last in full, looping for ever.

#include <QByteArray>
#include <QImage>
#include <vector>

namespace tessal::imagegen {

struct GifAnimation {
    // Frames of one size in QImage::Format_Indexed8, sharing `frames.front()`'s colour
    // table (at most 256 colours); a colour whose alpha is 0 is the transparent one.
    std::vector<QImage> frames;
    int delay_centiseconds = 8;
};

// Encodes `animation` as GIF89a bytes; empty when the frames do not fit the rules above.
QByteArray EncodeGif(const GifAnimation& animation);

}  // namespace tessal::imagegen
