// The login window: its three view backgrounds and its button states.

#include <QPainter>

#include "glyphs.h"
#include "image_table.h"
#include "login_geometry.h"
#include "logo_mark.h"
#include "painting.h"
#include "palette.h"

namespace tessal::imagegen {
namespace {

using login::kBannerHeight;
using login::kHeight;
using login::kWidth;

void DrawBannerPattern(QPainter& painter, const LogoMark& mark) {
    // Faint tiles in the corners echo the mark without competing with it.
    painter.save();
    painter.setOpacity(0.08);
    painter.drawImage(QPoint(318, -28), mark.Render(150, Qt::white));
    painter.setOpacity(0.06);
    painter.drawImage(QPoint(-34, 70), mark.Render(96, Qt::white));
    painter.restore();
}

void DrawBrand(QPainter& painter, const LogoMark& mark) {
    const QFont title = CjkFont(34, QFont::Bold);
    const int text_width = QFontMetrics(title).horizontalAdvance(QStringLiteral("Tessal"));
    constexpr int kMark = 46;
    constexpr int kGap = 10;
    const int left = (kWidth - (kMark + kGap + text_width)) / 2;
    painter.drawImage(QPoint(left, 34), mark.Render(kMark, Qt::white));
    painter.setFont(title);
    painter.setPen(Qt::white);
    painter.drawText(QRect(left + kMark + kGap, 28, text_width + 4, 56),
                     Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tessal"));
    QColor subtitle = Qt::white;
    subtitle.setAlphaF(0.82);
    DrawCentredText(painter, QRectF(0, 92, kWidth, 24), QStringLiteral("职业技能  在线学习"),
                    subtitle, CjkFont(13));
}

QImage LoginBackground() {
    QImage image = NewImage(kWidth, kHeight);
    QPainter painter;
    BeginPainting(painter, image);
    painter.fillRect(image.rect(), palette::kWhite);
    QLinearGradient banner(0, 0, kWidth, kBannerHeight);
    banner.setColorAt(0, palette::kBrandDark);
    banner.setColorAt(1, palette::kBrandLight);
    painter.fillRect(QRect(0, 0, kWidth, kBannerHeight), banner);
    return image;
}

QImage FormView(const LogoMark& mark) {
    QImage image = LoginBackground();
    QPainter painter;
    BeginPainting(painter, image);
    DrawBannerPattern(painter, mark);
    DrawBrand(painter, mark);
    return image;
}

QImage FailureView(const LogoMark& mark) {
    QImage image = FormView(mark);
    QPainter painter;
    BeginPainting(painter, image);
    const QRectF icon(login::kFailureIcon);
    painter.setBrush(palette::kWarning);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(icon);
    DrawCentredText(painter, icon, QStringLiteral("!"), Qt::white, CjkFont(20, QFont::Bold));
    return image;
}

QImage ChannelView(const LogoMark& mark) {
    QImage image = FormView(mark);
    QPainter painter;
    BeginPainting(painter, image);
    painter.setPen(QPen(palette::kLine, 1));
    painter.setBrush(palette::kPage);
    painter.drawRoundedRect(QRectF(login::kChannelCard).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    return image;
}

// The minimise button's normal image is a JPEG, which has no alpha: every state is
// drawn on the banner pixels it covers, so that none shows a box.
QImage MinimiseButton(const LogoMark& mark, ButtonState state) {
    QImage image = FormView(mark).copy(login::kMinimiseButton);
    QPainter painter;
    BeginPainting(painter, image);
    if (state == ButtonState::kHover) {
        painter.fillRect(image.rect(), QColor(255, 255, 255, 46));
    } else if (state == ButtonState::kPressed) {
        painter.fillRect(image.rect(), QColor(0, 0, 0, 40));
    }
    DrawMinus(painter, QRectF(8, 6, 14, 14), Qt::white);
    return image;
}

QImage CloseButton(ButtonState state) {
    QImage image = NewImage(login::kCloseButton.width(), login::kCloseButton.height());
    QPainter painter;
    BeginPainting(painter, image);
    if (state != ButtonState::kNormal) {
        painter.fillRect(image.rect(), Shade(palette::kDanger, state));
    }
    DrawCross(painter, QRectF(8, 6, 14, 14), Qt::white);
    return image;
}

QImage FormButton(const QColor& base, ButtonState state, const QString& label) {
    return ButtonFace(login::kFormButtonWidth, login::kFormButtonHeight, base, state, label);
}

// Adds stem1, stem2, ... for the first `count` of normal, hover and pressed.
void AddStates(ImageTable& table, const QString& stem, const QString& suffix, int count,
               const std::function<QImage(ButtonState)>& draw) {
    const ButtonState states[] = {ButtonState::kNormal, ButtonState::kHover, ButtonState::kPressed};
    for (int i = 0; i < count; ++i) {
        const ButtonState state = states[i];
        table.push_back({stem + QString::number(i + 1) + suffix, [=] { return draw(state); }});
    }
}

}  // namespace

void AddLoginImages(ImageTable& table, const LogoMark& mark) {
    const QString dir = QStringLiteral("IMAGE/LOGIN/");
    table.push_back({dir + "1.png", [&mark] { return FormView(mark); }});
    table.push_back({dir + "2.png", [&mark] { return FailureView(mark); }});
    table.push_back({dir + "3.png", [&mark] { return ChannelView(mark); }});
    const auto login = [](ButtonState s) { return FormButton(palette::kBrand, s, "登 录"); };
    // The login button's images are named with both suffix cases; both are written so
    // that the files exist on a case-sensitive file system.
    AddStates(table, dir + "login_", ".png", 3, login);
    AddStates(table, dir + "login_", ".PNG", 3, login);
    // Cancel and confirm show their normal image when pressed.
    AddStates(table, dir + "cancel_", ".png", 2,
              [](ButtonState s) { return FormButton(palette::kTextDark, s, "取 消"); });
    AddStates(table, dir + "confirm_", ".png", 2, [](ButtonState s) {
        return ButtonFace(login::kConfirmWidth, login::kFormButtonHeight, palette::kBrand, s);
    });
    AddStates(table, dir + "close", ".png", 3, CloseButton);
    table.push_back(
        {dir + "min1.jpg", [&mark] { return MinimiseButton(mark, ButtonState::kNormal); }});
    table.push_back(
        {dir + "min2.png", [&mark] { return MinimiseButton(mark, ButtonState::kHover); }});
    table.push_back(
        {dir + "min3.png", [&mark] { return MinimiseButton(mark, ButtonState::kPressed); }});
}

}  // namespace tessal::imagegen
