// TessalPlayer's buttons and bars (IMAGE/player/): light glyphs on the dark player,
// turning to the accent under the mouse; "_1" is the normal and pressed image, "_2" the
// mouse-over one (the speed buttons: plain name and "_1"). Each image has the size of its
// button in Layout/Player.xml, which stretches it over the button. The slider fills
// change only from top to bottom, since the sliders stretch them along.

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "glyphs.h"
#include "image_table.h"
#include "painting.h"
#include "palette.h"
#include "player_look.h"

namespace tessal::imagegen {
namespace {

using player::kAccent;
using player::kGlyph;

using GlyphFunction = void (*)(QPainter&, const QRectF&, const QColor&);

constexpr int kPlayButton = 36;
constexpr int kBarButton = 32;
constexpr int kVolumeIcon = 24;
constexpr int kSpeedWidth = 48;
constexpr int kSpeedHeight = 24;

QPen RoundPen(const QColor& colour, qreal width) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void DrawStopSquare(QPainter& painter, const QRectF& box, const QColor& colour) {
    const qreal side = box.width() * 0.62;
    FillRounded(painter, QRectF(box.center() - QPointF(side / 2, side / 2), QSizeF(side, side)),
                side / 6, colour);
}

// Two triangles side by side, pointing left (rewind) or right (forward).
void DrawDoubleTriangle(QPainter& painter, const QRectF& box, const QColor& colour, bool right) {
    const qreal half_height = box.height() * 0.3;
    const qreal width = box.width() * 0.36;
    const qreal direction = right ? 1.0 : -1.0;
    QPainterPath arrows;
    for (const qreal start : {-width, 0.0}) {
        const QPointF base = box.center() + QPointF(direction * start, 0);
        arrows.moveTo(base + QPointF(0, -half_height));
        arrows.lineTo(base + QPointF(direction * width, 0));
        arrows.lineTo(base + QPointF(0, half_height));
        arrows.closeSubpath();
    }
    painter.save();
    painter.setPen(RoundPen(colour, 1.0));
    painter.setBrush(colour);
    painter.drawPath(arrows);
    painter.restore();
}

void DrawRewind(QPainter& painter, const QRectF& box, const QColor& colour) {
    DrawDoubleTriangle(painter, box, colour, false);
}

void DrawForward(QPainter& painter, const QRectF& box, const QColor& colour) {
    DrawDoubleTriangle(painter, box, colour, true);
}

void DrawSpeaker(QPainter& painter, const QRectF& box, const QColor& colour) {
    const qreal u = box.width() / 24.0;
    const QPointF o = box.topLeft();
    QPainterPath body;
    body.moveTo(o + QPointF(3 * u, 9 * u));
    body.lineTo(o + QPointF(7 * u, 9 * u));
    body.lineTo(o + QPointF(12 * u, 4.5 * u));
    body.lineTo(o + QPointF(12 * u, 19.5 * u));
    body.lineTo(o + QPointF(7 * u, 15 * u));
    body.lineTo(o + QPointF(3 * u, 15 * u));
    body.closeSubpath();
    painter.save();
    painter.setPen(RoundPen(colour, 1.0));
    painter.setBrush(colour);
    painter.drawPath(body);
    painter.setPen(RoundPen(colour, 1.6 * u));
    painter.setBrush(Qt::NoBrush);
    for (const qreal radius : {3.5 * u, 7.0 * u}) {
        const QPointF centre = o + QPointF(12.5 * u, 12 * u);
        painter.drawArc(QRectF(centre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius)),
                        -45 * 16, 90 * 16);
    }
    painter.restore();
}

// Four corners; `inward` bends them toward the centre (leave full screen).
void DrawCorners(QPainter& painter, const QRectF& box, const QColor& colour, bool inward) {
    const qreal arm = box.width() * 0.3;
    painter.save();
    painter.setPen(RoundPen(colour, std::max(1.6, box.width() / 9.0)));
    const QPointF corners[] = {box.topLeft(), box.topRight(), box.bottomRight(), box.bottomLeft()};
    for (const QPointF& corner : corners) {
        const qreal x_sign = corner.x() < box.center().x() ? 1.0 : -1.0;
        const qreal y_sign = corner.y() < box.center().y() ? 1.0 : -1.0;
        const QPointF knee = inward ? corner + QPointF(x_sign * arm, y_sign * arm) : corner;
        QPainterPath path;
        path.moveTo(knee + QPointF(inward ? -x_sign * arm : x_sign * arm, 0));
        path.lineTo(knee);
        path.lineTo(knee + QPointF(0, inward ? -y_sign * arm : y_sign * arm));
        painter.drawPath(path);
    }
    painter.restore();
}

void DrawEnterFullScreen(QPainter& painter, const QRectF& box, const QColor& colour) {
    DrawCorners(painter, box, colour, false);
}

void DrawLeaveFullScreen(QPainter& painter, const QRectF& box, const QColor& colour) {
    DrawCorners(painter, box, colour, true);
}

// A control of the bars: the glyph in light grey, in the accent under the mouse.
QImage ControlButton(int size_px, qreal glyph_px, GlyphFunction glyph, bool hover) {
    QImage image = NewImage(size_px, size_px);
    QPainter painter;
    BeginPainting(painter, image);
    const qreal at = (size_px - glyph_px) / 2;
    glyph(painter, QRectF(at, at, glyph_px, glyph_px), hover ? kAccent : kGlyph);
    return image;
}

// The caption's buttons: a soft tile (red to close) under a white glyph on mouse over.
QImage CaptionButton(GlyphFunction glyph, bool hover, const QColor& hover_tile) {
    QImage image = NewImage(kBarButton, kBarButton);
    QPainter painter;
    BeginPainting(painter, image);
    if (hover)
        FillRounded(painter, QRectF(2, 2, kBarButton - 4, kBarButton - 4), 6, hover_tile);
    glyph(painter, QRectF(10, 10, 12, 12), hover ? QColor(Qt::white) : kGlyph);
    return image;
}

// The speed button: the speed in a pill.
QImage SpeedButton(const QString& speed, bool hover) {
    QImage image = NewImage(kSpeedWidth, kSpeedHeight);
    QPainter painter;
    BeginPainting(painter, image);
    const QColor colour = hover ? kAccent : kGlyph;
    const QRectF pill(0.75, 2.75, kSpeedWidth - 1.5, kSpeedHeight - 5.5);
    painter.setPen(QPen(hover ? kAccent : player::kOutline, 1.2));
    painter.setBrush(hover ? QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 36)
                           : QColor(Qt::transparent));
    painter.drawRoundedRect(pill, pill.height() / 2, pill.height() / 2);
    DrawCentredText(painter, pill, speed + QStringLiteral("x"), colour,
                    CjkFont(12, QFont::DemiBold));
    return image;
}

