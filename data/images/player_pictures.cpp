// TessalPlayer's pictures: the mark of its title bar, the picture the video window
// shows while nothing plays (main_.bmp, on the window's black), the loading animation
// (PlayeryElement.gif, shown on the black video area while a lesson opens) and the
// application icon.

#include <QConicalGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "gif_writer.h"
#include "glyphs.h"
#include "image_table.h"
#include "logo_mark.h"
#include "painting.h"
#include "palette.h"
#include "player_look.h"

namespace tessal::imagegen {
namespace {

using player::kAccent;

// Lighter than the accent, so that the spinner stands out on black.
const QColor kSpinner = player::kAccent.lighter(125);

constexpr int kTitleMark = 20;
constexpr int kIdleWidth = 360;
constexpr int kIdleHeight = 200;
constexpr int kSpinnerSize = 48;
constexpr int kSpinnerFrames = 18;
constexpr int kSpinnerDelayCentiseconds = 5;  // one turn in 0.9 s
constexpr int kIconSize = 256;

// On black, as the video window paints behind it; a BMP has no alpha.
QImage IdlePicture(const LogoMark& mark) {
    QImage image(kIdleWidth, kIdleHeight, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter;
    BeginPainting(painter, image);
    constexpr int kMark = 72;
    painter.drawImage(QPoint((kIdleWidth - kMark) / 2, 18), mark.Render(kMark, kAccent));
    DrawCentredText(painter, QRectF(0, 100, kIdleWidth, 36), QStringLiteral("Tessal播放器"),
                    QColor(0xE6, 0xEA, 0xED), CjkFont(24, QFont::Bold));
    DrawCentredText(painter, QRectF(0, 142, kIdleWidth, 24),
                    QStringLiteral("把课程文件拖到这里，或在播放列表中双击课时"),
                    QColor(0x7A, 0x85, 0x8F), CjkFont(13));
    return image;
}

// One turn of the spinner at `angle_degrees`: a faint ring and an arc fading toward its
// tail, in one colour at full and partial cover.
QImage SpinnerFrame(qreal angle_degrees) {
    QImage image = NewImage(kSpinnerSize, kSpinnerSize);
    QPainter painter;
    BeginPainting(painter, image);
    const QPointF centre(kSpinnerSize / 2.0, kSpinnerSize / 2.0);
    const qreal radius = kSpinnerSize * 0.37;
    const QRectF circle(centre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius));
    QColor faint = kSpinner;
    faint.setAlpha(56);
    painter.setPen(QPen(faint, 4));
    painter.drawEllipse(circle);
    QConicalGradient fade(centre, -angle_degrees);
    fade.setColorAt(0, kSpinner);
    QColor half = kSpinner;
    half.setAlpha(150);
    fade.setColorAt(0.28, half);
    QColor tail = kSpinner;
    tail.setAlpha(0);
    fade.setColorAt(0.46, tail);
    fade.setColorAt(0.97, tail);
    fade.setColorAt(1, kSpinner);  // the head's round cap, just ahead of the head
    painter.setPen(QPen(QBrush(fade), 4, Qt::SolidLine, Qt::RoundCap));
    // The head turns clockwise; the arc runs back from it to the tail, which the gradient
    // fades (Qt's angles and the gradient both run counter-clockwise).
    painter.drawArc(circle, int(-angle_degrees * 16), 165 * 16);
    return image;
}

// The frames are one colour at several covers over black: palette entry i is that colour
// at cover i / 255 on black, entry 0 is transparent. Painting premultiplies, so a
// pixel's colour already is the colour at its cover over black.
QList<QRgb> CoverPalette() {
    QList<QRgb> colours{qRgba(0, 0, 0, 0)};
    for (int cover = 1; cover < 256; ++cover) {
        colours << qRgb(kSpinner.red() * cover / 255, kSpinner.green() * cover / 255,
                        kSpinner.blue() * cover / 255);
    }
    return colours;
}

QImage ToCoverIndexes(const QImage& frame, const QList<QRgb>& colours) {
    constexpr int kClearBelow = 8;  // fainter edges drop out rather than darken
    const QImage source = frame.convertToFormat(QImage::Format_ARGB32);
    QImage indexed(source.size(), QImage::Format_Indexed8);
    indexed.setColorTable(colours);
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        uchar* out = indexed.scanLine(y);
        for (int x = 0; x < source.width(); ++x) {
            const int cover = qAlpha(in[x]);
            out[x] = uchar(cover < kClearBelow ? 0 : cover);
        }
    }
    return indexed;
}

QByteArray LoadingAnimation() {
    const QList<QRgb> colours = CoverPalette();
    GifAnimation animation;
    animation.delay_centiseconds = kSpinnerDelayCentiseconds;
    for (int i = 0; i < kSpinnerFrames; ++i)
        animation.frames.push_back(
            ToCoverIndexes(SpinnerFrame(i * 360.0 / kSpinnerFrames), colours));
    return EncodeGif(animation);
}

// The client's mark on a tile of the player's colours, with a play badge.
QImage ApplicationIcon(const LogoMark& mark) {
    QImage image = NewImage(kIconSize, kIconSize);
    QPainter painter;
    BeginPainting(painter, image);
    QLinearGradient tile(0, 0, kIconSize, kIconSize);
    tile.setColorAt(0, QColor(0x22, 0x27, 0x2B));
    tile.setColorAt(1, QColor(0x12, 0x15, 0x17));
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(0, 0, kIconSize, kIconSize), kIconSize * 0.22, kIconSize * 0.22);
    painter.fillPath(rounded, tile);
    painter.drawImage(QPoint(36, 30), mark.Render(160, kAccent));
    const QPointF badge(180, 182);
    painter.setPen(QPen(QColor(0x12, 0x15, 0x17), 10));
    painter.setBrush(kAccent);
    painter.drawEllipse(badge, 50, 50);
    DrawPlayTriangle(painter, QRectF(badge - QPointF(34, 34), QSizeF(68, 68)), Qt::white);
    return image;
}

}  // namespace

void AddPlayerPictures(ImageTable& table, const LogoMark& mark) {
    table.push_back(
        {"IMAGE/player/logo.png", [&mark] { return mark.Render(kTitleMark, kAccent); }});
    table.push_back({"IMAGE/player/main_.bmp", [&mark] { return IdlePicture(mark); }});
    table.push_back({"TessalPlayer.png", [&mark] { return ApplicationIcon(mark); }});
}

void AddPlayerAnimations(EncodedFileTable& table) {
    table.push_back({"IMAGE/player/PlayeryElement.gif", LoadingAnimation});
}

}  // namespace tessal::imagegen
