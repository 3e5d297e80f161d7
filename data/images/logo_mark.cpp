#include "logo_mark.h"

#include <QPainter>

#include "painting.h"

namespace tessal::imagegen {

QImage LogoMark::Render(int size_px, const QColor& colour) const {
    QImage image = NewImage(size_px, size_px);
    QPainter painter;
    BeginPainting(painter, image);
    renderer_.render(&painter, QRectF(0, 0, size_px, size_px));
    // Keep the tiles' alpha, replace their white by the tint.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), colour);
    return image;
}

QImage LogoMark::RenderTile(int size_px, const QColor& background) const {
    QImage image = NewImage(size_px, size_px);
    QPainter painter;
    BeginPainting(painter, image);
    const qreal radius = size_px * 0.22;
    FillRounded(painter, QRectF(0, 0, size_px, size_px), radius, background);
    // Small icons keep a thinner border so that the mark stays legible at 16 pixels.
    const int inset = size_px <= 24 ? size_px / 10 : size_px / 7;
    const QRect mark(inset, inset, size_px - 2 * inset, size_px - 2 * inset);
    renderer_.render(&painter, QRectF(mark));
    return image;
}

}  // namespace tessal::imagegen
