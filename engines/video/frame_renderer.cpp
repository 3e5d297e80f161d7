#include "engines/video/frame_renderer.h"

namespace tessal::aplayer {

std::uint64_t FrameRenderer::Update() {
    return context_ != nullptr ? mpv_render_context_update(context_) : 0;
}

void FrameRenderer::Attach(mpv_render_context* context, mpv_render_update_fn update, void* data) {
    context_ = context;
    mpv_render_context_set_update_callback(context_, update, data);
}

void FrameRenderer::FreeContext() {
    if (context_ == nullptr)
        return;
    // After this returns mpv makes no more update calls, so nothing is queued for a
    // renderer that is gone.
    mpv_render_context_set_update_callback(context_, nullptr, nullptr);
    mpv_render_context_free(context_);
    context_ = nullptr;
}

}  // namespace tessal::aplayer
