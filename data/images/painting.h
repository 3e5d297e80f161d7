#pragma once

// Drawing helpers shared by every image: fonts, rounded faces, centred labels and the
// three button states (hover lighter, pressed darker).

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>

namespace tessal::imagegen {

enum class ButtonState { kNormal, kHover, kPressed };

QImage NewImage(int width_px, int height_px);

// Starts an antialiased painter on `image`.
void BeginPainting(QPainter& painter, QImage& image);

QFont CjkFont(int pixel_size, int weight = QFont::Normal);

QColor Shade(const QColor& base, ButtonState state);

void FillRounded(QPainter& painter, const QRectF& rect, qreal radius, const QColor& colour);

void DrawCentredText(QPainter& painter, const QRectF& rect, const QString& text,
                     const QColor& colour, const QFont& font);

// A filled, rounded button face with an optional centred white label.
QImage ButtonFace(int width_px, int height_px, const QColor& base, ButtonState state,
                  const QString& label = {});

}  // namespace tessal::imagegen
