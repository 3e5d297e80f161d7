#pragma once

// TessalPlayer's look, shared by its images: the colours of the dark player and the
// heights its sliders are styled with in Layout/Player.xml and
// Layout/Player/FullScreenConsolWnd.xml (groove heights and thumbs).

#include <QColor>

#include "palette.h"

namespace tessal::imagegen::player {

inline const QColor kAccent = palette::kBrandLight;  // mouse over, progress, selection
inline const QColor kGlyph{0xD5, 0xDC, 0xE2};        // glyphs at rest
inline const QColor kMuted{0x8A, 0x96, 0xA3};        // playlist marks
inline const QColor kOutline{0x5A, 0x64, 0x6C};      // the speed pill at rest
inline const QColor kTrack{0x3B, 0x3B, 0x3B};        // a slider's unplayed part

inline constexpr int kProgressGroove = 5;
inline constexpr int kProgressThumb = 17;
inline constexpr int kVolumeGroove = 4;
inline constexpr int kVolumeThumb = 10;

}  // namespace tessal::imagegen::player
