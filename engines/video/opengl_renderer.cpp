// Render mode 1: mpv's OpenGL renderer (GPU scaling and colour conversion, hardware
// decoding where the driver offers it) into a framebuffer of an offscreen context. The
// context does not depend on the video window being shown, so the render context exists
// before the first file is loaded, as mpv requires.

#include <mpv/render_gl.h>

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>

#include "engines/video/frame_renderer.h"

namespace tessal::aplayer {
namespace {

// The GUI thread renders: it must never wait for a frame's display time.
int kNoWait = 0;

void* ProcAddress(void* /*context*/, const char* name) {
    QOpenGLContext* current = QOpenGLContext::currentContext();
    return current != nullptr ? reinterpret_cast<void*>(current->getProcAddress(name)) : nullptr;
}

class OpenGlRenderer final : public FrameRenderer {
public:
    bool Start(mpv_handle* mpv, mpv_render_update_fn update, void* data, std::string& error) {
        surface_.setFormat(context_.format());
        surface_.create();
        if (!context_.create() || !surface_.isValid() || !context_.makeCurrent(&surface_)) {
            error = "no OpenGL context";
            return false;
        }
        mpv_opengl_init_params init{ProcAddress, nullptr};
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
            {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &init},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        mpv_render_context* context = nullptr;
        const int result = mpv_render_context_create(&context, mpv, params);
        if (result < 0) {
            error = std::string("OpenGL render context: ") + mpv_error_string(result);
            context_.doneCurrent();
            return false;
        }
        Attach(context, update, data);
        context_.doneCurrent();
        return true;
    }

    ~OpenGlRenderer() override {
        // mpv frees its OpenGL objects, so its context must be current.
        const bool current = context_.isValid() && context_.makeCurrent(&surface_);
        framebuffer_.reset();
        FreeContext();
        if (current)
            context_.doneCurrent();
    }

    int mode() const override { return 1; }

    void Skip() override {
        if (!context_.makeCurrent(&surface_))
            return;
        int skip = 1;
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
            {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &kNoWait},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        mpv_render_context_render(context(), params);
        context_.doneCurrent();
    }

    QImage Render(QSize size) override {
        if (size.isEmpty() || !context_.makeCurrent(&surface_))
            return {};
        if (!framebuffer_ || framebuffer_->size() != size)
            framebuffer_ = std::make_unique<QOpenGLFramebufferObject>(size);
        mpv_opengl_fbo target{static_cast<int>(framebuffer_->handle()), size.width(), size.height(),
                              0};
        // Unflipped, mpv puts the picture's top row first in memory, which is the order a
        // QImage wants, so the read-back needs no mirroring.
        int flip_y = 0;
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_OPENGL_FBO, &target},
            {MPV_RENDER_PARAM_FLIP_Y, &flip_y},
            {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &kNoWait},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        QImage image;
        if (mpv_render_context_render(context(), params) >= 0)
            image = framebuffer_->toImage(false);
        context_.doneCurrent();
        return image;
    }

private:
    QOpenGLContext context_;
    QOffscreenSurface surface_;
    std::unique_ptr<QOpenGLFramebufferObject> framebuffer_;
};

}  // namespace

std::unique_ptr<FrameRenderer> MakeOpenGlRenderer(mpv_handle* mpv, mpv_render_update_fn update,
                                                  void* data, std::string& error) {
    auto renderer = std::make_unique<OpenGlRenderer>();
    if (!renderer->Start(mpv, update, data, error))
        return nullptr;
    return renderer;
}

}  // namespace tessal::aplayer
