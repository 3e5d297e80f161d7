// The push popups and the message manager: the popups' caption (a bell and the close
// button, white on the brand colour), the manager's row mark (a letter on a brand tile)
// and the picture a picture popup shows when its own picture did not arrive, which lies
// in cache/ beside the one downloaded for each message.

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "glyphs.h"
#include "image_table.h"
#include "logo_mark.h"
#include "painting.h"
#include "palette.h"

namespace tessal::imagegen {
namespace {

constexpr int kCloseButton = 24;
constexpr int kBell = 18;
constexpr int kLetterTile = 36;
// The picture element of the picture popup; the picture is stretched over it.
constexpr int kPictureWidth = 340;
constexpr int kPictureHeight = 100;

QImage CloseButton(ButtonState state) {
    QImage image = NewImage(kCloseButton, kCloseButton);
    QPainter painter;
    BeginPainting(painter, image);
    if (state != ButtonState::kNormal) {
        const QColor tile =
            state == ButtonState::kHover ? palette::kDanger : palette::kDanger.darker(125);
        FillRounded(painter, QRectF(1, 1, kCloseButton - 2, kCloseButton - 2), 5, tile);
    }
    DrawCross(painter, QRectF(7, 7, 10, 10), Qt::white);
    return image;
}

QImage Bell() {
    QImage image = NewImage(kBell, kBell);
    QPainter painter;
    BeginPainting(painter, image);
    QPainterPath body;
    body.moveTo(3, 13);
    body.cubicTo(4.5, 11.5, 4.5, 10, 4.5, 7.5);
    body.cubicTo(4.5, 4.5, 6.5, 2.5, 9, 2.5);
    body.cubicTo(11.5, 2.5, 13.5, 4.5, 13.5, 7.5);
    body.cubicTo(13.5, 10, 13.5, 11.5, 15, 13);
    body.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPath(body);
    painter.drawEllipse(QPointF(9, 14.8), 1.8, 1.8);
    return image;
}

// A closed envelope, white on a rounded brand tile.
QImage LetterTile() {
    QImage image = NewImage(kLetterTile, kLetterTile);
    QPainter painter;
    BeginPainting(painter, image);
    QLinearGradient tile(0, 0, kLetterTile, kLetterTile);
    tile.setColorAt(0, palette::kBrandLight);
    tile.setColorAt(1, palette::kBrand);
    painter.setPen(Qt::NoPen);
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(0, 0, kLetterTile, kLetterTile), 8, 8);
    const QRectF letter(8, 11, 20, 14);
    painter.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(letter, 2, 2);
    QPainterPath flap;
    flap.moveTo(letter.topLeft() + QPointF(1, 1));
    flap.lineTo(letter.center() + QPointF(0, 1));
    flap.lineTo(letter.topRight() + QPointF(-1, 1));
    painter.drawPath(flap);
    return image;
}

// The stand-in picture: the mark and the product name on the brand gradient.
QImage DefaultPicture(const LogoMark& mark) {
    QImage image(kPictureWidth, kPictureHeight, QImage::Format_ARGB32_Premultiplied);
    QPainter painter;
    BeginPainting(painter, image);
    QLinearGradient banner(0, 0, kPictureWidth, kPictureHeight);
    banner.setColorAt(0, palette::kBrandDark);
    banner.setColorAt(1, palette::kBrandLight);
    painter.fillRect(image.rect(), banner);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 22));
    painter.drawEllipse(QPointF(300, 10), 70, 70);
    painter.drawEllipse(QPointF(40, 110), 50, 50);
    painter.drawImage(QPoint(92, 26), mark.Render(48, Qt::white));
    painter.setFont(CjkFont(30, QFont::Bold));
    painter.setPen(Qt::white);
    painter.drawText(QRect(152, 20, 150, 44), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Tessal"));
    painter.setFont(CjkFont(13));
    painter.setPen(QColor(255, 255, 255, 210));
    painter.drawText(QRect(152, 60, 150, 22), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("职业技能在线学习"));
    return image;
}

}  // namespace

void AddMessageImages(ImageTable& table, const LogoMark& mark) {
    const QString dir = QStringLiteral("IMAGE/Message/");
    table.push_back({dir + "close_1.png", [] { return CloseButton(ButtonState::kNormal); }});
    table.push_back({dir + "close_2.png", [] { return CloseButton(ButtonState::kHover); }});
    table.push_back({dir + "close_3.png", [] { return CloseButton(ButtonState::kPressed); }});
    table.push_back({dir + "bell.png", Bell});
    table.push_back({dir + "letter.png", LetterTile});
    table.push_back({"cache/PushImg_def.png", [&mark] { return DefaultPicture(mark); }});
}

}  // namespace tessal::imagegen
