#include "engines/video/video_window.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "common/base/trace.h"
#include "engines/video/window_messages.h"

namespace tessal::aplayer {

VideoWindow::VideoWindow(QWidget* parent, APlayerMessageCallback on_message)
    : QWidget(parent), on_message_(on_message) {
    // A window of its own, as the player places and shows it like one.
    setAttribute(Qt::WA_NativeWindow);
    // Every pixel is painted each time: no background fill, no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

void VideoWindow::ShowFrame(QImage frame) {
    frame_ = std::move(frame);
    update();
}

void VideoWindow::ClearFrame() {
    frame_ = QImage();
    first_frame_painted_ = false;
    update();
}

bool VideoWindow::SetLogo(const char* image_path) {
    logo_ = image_path != nullptr ? QImage(QString::fromUtf8(image_path)) : QImage();
    update();
    return !logo_.isNull();
}

void VideoWindow::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (frame_.isNull()) {
        painter.fillRect(rect(), Qt::black);
        PaintLogo(painter);
        return;
    }
    if (frame_.size() == size()) {
        painter.drawImage(0, 0, frame_);
    } else {
        // A frame of the size before a resize, until mpv draws the next one.
        painter.fillRect(rect(), Qt::black);
        painter.drawImage(rect(), frame_);
    }
    if (!first_frame_painted_) {
        first_frame_painted_ = true;
        // The moment a file's picture appears, which benchmarks time a start by.
        Trace("aplayer: first frame");
    }
}

void VideoWindow::PaintLogo(QPainter& painter) {
    if (logo_.isNull())
        return;
    // Centred at its own size; scaled down, keeping its proportions, when it is larger.
    QSize shown = logo_.size();
    if (shown.width() > width() || shown.height() > height())
        shown.scale(size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - shown.width()) / 2, (height() - shown.height()) / 2),
                       shown);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, logo_);
}

void VideoWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (on_resize_)
        on_resize_();
}

void VideoWindow::keyPressEvent(QKeyEvent* event) {
    if (const auto key = VirtualKeyOf(event->key()))
        Send(kAPlayerWmKeyDown, *key, 0);
    if (const auto character = CharacterOf(event->key(), event->text()))
        Send(kAPlayerWmChar, *character, 0);
}

void VideoWindow::keyReleaseEvent(QKeyEvent* event) {
    // A held key sends one key-up, when it is let go, not one per repeat.
    if (event->isAutoRepeat())
        return;
    if (const auto key = VirtualKeyOf(event->key()))
        Send(kAPlayerWmKeyUp, *key, 0);
}

void VideoWindow::mouseMoveEvent(QMouseEvent* event) {
    SendMouse(kAPlayerWmMouseMove, event);
}

void VideoWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        SendMouse(kAPlayerWmLButtonDown, event);
    else if (event->button() == Qt::RightButton)
        SendMouse(kAPlayerWmRButtonDown, event);
}

void VideoWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        SendMouse(kAPlayerWmLButtonUp, event);
    else if (event->button() == Qt::RightButton)
        SendMouse(kAPlayerWmRButtonUp, event);
}

void VideoWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        SendMouse(kAPlayerWmLButtonDblClk, event);
}

void VideoWindow::SendMouse(std::uint32_t message, QMouseEvent* event) {
    Send(message, ButtonFlagsOf(event->buttons()), PointParameter(event->position().toPoint()));
}

void VideoWindow::Send(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) {
    if (on_message_ == nullptr)
        return;
    ++sending_;
    on_message_(message, wparam, lparam);
    --sending_;
}

void VideoWindow::Remove() {
    on_message_ = nullptr;
    on_resize_ = nullptr;
    hide();
    if (sending_ > 0)
        deleteLater();
    else
        delete this;
}

}  // namespace tessal::aplayer
