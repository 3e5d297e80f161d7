#pragma once

// The video window: a native child window of the player's main window that paints the
// current video frame, or the custom logo on black while no frame is shown, and passes
// its keyboard and mouse input to the player's message callback as Windows messages.

#include <QImage>
#include <QWidget>
#include <functional>

#include "engines/video/aplayer.h"

namespace tessal::aplayer {

class VideoWindow final : public QWidget {
public:
    VideoWindow(QWidget* parent, APlayerMessageCallback on_message);

    void ShowFrame(QImage frame);
    void ClearFrame();
    bool HasFrame() const { return !frame_.isNull(); }
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

    APlayerMessageCallback on_message_;
    int sending_ = 0;  // depth of message callbacks running
    std::function<void()> on_resize_;
    QImage frame_;
    bool first_frame_painted_ = false;  // since the last ClearFrame, i.e. of this file
    QImage logo_;
};

}  // namespace tessal::aplayer
