#pragma once

// The frame of the system's windows: no title bar, a soft shadow around the content,
// dragged by its background, and, where a window asks for it, resized by its border.

#include <QColor>
#include <QObject>
#include <QPainter>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QWidget>

namespace tessal::gui {

struct Shadow {
    int size = 3;     // pixels of shadow around the content
    int depth = 255;  // opacity of the innermost ring
    int angle = 3;    // corner radius of the content
    bool right_angled = false;
    QColor colour{0x1E, 0x1E, 0x1E};
};

// Makes `window` a frameless top-level window with `shadow`; its content keeps its size,
// the window grows by the shadow on every side. Calling it again replaces the shadow.
void SetFramedWindow(QWidget* window, const Shadow& shadow);

// Pixels the shadow takes on each side of `window`; 0 for other widgets.
int ShadowMargin(const QWidget* window);

// Lets the member resize `window` by dragging its border.
void EnableDragBorder(QWidget* window, bool enabled);

// The background image of a framed window, stretched over its content inside the
// shadow; an empty path clears it. False when `window` has no frame.
bool SetFrameBackground(QWidget* window, const QString& path);

// Paints the shadow and moves or resizes the window on the mouse. One per window, owned
// by it; used only through the functions above.
class WindowFrame : public QObject {
    Q_OBJECT
public:
    WindowFrame(QWidget* window, const Shadow& shadow);
    void SetShadow(const Shadow& shadow) { shadow_ = shadow; }
    const Shadow& shadow() const { return shadow_; }
    void SetDragBorder(bool enabled) { drag_border_ = enabled; }
    void SetBackground(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum Edge { kLeft = 1, kRight = 2, kTop = 4, kBottom = 8 };
    void Paint();
    void PaintShadow(QPainter& painter, const QRectF& content);
    int EdgesAt(QPoint point) const;
    bool Press(QPoint local, QPoint global);
    bool Move(QPoint local, QPoint global, bool button_down);
    void UpdateCursor(int edges);

    QWidget* window_;
    Shadow shadow_;
    bool drag_border_ = false;
    int grabbed_edges_ = 0;
    bool dragging_ = false;
    QPoint press_global_;
    QRect press_geometry_;
    QPixmap background_;
};

}  // namespace tessal::gui