// A slider's fill, stretched along the slider: it varies only from top to bottom.
QImage SliderFill(int height_px, const QColor& top, const QColor& bottom) {
    QImage image = NewImage(16, height_px);
    QPainter painter;
    BeginPainting(painter, image);
    QLinearGradient fill(0, 0, 0, height_px);
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    painter.fillRect(image.rect(), fill);
    return image;
}

// A slider's thumb: a white disc on a soft shadow, the large one with an accent centre.
QImage Thumb(int size_px, bool accent_centre) {
    QImage image = NewImage(size_px, size_px);
    QPainter painter;
    BeginPainting(painter, image);
    const QPointF centre(size_px / 2.0, size_px / 2.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 90));
    painter.drawEllipse(centre, size_px / 2.0, size_px / 2.0);
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, size_px / 2.0 - 1.5, size_px / 2.0 - 1.5);
    if (accent_centre) {
        painter.setBrush(kAccent);
        painter.drawEllipse(centre, size_px / 6.0, size_px / 6.0);
    }
    return image;
}

QImage Glyph(int size_px, qreal glyph_px, GlyphFunction glyph, const QColor& colour) {
    QImage image = NewImage(size_px, size_px);
    QPainter painter;
    BeginPainting(painter, image);
    const qreal at = (size_px - glyph_px) / 2;
    glyph(painter, QRectF(at, at, glyph_px, glyph_px), colour);
    return image;
}

void DrawChevronDown(QPainter& painter, const QRectF& box, const QColor& colour) {
    DrawChevron(painter, box, colour, true);
}

void DrawChevronRight(QPainter& painter, const QRectF& box, const QColor& colour) {
    DrawChevron(painter, box, colour, false);
}

