#include "engines/video/video_window.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QWindow>

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

void VideoWindow::ShowSourceFrame() {
    live_ = true;
    update();
}

bool VideoWindow::Showing() const {
    const QWindow* surface = windowHandle() != nullptr ? windowHandle() : window()->windowHandle();
    return isVisible() && surface != nullptr && surface->isExposed();
}

void VideoWindow::ClearFrame() {
    live_ = false;
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
    if (live_ && source_ && PaintFromSource(painter)) {
        TraceFirstFrame();
        return;
    }
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
    TraceFirstFrame();
}

void VideoWindow::TraceFirstFrame() {
    if (first_frame_painted_)
        return;
    first_frame_painted_ = true;
    // The moment a file's picture appears, which benchmarks time a start by.
    Trace("aplayer: first frame");
}

bool VideoWindow::PaintFromSource(QPainter& painter) {
    if (DrawIntoDevice(painter))
        return true;
    // Pixels of another kind (a scaled window, another depth): through a frame of its own.
    if (frame_.size() != size() || frame_.format() != QImage::Format_RGB32)
        frame_ = QImage(size(), QImage::Format_RGB32);
    if (frame_.isNull() ||
        !source_(frame_.bits(), size(), static_cast<std::size_t>(frame_.bytesPerLine())))
        return false;
    painter.drawImage(0, 0, frame_);
    return true;
}

// The window's pixels are those of its top-level window's backing store, a 32-bit
// image in the usual case; the source draws its opaque frame at this window's place in
// it.
bool VideoWindow::DrawIntoDevice(QPainter& painter) {
    QPaintEngine* engine = painter.paintEngine();
    auto* device = engine != nullptr ? dynamic_cast<QImage*>(engine->paintDevice()) : nullptr;
    const QTransform transform = painter.deviceTransform();
    if (device == nullptr || transform.type() > QTransform::TxTranslate ||
        (device->format() != QImage::Format_RGB32 &&
         device->format() != QImage::Format_ARGB32_Premultiplied))
        return false;
    const QRect target = transform.mapRect(rect());
    if (target.isEmpty() || !device->rect().contains(target))
        return false;
    const auto stride = static_cast<std::size_t>(device->bytesPerLine());
    // constBits: the backing store's image is written in place, never detached.
    auto* pixels = const_cast<uchar*>(device->constBits()) + target.y() * stride +
                   static_cast<std::size_t>(target.x()) * 4;
    return source_(pixels, target.size(), stride);
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
    source_ = nullptr;
    on_message_ = nullptr;
    on_resize_ = nullptr;
    hide();
    if (sending_ > 0)
        deleteLater();
    else
        delete this;
}

}  // namespace tessal::aplayer
