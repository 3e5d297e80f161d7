#pragma once

// The video window: a native child window of the player's main window that paints the
// current video frame, or the custom logo on black while no frame is shown, and passes
// its keyboard and mouse input to the player's message callback as Windows messages.

#include <QImage>
#include <QWidget>
#include <cstddef>
#include <functional>

#include "engines/video/aplayer.h"

namespace tessal::aplayer {

class VideoWindow final : public QWidget {
public:
    VideoWindow(QWidget* parent, APlayerMessageCallback on_message);

    // Draws a frame straight into `pixels` (`size`, `stride` bytes a line) of
    // QImage::Format_RGB32; false when it cannot.
    using FrameSource = std::function<bool(void* pixels, QSize size, std::size_t stride)>;

    void ShowFrame(QImage frame);
    // Render mode 2: the frame is drawn by `source` when the window paints, straight into
    // the window's own pixels, which spares a copy of every frame. Null: frames come
    // through ShowFrame.
    void SetFrameSource(FrameSource source) { source_ = std::move(source); }
    // The source has a new frame; it is drawn at the next repaint.
    void ShowSourceFrame();
    void ClearFrame();
    bool HasFrame() const { return live_ || !frame_.isNull(); }
    // Whether a repaint reaches the screen now: shown, and not minimised or unmapped.
    bool Showing() const;
    // Loads the logo; false (and no logo) for a null path or an unreadable picture.
    bool SetLogo(const char* image_path);
    // Runs after every resize, so the engine can draw the frame at the new size.
    void SetResizeHandler(std::function<void()> handler) { on_resize_ = std::move(handler); }
    // Removes the window for good: no callback from now on; deleted at once, or as soon
    // as it is back from its own input handler when the player's message callback is
    // what destroys the engine.
    void Remove();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void Send(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam);
    void SendMouse(std::uint32_t message, QMouseEvent* event);
    void PaintLogo(class QPainter& painter);
    bool PaintFromSource(class QPainter& painter);
    bool DrawIntoDevice(class QPainter& painter);
    void TraceFirstFrame();

    APlayerMessageCallback on_message_;
    int sending_ = 0;  // depth of message callbacks running
    std::function<void()> on_resize_;
    QImage frame_;
    FrameSource source_;
    bool live_ = false;                 // the source has a frame to draw
    bool first_frame_painted_ = false;  // since the last ClearFrame, i.e. of this file
    QImage logo_;
};

}  // namespace tessal::aplayer
