#include "player/window/player_window.h"

#include <QAbstractSlider>
#include <QLabel>
#include <QLayout>
#include <QMovie>
#include <QProxyStyle>

#include "common/gui/elements.h"
#include "common/gui/layout_loader.h"
#include "common/gui/state_images.h"
#include "common/gui/toolkit_codes.h"
#include "common/gui/window_frame.h"
#include "player/core/player_geometry.h"

namespace tessal::player {

using namespace tessal::gui;

namespace {

constexpr int kBarHeight = 60;
// The layout's video area and playlist panel (their places, not handlers of their own).
constexpr int kVideoArea = 30;
constexpr int kPlaylistPanel = 31;

struct ButtonImages {
    int id;
    const char* first;
    const char* second;
};

constexpr ButtonImages kMainButtons[] = {
    {1, "play_1.png", "play_2.png"},      {4, "voice_1.png", "voice_2.png"},
    {6, "Full_1.png", "Full_2.png"},      {7, "minimum_1.png", "minimum_2.png"},
    {8, "max_1.png", "max_2.png"},        {9, "close_1.png", "close_2.png"},
    {10, "Import_1.png", "Import_2.png"}, {11, "left_1.png", "left_2.png"},
    {12, "right_1.png", "right_2.png"},   {21, "1.0.png", "1.0_1.png"},
};

constexpr ButtonImages kBarButtons[] = {
    {1, "play_1.png", "play_2.png"},      {6, "Full_1.png", "Full_2.png"},
    {10, "Import_1.png", "Import_2.png"}, {11, "left_1.png", "left_2.png"},
    {12, "right_1.png", "right_2.png"},
};

// A left click on a slider's groove moves the thumb to that point.
class JumpingSliderStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* answer) const override {
        if (hint == SH_Slider_AbsoluteSetButtons)
            return Qt::LeftButton;
        return QProxyStyle::styleHint(hint, option, widget, answer);
    }
};

QString PlayerImage(const QString& name) {
    return "IMAGE/player/" + name;
}

QRect ToRect(const WindowRect& rect) {
    return QRect(rect.x, rect.y, rect.width, rect.height);
}

}  // namespace

void SetPlayerButtonImages(QWidget* button, const QString& first, const QString& second) {
    SetButtonImages(button, PlayerImage(first), PlayerImage(second), PlayerImage(first));
}

std::unique_ptr<PlayerWindow> PlayerWindow::Load(const std::filesystem::path& program_folder,
                                                 QSize screen) {
    const auto layout = program_folder / "Layout" / "Player.xml";
    QWidget* window = LoadLayout(QString::fromStdString(layout.string()));
    if (window == nullptr)
        return nullptr;
    return std::unique_ptr<PlayerWindow>(new PlayerWindow(window, program_folder, screen));
}

PlayerWindow::PlayerWindow(QWidget* window, std::filesystem::path program_folder, QSize screen)
    : window_(window), program_folder_(std::move(program_folder)), screen_(screen) {
    // No shadow: full screen must cover the screen exactly.
    SetFramedWindow(window, Shadow{0, 0, 0, true, QColor(0x1E, 0x1E, 0x1E)});
    EnableDragBorder(window, true);
    window->setAcceptDrops(true);
}

PlayerWindow::~PlayerWindow() = default;

QWidget* PlayerWindow::element(int id) const {
    return FindElement(window_.get(), id);
}

QWidget* PlayerWindow::bar_element(int id) const {
    return bar_ ? FindElement(bar_.get(), id) : nullptr;
}

QString PlayerWindow::Image(const char* name) const {
    return PlayerImage(QString::fromUtf8(name));
}

void PlayerWindow::SetUpElements() {
    SetElementText(element(13), QString::fromUtf8(kPlayerTitle));
    SetElementText(element(3), "00:00:00/00:00:00");
    for (const auto& button : kMainButtons)
        SetPlayerButtonImages(element(button.id), button.first, button.second);
    SetPlayerButtonImages(element(14), "you_1.png", "you_2.png");
    AddStateImage(element(14), kStatePressed, Image("you_3.png"));
    SetUpSlider(element(2), true);
    SetUpSlider(element(5), false);
    // The engine's video window, a native child, is made once the engine has loaded,
    // while this window already shows; a shown window whose first native child comes
    // late stops being repainted (Qt on X11). A hidden native child from the start
    // keeps it repainted.
    auto* anchor = new QWidget(window_.get());
    anchor->setAttribute(Qt::WA_NativeWindow);
    anchor->hide();
}

// The progress slider runs 0 to 1000, the volume slider 0 to 100; their look comes from
// the layout. A click on the groove jumps there, as in every video player.
void PlayerWindow::SetUpSlider(QWidget* element, bool progress) const {
    auto* slider = qobject_cast<QAbstractSlider*>(element);
    if (slider == nullptr)
        return;
    slider->setOrientation(Qt::Horizontal);
    slider->setRange(0, progress ? 1000 : 100);
    slider->setFixedHeight(progress ? 20 : 10);
    auto* style = new JumpingSliderStyle;
    style->setParent(slider);
    slider->setStyle(style);
}

