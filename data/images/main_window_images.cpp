// The main window: header buttons and logo (white on the brand colour of the header),
// the search box, the course tree's badges and placeholders, the head picture.

#include <QPainter>
#include <QPainterPath>

#include "glyphs.h"
#include "image_table.h"
#include "logo_mark.h"
#include "painting.h"
#include "palette.h"

namespace tessal::imagegen {
namespace {

constexpr int kHeaderButton = 32;

using GlyphFunction = void (*)(QPainter&, const QRectF&, const QColor&);

// Header buttons: a white glyph; hover lays a soft white (or, to close, red) tile under it.
QImage HeaderButton(GlyphFunction glyph, bool hover, const QColor& hover_tile) {
    QImage image = NewImage(kHeaderButton, kHeaderButton);
    QPainter painter;
    BeginPainting(painter, image);
    if (hover) {
        FillRounded(painter, QRectF(2, 2, kHeaderButton - 4, kHeaderButton - 4), 6, hover_tile);
    }
    glyph(painter, QRectF(8, 8, 16, 16), Qt::white);
    return image;
}

QImage Logo(const LogoMark& mark) {
    QImage image = NewImage(150, 40);
    QPainter painter;
    BeginPainting(painter, image);
    painter.drawImage(QPoint(2, 4), mark.Render(32, Qt::white));
    painter.setFont(CjkFont(25, QFont::Bold));
    painter.setPen(Qt::white);
    painter.drawText(QRect(42, 0, 108, 40), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Tessal"));
    return image;
}

QImage SearchBack() {
    QImage image = NewImage(240, 30);
    QPainter painter;
    BeginPainting(painter, image);
    painter.setPen(QPen(QColor(255, 255, 255, 120), 1));
    painter.setBrush(QColor(255, 255, 255, 235));
    painter.drawRoundedRect(QRectF(0.5, 0.5, 239, 29), 14.5, 14.5);
    return image;
}

QImage Glyph(int size_px, GlyphFunction glyph, const QColor& colour) {
    QImage image = NewImage(size_px, size_px);
    QPainter painter;
    BeginPainting(painter, image);
    glyph(painter, QRectF(0, 0, size_px, size_px), colour);
    return image;
}

QImage RoundBadge(const QColor& fill, GlyphFunction glyph) {
    QImage image = NewImage(16, 16);
    QPainter painter;
    BeginPainting(painter, image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    glyph(painter, QRectF(1, 1, 14, 14), Qt::white);
    return image;
}

QImage Chevron(bool down) {
    QImage image = NewImage(16, 16);
    QPainter painter;
    BeginPainting(painter, image);
    DrawChevron(painter, QRectF(0, 0, 16, 16), palette::kTextDark, down);
    return image;
}

QImage LessonPictureLoading(const LogoMark& mark) {
    QImage image = NewImage(160, 90);
    QPainter painter;
    BeginPainting(painter, image);
    FillRounded(painter, QRectF(0, 0, 160, 90), 6, palette::kPanel);
    painter.drawImage(QPoint(62, 14), mark.Render(36, palette::kLine));
    DrawCentredText(painter, QRectF(0, 56, 160, 22), QStringLiteral("图片加载中"),
                    palette::kTextMuted, CjkFont(13));
    return image;
}

QImage DefaultHeadPicture() {
    constexpr int kSize = 80;
    QImage image = NewImage(kSize, kSize);
    QPainter painter;
    BeginPainting(painter, image);
    QPainterPath circle;
    circle.addEllipse(QRectF(0, 0, kSize, kSize));
    painter.setClipPath(circle);
    painter.fillRect(image.rect(), QColor(0xD6, 0xE6, 0xE6));
    DrawPerson(painter, QRectF(0, 6, kSize, kSize), QColor(0x8F, 0xB5, 0xB3));
    return image;
}

QImage Background() {
    // Painted stretched over the whole window, so it holds no detail that would distort.
    QImage image = NewImage(1000, 680);
    QPainter painter;
    BeginPainting(painter, image);
    QLinearGradient body(0, 0, 0, 680);
    body.setColorAt(0, QColor(0xF7, 0xF9, 0xFA));
    body.setColorAt(1, QColor(0xEC, 0xF0, 0xF3));
    painter.fillRect(image.rect(), body);
    return image;
}

}  // namespace

void AddMainWindowImages(ImageTable& table, const LogoMark& mark) {
    const QString dir = QStringLiteral("IMAGE/MainW/");
    const QColor hover_tile(255, 255, 255, 46);
    table.push_back({dir + "background.png", Background});
    table.push_back({dir + "logo.png", [&mark] { return Logo(mark); }});
    table.push_back({dir + "set1.png", [=] { return HeaderButton(DrawGear, false, {}); }});
    table.push_back({dir + "set2.png", [=] { return HeaderButton(DrawGear, true, hover_tile); }});
    table.push_back({dir + "min1.png", [=] { return HeaderButton(DrawMinus, false, {}); }});
    table.push_back({dir + "min2.png", [=] { return HeaderButton(DrawMinus, true, hover_tile); }});
    table.push_back({dir + "close1.png", [] { return HeaderButton(DrawCross, false, {}); }});
    table.push_back(
        {dir + "close2.png", [] { return HeaderButton(DrawCross, true, palette::kDanger); }});
    table.push_back({dir + "search_back.png", SearchBack});
    table.push_back(
        {dir + "search.png", [] { return Glyph(20, DrawMagnifier, palette::kTextMuted); }});
    table.push_back({dir + "Finish.png", [] { return RoundBadge(palette::kSuccess, DrawCheck); }});
    table.push_back(
        {dir + "unFinish.png", [] { return RoundBadge(palette::kWarning, DrawClock); }});
    table.push_back({dir + "grade_1.png", [] { return Glyph(14, DrawStar, palette::kLine); }});
    table.push_back({dir + "grade_2.png", [] { return Glyph(14, DrawStar, palette::kGold); }});
    table.push_back(
        {dir + "lessonpicIsloading.png", [&mark] { return LessonPictureLoading(mark); }});
    table.push_back({dir + "click1.png", [] { return Chevron(true); }});
    table.push_back({dir + "click2.png", [] { return Chevron(false); }});
    table.push_back({dir + "headpic_default.png", DefaultHeadPicture});
}

}  // namespace tessal::imagegen