struct ButtonImages {
    const char* name;  // "<name>_1.png" normal and pressed, "<name>_2.png" mouse over
    int size_px;
    qreal glyph_px;
    GlyphFunction glyph;
};

void AddControlButtons(ImageTable& table, const QString& dir) {
    const ButtonImages buttons[] = {
        {"play", kPlayButton, 22, DrawPlayTriangle},
        {"pause", kPlayButton, 22, DrawPauseBars},
        {"Import", kBarButton, 16, DrawStopSquare},
        {"left", kBarButton, 18, DrawRewind},
        {"right", kBarButton, 18, DrawForward},
        {"voice", kVolumeIcon, 20, DrawSpeaker},
        {"Full", kBarButton, 14, DrawEnterFullScreen},
        {"unFull", kBarButton, 14, DrawLeaveFullScreen},
        {"set", kBarButton, 16, DrawGear},
    };
    for (const ButtonImages& button : buttons) {
        for (const bool hover : {false, true}) {
            table.push_back({dir + button.name + (hover ? "_2.png" : "_1.png"), [button, hover] {
                                 return ControlButton(button.size_px, button.glyph_px, button.glyph,
                                                      hover);
                             }});
        }
    }
}

void AddCaptionButtons(ImageTable& table, const QString& dir) {
    const QColor hover_tile(255, 255, 255, 36);
    const std::pair<const char*, GlyphFunction> buttons[] = {
        {"minimum", DrawMinus}, {"max", DrawOutlineSquare}, {"close", DrawCross}};
    for (const auto& [name, glyph] : buttons) {
        const QColor tile = glyph == DrawCross ? palette::kDanger : hover_tile;
        table.push_back(
            {dir + name + "_1.png", [glyph] { return CaptionButton(glyph, false, {}); }});
        table.push_back({dir + name + "_2.png", [=] { return CaptionButton(glyph, true, tile); }});
    }
}

void AddSpeedButtons(ImageTable& table, const QString& dir) {
    for (const char* speed : {"0.5", "1.0", "1.5", "2.0", "4.0"}) {
        const QString text = QString::fromLatin1(speed);
        table.push_back({dir + text + ".png", [text] { return SpeedButton(text, false); }});
        table.push_back({dir + text + "_1.png", [text] { return SpeedButton(text, true); }});
    }
}

void AddSliders(ImageTable& table, const QString& dir) {
    table.push_back({dir + "SliderBar_1.png", [] {
                         return SliderFill(player::kProgressGroove, kAccent.lighter(115), kAccent);
                     }});
    table.push_back({dir + "SliderBar_2.png",
                     [] { return SliderFill(player::kVolumeGroove, kGlyph, kGlyph.darker(112)); }});
    table.push_back({dir + "SliderBar_3.png", [] {
                         return SliderFill(player::kVolumeGroove, player::kTrack.darker(115),
                                           player::kTrack);
                     }});
    table.push_back({dir + "circle_1.png", [] { return Thumb(player::kVolumeThumb, false); }});
    table.push_back({dir + "circle_2.png", [] { return Thumb(player::kProgressThumb, true); }});
}

// The playlist: a course's expand button (open, closed), the mark before a lesson
// (normal, selected) and the tick of its delete box.
void AddPlaylistImages(ImageTable& table, const QString& dir) {
    table.push_back(
        {dir + "zhankai.png", [] { return Glyph(16, 16, DrawChevronDown, player::kMuted); }});
    table.push_back(
        {dir + "zhengchang.png", [] { return Glyph(16, 16, DrawChevronRight, player::kMuted); }});
    table.push_back(
        {dir + "lesson_1.png", [] { return Glyph(12, 12, DrawPlayTriangle, player::kMuted); }});
    table.push_back(
        {dir + "lesson_2.png", [] { return Glyph(12, 12, DrawPlayTriangle, kAccent); }});
    // The delete box's "delete the file as well", checked.
    table.push_back({dir + "check.png", [] { return Glyph(14, 14, DrawCheck, Qt::white); }});
}

}  // namespace

void AddPlayerImages(ImageTable& table) {
    const QString dir = QStringLiteral("IMAGE/player/");
    AddControlButtons(table, dir);
    AddCaptionButtons(table, dir);
    AddSpeedButtons(table, dir);
    AddSliders(table, dir);
    AddPlaylistImages(table, dir);
}

}  // namespace tessal::imagegen
