#include "common/gui/toolkit_setup.h"

#include <QApplication>
#include <QFontDatabase>
#include <clocale>

namespace tessal::gui {
namespace {

// Installed CJK families in order of preference (Debian's fonts-noto-cjk first).
constexpr const char* kCjkFamilies[] = {"Noto Sans CJK SC", "Noto Sans SC", "WenQuanYi Micro Hei",
                                        "Droid Sans Fallback"};

}  // namespace

void SetUpToolkit(int point_size) {
    std::setlocale(LC_NUMERIC, "C");
    QStringList substitutes;
    for (const char* family : kCjkFamilies)
        substitutes << QString::fromUtf8(family);
    QFont::insertSubstitutions(QString::fromUtf8(kSystemFontFamily), substitutes);
    QApplication::setFont(SystemFont(point_size));
}

QFont SystemFont(int point_size) {
    QFont font(QString::fromUtf8(kSystemFontFamily), point_size);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

}  // namespace tessal::gui