bool PlayerWindow::BuildControlBar() {
    const auto layout = program_folder_ / "Layout" / "Player" / "FullScreenConsolWnd.xml";
    QWidget* bar = LoadLayout(QString::fromStdString(layout.string()));
    if (bar == nullptr)
        return false;
    bar_.reset(bar);
    bar->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                        Qt::WindowDoesNotAcceptFocus);
    for (const auto& button : kBarButtons)
        SetPlayerButtonImages(bar_element(button.id), button.first, button.second);
    SetElementText(bar_element(3), "00:00:00/00:00:00");
    SetUpSlider(bar_element(2), true);
    SetUpSlider(bar_element(5), false);
    bar->setGeometry(0, screen_.height() - kBarHeight, screen_.width(), kBarHeight);
    bar->hide();
    return true;
}

QRect PlayerWindow::VideoPlace() const {
    if (const QWidget* area = element(kVideoArea))
        return QRect(area->mapTo(window_.get(), QPoint(0, 0)), area->size());
    const QMargins margins = window_->layout() ? window_->layout()->contentsMargins() : QMargins();
    const QRect body = window_->rect().marginsRemoved(margins);
    return QRect(2, margins.top(), body.right() + 1 - 4, body.bottom() + 1 - margins.top());
}

void PlayerWindow::SetPlaylistWidth(int width) {
    if (QWidget* panel = element(kPlaylistPanel)) {
        panel->setFixedWidth(width);
        panel->setVisible(width > 0);
    } else if (QLayout* layout = window_->layout()) {
        QMargins margins = layout->contentsMargins();
        margins.setRight(width);
        layout->setContentsMargins(margins);
    }
    if (QLayout* layout = window_->layout())
        layout->activate();
}

void PlayerWindow::LayOut(QWidget* video) {
    if (full_screen_) {  // a video window made meanwhile covers the screen too
        PlaceVideoFullScreen(video);
        return;
    }
    if (!playlist_hidden_)
        SetPlaylistWidth(PlaylistMargin(window_->width()));
    if (video != nullptr)
        video->setGeometry(VideoPlace());
    window_->update();
}

void PlayerWindow::TogglePlaylist(QWidget* video) {
    QWidget* toggle = element(14);
    playlist_hidden_ = !playlist_hidden_;
    const char* images = playlist_hidden_ ? "zuo" : "you";
    SetPlayerButtonImages(toggle, QString("%1_1.png").arg(images), QString("%1_2.png").arg(images));
    AddStateImage(toggle, kStatePressed, Image(playlist_hidden_ ? "zuo_3.png" : "you_3.png"));
    SetChecked(toggle, playlist_hidden_);
    SetPlaylistWidth(playlist_hidden_ ? 0 : window_->width() / 5);
    LayOut(video);
}

void PlayerWindow::PlaceAtStart() {
    if (const auto place = InitialPlacement(screen_.width(), screen_.height()))
        window_->setGeometry(ToRect(*place));
}

void PlayerWindow::ToggleFullScreen(QWidget* video) {
    if (full_screen_)
        LeaveFullScreen(video);
    else
        EnterFullScreen(video);
}

void PlayerWindow::EnterFullScreen(QWidget* video) {
    full_screen_ = true;
    EnableDragBorder(window_.get(), false);
    // The window manager's full-screen state keeps the window above the others. Its
    // flags stay as they are: changing them would make a new native window and lose the
    // video window inside it.
    window_->showFullScreen();
    window_->setGeometry(0, 0, screen_.width(), screen_.height());
    PlaceVideoFullScreen(video);
}

void PlayerWindow::PlaceVideoFullScreen(QWidget* video) const {
    if (video == nullptr)
        return;
    video->setGeometry(0, 0, screen_.width(), screen_.height());
    video->raise();
}

void PlayerWindow::LeaveFullScreen(QWidget* video) {
    full_screen_ = false;
    window_->showNormal();
    window_->setGeometry(ToRect(LeavingFullScreen(screen_.width(), screen_.height())));
    if (bar_)
        bar_->hide();
    EnableDragBorder(window_.get(), true);
    LayOut(video);
}

void PlayerWindow::ShowLoading(bool loading) {
    auto* shape = qobject_cast<QLabel*>(element(19));
    if (shape != nullptr) {
        if (loading && shape->movie() == nullptr) {
            auto* movie = new QMovie(Image("PlayeryElement.gif"), {}, shape);
            shape->setMovie(movie);
            movie->start();
        } else if (!loading && shape->movie() != nullptr) {
            QMovie* movie = shape->movie();
            shape->clear();
            delete movie;
        }
        shape->setVisible(loading);
    }
    window_->update();
}

void PlayerWindow::TrackMouseInFullScreen(int screen_y) {
    if (!full_screen_ || !bar_)
        return;
    bar_->setVisible(screen_y >= screen_.height() - kBarHeight);
}

}  // namespace tessal::player
