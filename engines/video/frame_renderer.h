#pragma once

// The two render paths of the video window, both over mpv's render API. Each owns one
// mpv render context and draws the current video frame, scaled and letterboxed by mpv,
// into an image that the video window paints. Only the GUI thread uses a renderer.

#include <mpv/client.h>
#include <mpv/render.h>

#include <QImage>
#include <QSize>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tessal::aplayer {

class FrameRenderer {
public:
    virtual ~FrameRenderer() = default;
    FrameRenderer(const FrameRenderer&) = delete;
    FrameRenderer& operator=(const FrameRenderer&) = delete;

    // The render mode this renderer serves (1 OpenGL, 2 software).
    virtual int mode() const = 0;
    // The current frame at `size`; a null image when rendering failed.
    virtual QImage Render(QSize size) = 0;
    // The current frame drawn straight into `pixels` (`size`, `stride` bytes a line) of
    // QImage::Format_RGB32; false when this renderer cannot or rendering failed.
    virtual bool RenderInto(void* /*pixels*/, QSize /*size*/, std::size_t /*stride*/) {
        return false;
    }
    // Takes the due frame without drawing it: mpv's video output waits until each frame
    // it hands over was taken, and would hold up the next file otherwise.
    virtual void Skip() = 0;
    // mpv_render_context_update: MPV_RENDER_UPDATE_FRAME when a new frame is due.
    std::uint64_t Update();

protected:
    FrameRenderer() = default;
    // `update` runs on mpv's threads when a frame is due; it may only queue work.
    void Attach(mpv_render_context* context, mpv_render_update_fn update, void* data);
    mpv_render_context* context() const { return context_; }
    // Frees the render context; the OpenGL path calls it with its context current.
    void FreeContext();

private:
    mpv_render_context* context_ = nullptr;
};

// mpv's software renderer into memory: no OpenGL needed.
std::unique_ptr<FrameRenderer> MakeSoftwareRenderer(mpv_handle* mpv, mpv_render_update_fn update,
                                                    void* data, std::string& error);
// mpv's OpenGL renderer on an offscreen context of the GUI thread, read back for
// painting; null with `error` when no OpenGL context can be made.
std::unique_ptr<FrameRenderer> MakeOpenGlRenderer(mpv_handle* mpv, mpv_render_update_fn update,
                                                  void* data, std::string& error);

}  // namespace tessal::aplayer
