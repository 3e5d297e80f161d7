// The lesson window's caption buttons (light glyphs on its dark title bar; "_1" is the
// normal and pressed image, the plain name the mouse-over one) and the panel toggle's
// arrows under IMAGE/player/, which TessalPlayer's playlist toggle shares: "you" points
// right (the panel folds away), "zuo" left (it comes back).

#include <QPainter>
#include <QPainterPath>

#include "glyphs.h"
#include "image_table.h"
#include "painting.h"
#include "palette.h"

namespace tessal::imagegen {
namespace {

constexpr int kCaptionButton = 32;
const QColor kGlyph(0xC9, 0xD1, 0xD8);

using GlyphFunction = void (*)(QPainter&, const QRectF&, const QColor&);

QImage CaptionButton(GlyphFunction glyph, bool hover, const QColor& hover_tile) {
    QImage image = NewImage(kCaptionButton, kCaptionButton);
    QPainter painter;
    BeginPainting(painter, image);
    if (hover)
        FillRounded(painter, QRectF(2, 2, kCaptionButton - 4, kCaptionButton - 4), 6, hover_tile);
    glyph(painter, QRectF(10, 10, 12, 12), hover ? QColor(Qt::white) : kGlyph);
    return image;
}

// The toggle is 14 by 64: a tab on the panel's edge with an arrow in it.
QImage PanelArrow(bool right, int state) {
    const QColor tabs[] = {QColor(0x2F, 0x36, 0x3B), QColor(0x3A, 0x42, 0x48), palette::kBrand};
    QImage image = NewImage(14, 64);
    QPainter painter;
    BeginPainting(painter, image);
    FillRounded(painter, QRectF(1, 0, 12, 64), 4, tabs[state]);
    QPen pen(state == 0 ? kGlyph : QColor(Qt::white), 1.8);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    const qreal tip = right ? 9.5 : 4.5;
    const qreal tail = right ? 4.5 : 9.5;
    QPainterPath arrow;
    arrow.moveTo(tail, 26);
    arrow.lineTo(tip, 32);
    arrow.lineTo(tail, 38);
    painter.drawPath(arrow);
    return image;
}

}  // namespace

void AddLessonWindowImages(ImageTable& table) {
    const QString dir = QStringLiteral("IMAGE/LessonW/");
    const QColor hover_tile(255, 255, 255, 36);
    const std::pair<const char*, GlyphFunction> buttons[] = {
        {"suox", DrawMinus}, {"jux", DrawOutlineSquare}, {"cuow", DrawCross}};
    for (const auto& [name, glyph] : buttons) {
        const QColor tile = glyph == DrawCross ? palette::kDanger : hover_tile;
        table.push_back(
            {dir + name + "_1.png", [glyph] { return CaptionButton(glyph, false, {}); }});
        table.push_back({dir + name + ".png", [=] { return CaptionButton(glyph, true, tile); }});
    }
    for (int state = 0; state < 3; ++state) {
        const QString suffix = QStringLiteral("_%1.png").arg(state + 1);
        table.push_back({"IMAGE/player/you" + suffix, [state] { return PanelArrow(true, state); }});
        table.push_back(
            {"IMAGE/player/zuo" + suffix, [state] { return PanelArrow(false, state); }});
    }
}

}  // namespace tessal::imagegen
