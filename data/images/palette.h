#pragma once

// One palette for every window, so that the client looks like one product.

#include <QColor>

namespace tessal::imagegen::palette {

inline const QColor kBrand{0x0E, 0x7C, 0x7B};       // deep teal
inline const QColor kBrandDark{0x09, 0x5A, 0x5F};   // banner gradient start
inline const QColor kBrandLight{0x1B, 0xA3, 0x98};  // banner gradient end
inline const QColor kWhite{0xFF, 0xFF, 0xFF};
inline const QColor kPage{0xF4, 0xF6, 0xF8};   // window body
inline const QColor kPanel{0xEE, 0xF2, 0xF4};  // cards on the body
inline const QColor kLine{0xD5, 0xDC, 0xE2};
inline const QColor kTextMuted{0x8A, 0x96, 0xA3};
inline const QColor kTextDark{0x4A, 0x58, 0x66};
inline const QColor kDanger{0xE5, 0x48, 0x4D};
inline const QColor kGold{0xF5, 0xB3, 0x01};
inline const QColor kSuccess{0x2F, 0xA8, 0x6B};
inline const QColor kWarning{0xF0, 0x9A, 0x2A};

}  // namespace tessal::imagegen::palette
