#include "painting.h"

#include <QPainterPath>

namespace tessal::imagegen {

QImage NewImage(int width_px, int height_px) {
    QImage image(width_px, height_px, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void BeginPainting(QPainter& painter, QImage& image) {
    painter.begin(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
}

QFont CjkFont(int pixel_size, int weight) {
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(pixel_size);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QColor Shade(const QColor& base, ButtonState state) {
    switch (state) {
        case ButtonState::kHover:
            return base.lighter(115);
        case ButtonState::kPressed:
            return base.darker(118);
        case ButtonState::kNormal:
            break;
    }
    return base;
}

void FillRounded(QPainter& painter, const QRectF& rect, qreal radius, const QColor& colour) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    painter.fillPath(path, colour);
}

void DrawCentredText(QPainter& painter, const QRectF& rect, const QString& text,
                     const QColor& colour, const QFont& font) {
    painter.save();
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(rect, Qt::AlignCenter, text);
    painter.restore();
}

QImage ButtonFace(int width_px, int height_px, const QColor& base, ButtonState state,
                  const QString& label) {
    QImage image = NewImage(width_px, height_px);
    QPainter painter;
    BeginPainting(painter, image);
    const QRectF face(0.5, 0.5, width_px - 1.0, height_px - 1.0);
    FillRounded(painter, face, 4, Shade(base, state));
    if (!label.isEmpty()) {
        // Pressed faces move the label down a pixel, as a real key would.
        const qreal drop = state == ButtonState::kPressed ? 1.0 : 0.0;
        DrawCentredText(painter, face.translated(0, drop), label, Qt::white,
                        CjkFont(height_px * 4 / 9, QFont::Medium));
    }
    return image;
}

}  // namespace tessal::imagegen
