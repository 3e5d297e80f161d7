// The download center: the progress bar's fills (running and stopped; the bar stretches
// them whole, so they change only from top to bottom), the item toggle in its three looks (pause
// while downloading, resume on a stopped item, retry on a failed one) and the delete
// button, each normal, mouse over and pressed; and the finished list's frame around a
// course picture, a JPEG under data/lesson/img/ where the course pictures lie.

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <numbers>

#include "glyphs.h"
#include "image_table.h"
#include "painting.h"
#include "palette.h"

namespace tessal::imagegen {
namespace {

constexpr int kItemButton = 24;
const QColor kGlyph(0xAE, 0xB8, 0xC1);
const QColor kRing(0x3A, 0x42, 0x48);

using GlyphFunction = void (*)(QPainter&, const QRectF&, const QColor&);

QImage ProgressFill(const QColor& light, const QColor& dark) {
    QImage image = NewImage(16, 8);
    QPainter painter;
    BeginPainting(painter, image);
    QLinearGradient fill(0, 0, 0, 8);
    fill.setColorAt(0, light);
    fill.setColorAt(1, dark);
    painter.fillRect(image.rect(), fill);
    return image;
}

// An open circle turning clockwise with its arrow head at the gap.
void DrawRetryArrow(QPainter& painter, const QRectF& box, const QColor& colour) {
    const QPointF c = box.center();
    const qreal radius = box.width() * 0.32;
    const QRectF circle(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius);
    QPen pen(colour, std::max(1.5, box.width() / 9.0));
    pen.setCapStyle(Qt::RoundCap);
    painter.save();
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    constexpr int kStartDegrees = 60;  // Qt angles run counter-clockwise from three o'clock
    constexpr int kSpanDegrees = 290;
    painter.drawArc(circle, kStartDegrees * 16, kSpanDegrees * 16);
    const qreal end = kStartDegrees * std::numbers::pi / 180;
    const QPointF tip(c.x() + radius * std::cos(end), c.y() - radius * std::sin(end));
    // The head points along the circle's clockwise direction at the arc's start.
    const QPointF along(std::sin(end), std::cos(end));
    const QPointF across(std::cos(end), -std::sin(end));
    const qreal size = box.width() * 0.2;
    QPainterPath head;
    head.moveTo(tip + along * size);
    head.lineTo(tip - along * size * 0.3 + across * size * 0.8);
    head.lineTo(tip - along * size * 0.3 - across * size * 0.8);
    head.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(head);
    painter.restore();
}

// A round item button: normal is the glyph in a faint ring, mouse over fills the disc
// with the accent and turns the glyph white, pressed darkens the disc.
QImage ItemButton(GlyphFunction glyph, const QColor& normal_glyph, const QColor& accent,
                  ButtonState state) {
    QImage image = NewImage(kItemButton, kItemButton);
    QPainter painter;
    BeginPainting(painter, image);
    const QRectF disc(1, 1, kItemButton - 2, kItemButton - 2);
    if (state == ButtonState::kNormal) {
        painter.setPen(QPen(kRing, 1.2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(disc.adjusted(0.6, 0.6, -0.6, -0.6));
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(state == ButtonState::kHover ? accent : accent.darker(130));
        painter.drawEllipse(disc);
    }
    const QColor colour = state == ButtonState::kNormal ? normal_glyph : QColor(Qt::white);
    glyph(painter, QRectF(5, 5, 14, 14), colour);
    return image;
}

// The course picture's frame: the picture covers all but its 2-pixel rim; where there is
// no picture, its dark tile with a play sign shows. A JPEG has no alpha, so every pixel
// is painted.
QImage CoursePictureFrame() {
    QImage image(80, 45, QImage::Format_RGB32);
    QPainter painter;
    BeginPainting(painter, image);
    QLinearGradient tile(0, 0, 80, 45);
    tile.setColorAt(0, QColor(0x2A, 0x31, 0x36));
    tile.setColorAt(1, QColor(0x20, 0x25, 0x29));
    painter.fillRect(image.rect(), tile);
    painter.setPen(QPen(QColor(0x4A, 0x54, 0x5B), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(0.5, 0.5, 79, 44));
    painter.setPen(QPen(QColor(0x14, 0x17, 0x1A), 1));
    painter.drawRect(QRectF(1.5, 1.5, 77, 42));
    painter.setPen(QPen(QColor(0x4A, 0x54, 0x5B), 1.2));
    painter.drawEllipse(QPointF(40, 22.5), 11, 11);
    DrawPlayTriangle(painter, QRectF(31, 13.5, 18, 18), QColor(0x6B, 0x76, 0x80));
    return image;
}

}  // namespace

void AddDownloadCenterImages(ImageTable& table) {
    const QString dir = QStringLiteral("IMAGE/Download/");
    table.push_back(
        {dir + "dutiao_2.png", [] { return ProgressFill(palette::kBrandLight, palette::kBrand); }});
    table.push_back({dir + "dutiao_3.png", [] {
                         return ProgressFill(palette::kWarning, palette::kWarning.darker(125));
                     }});
    struct ButtonSet {
        const char* names[3];  // normal, mouse over, pressed
        GlyphFunction glyph;
        QColor glyph_colour;
        QColor accent;
    };
    const ButtonSet sets[] = {
        {{"xiazai1.png", "xiazai1_1.png", "xiazai1_2.png"}, DrawPauseBars, kGlyph, palette::kBrand},
        {{"Pause.png", "Pause1.png", "Pause2.png"}, DrawPlayTriangle, kGlyph, palette::kBrand},
        {{"RedLoad1.png", "RedLoad2.png", "RedLoad3.png"},
         DrawRetryArrow,
         palette::kDanger,
         palette::kDanger},
        {{"delete.png", "delete1.png", "delete2.png"}, DrawCross, kGlyph, palette::kDanger},
    };
    const ButtonState states[] = {ButtonState::kNormal, ButtonState::kHover, ButtonState::kPressed};
    for (const ButtonSet& set : sets) {
        for (int i = 0; i < 3; ++i) {
            table.push_back({dir + set.names[i], [set, state = states[i]] {
                                 return ItemButton(set.glyph, set.glyph_colour, set.accent, state);
                             }});
        }
    }
    table.push_back({"data/lesson/img/20150521161417781.jpg", CoursePictureFrame});
}

}  // namespace tessal::imagegen
