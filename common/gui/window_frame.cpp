#include "common/gui/window_frame.h"

#include <QFrame>
#include <QLayout>
#include <QMouseEvent>
#include <QPainterPath>

namespace tessal::gui {
namespace {

constexpr int kBorderGripPixels = 5;

WindowFrame* FrameOf(const QWidget* window) {
    return window ? window->findChild<WindowFrame*>(QString(), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

// Only the window's own background (or a plain label on it) starts a drag: controls
// keep their clicks.
bool IsBackground(const QWidget* window, const QWidget* hit) {
    if (hit == nullptr || hit == window || hit->inherits("QLabel"))
        return true;
    // Plain panels and layout elements.
    return hit->metaObject() == &QWidget::staticMetaObject ||
           hit->metaObject() == &QFrame::staticMetaObject;
}

}  // namespace

void SetFramedWindow(QWidget* window, const Shadow& shadow) {
    if (window == nullptr)
        return;
    WindowFrame* frame = FrameOf(window);
    const int old_margin = frame ? frame->shadow().size : 0;
    if (frame == nullptr)
        frame = new WindowFrame(window, shadow);
    frame->SetShadow(shadow);
    window->setWindowFlag(Qt::FramelessWindowHint, true);
    // Only a shadow or round corners need see-through pixels; an opaque window is
    // cheaper to repaint (the video window repaints 25 times a second and more).
    window->setAttribute(Qt::WA_TranslucentBackground, shadow.size > 0 || !shadow.right_angled);
    const int grow = shadow.size - old_margin;
    if (QLayout* layout = window->layout()) {
        const QMargins margins = layout->contentsMargins();
        layout->setContentsMargins(margins + QMargins(grow, grow, grow, grow));
    } else {
        // Elements placed by position keep their place on the content.
        for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            child->move(child->pos() + QPoint(grow, grow));
    }
    window->resize(window->size() + QSize(2 * grow, 2 * grow));
    window->update();
}

int ShadowMargin(const QWidget* window) {
    const WindowFrame* frame = FrameOf(window);
    return frame ? frame->shadow().size : 0;
}

void EnableDragBorder(QWidget* window, bool enabled) {
    if (WindowFrame* frame = FrameOf(window))
        frame->SetDragBorder(enabled);
}

bool SetFrameBackground(QWidget* window, const QString& path) {
    WindowFrame* frame = FrameOf(window);
    if (frame == nullptr)
        return false;
    frame->SetBackground(path);
    window->update();
    return true;
}

void WindowFrame::SetBackground(const QString& path) {
    background_ = path.isEmpty() ? QPixmap() : QPixmap(path);
}

WindowFrame::WindowFrame(QWidget* window, const Shadow& shadow)
    : QObject(window), window_(window), shadow_(shadow) {
    window_->setMouseTracking(true);
    window_->installEventFilter(this);
}

bool WindowFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_)
        return false;
    switch (event->type()) {
        case QEvent::Paint:
            Paint();
            return false;  // the window's own painting and its children come next
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            return mouse->button() == Qt::LeftButton &&
                   Press(mouse->position().toPoint(), mouse->globalPosition().toPoint());
        }
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            return Move(mouse->position().toPoint(), mouse->globalPosition().toPoint(),
                        mouse->buttons() & Qt::LeftButton);
        }
        case QEvent::MouseButtonRelease:
            dragging_ = false;
            grabbed_edges_ = 0;
            return false;
        default:
            return false;
    }
}

// A translucent window paints no background of its own: the frame paints the shadow
// and the background image inside it.
void WindowFrame::Paint() {
    QPainter painter(window_);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const int size = std::max(shadow_.size, 0);
    const QRectF content = QRectF(window_->rect()).adjusted(size, size, -size, -size);
    PaintShadow(painter, content);
    if (background_.isNull())
        return;
    QPainterPath clip;
    const double radius = shadow_.right_angled ? 0 : shadow_.angle;
    clip.addRoundedRect(content, radius, radius);
    painter.setClipPath(clip);
    painter.drawPixmap(content, background_, QRectF(background_.rect()));
}

// Rings of fading colour from the content outwards.
void WindowFrame::PaintShadow(QPainter& painter, const QRectF& content) {
    for (int ring = 1; ring <= shadow_.size; ++ring) {
        QColor colour = shadow_.colour;
        const double fade = 1.0 - double(ring - 1) / shadow_.size;
        colour.setAlpha(int(shadow_.depth * fade * fade * 0.35));
        painter.setPen(QPen(colour, 1));
        const double radius = shadow_.right_angled ? 0 : shadow_.angle + ring;
        painter.drawRoundedRect(content.adjusted(-ring + 0.5, -ring + 0.5, ring - 0.5, ring - 0.5),
                                radius, radius);
    }
}

int WindowFrame::EdgesAt(QPoint point) const {
    if (!drag_border_)
        return 0;
    const int grip = shadow_.size + kBorderGripPixels;
    const QRect area = window_->rect();
    int edges = 0;
    if (point.x() < grip)
        edges |= kLeft;
    if (point.x() >= area.width() - grip)
        edges |= kRight;
    if (point.y() < grip)
        edges |= kTop;
    if (point.y() >= area.height() - grip)
        edges |= kBottom;
    return edges;
}

bool WindowFrame::Press(QPoint local, QPoint global) {
    grabbed_edges_ = EdgesAt(local);
    dragging_ = grabbed_edges_ == 0 && IsBackground(window_, window_->childAt(local));
    press_global_ = global;
    press_geometry_ = window_->geometry();
    return grabbed_edges_ != 0 || dragging_;
}

bool WindowFrame::Move(QPoint local, QPoint global, bool button_down) {
    if (!button_down) {
        UpdateCursor(EdgesAt(local));
        return false;
    }
    const QPoint delta = global - press_global_;
    if (dragging_) {
        window_->move(press_geometry_.topLeft() + delta);
        return true;
    }
    if (grabbed_edges_ == 0)
        return false;
    QRect geometry = press_geometry_;
    const QSize least = window_->minimumSizeHint().expandedTo(window_->minimumSize());
    if (grabbed_edges_ & kLeft)
        geometry.setLeft(
            std::min(geometry.left() + delta.x(), geometry.right() - least.width() + 1));
    if (grabbed_edges_ & kRight)
        geometry.setRight(
            std::max(geometry.right() + delta.x(), geometry.left() + least.width() - 1));
    if (grabbed_edges_ & kTop)
        geometry.setTop(
            std::min(geometry.top() + delta.y(), geometry.bottom() - least.height() + 1));
    if (grabbed_edges_ & kBottom)
        geometry.setBottom(
            std::max(geometry.bottom() + delta.y(), geometry.top() + least.height() - 1));
    window_->setGeometry(geometry);
    return true;
}

void WindowFrame::UpdateCursor(int edges) {
    const bool horizontal = edges & (kLeft | kRight);
    const bool vertical = edges & (kTop | kBottom);
    if (horizontal && vertical) {
        const bool falling = (edges & kLeft && edges & kTop) || (edges & kRight && edges & kBottom);
        window_->setCursor(falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor);
    } else if (horizontal) {
        window_->setCursor(Qt::SizeHorCursor);
    } else if (vertical) {
        window_->setCursor(Qt::SizeVerCursor);
    } else {
        window_->unsetCursor();
    }
}

}  // namespace tessal::gui
