// Render mode 2: mpv scales and converts on the CPU, straight into the window's own
// pixels when it paints (no copy), else into a 64-byte aligned buffer that a QImage
// shares.

#include <cstdlib>
#include <cstring>

#include "engines/video/frame_renderer.h"

namespace tessal::aplayer {
namespace {

// The GUI thread renders: it must never wait for a frame's display time.
int kNoWait = 0;

constexpr std::size_t kAlignment = 64;

void FreeAligned(void* data) {
    std::free(data);
}

// Little-endian "bgra" and "bgr0" are QImage's native 32-bit layout.
QImage AlignedImage(QSize size) {
    const auto width = static_cast<std::size_t>(size.width());
    const auto stride = (width * 4 + kAlignment - 1) / kAlignment * kAlignment;
    const auto bytes = stride * static_cast<std::size_t>(size.height());
    void* data = std::aligned_alloc(kAlignment, bytes);
    if (data == nullptr)
        return {};
    std::memset(data, 0, bytes);
    return QImage(static_cast<uchar*>(data), size.width(), size.height(),
                  static_cast<qsizetype>(stride), QImage::Format_RGB32, FreeAligned, data);
}

class SoftwareRenderer final : public FrameRenderer {
public:
    bool Start(mpv_handle* mpv, mpv_render_update_fn update, void* data, std::string& error) {
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        mpv_render_context* context = nullptr;
        const int result = mpv_render_context_create(&context, mpv, params);
        if (result < 0) {
            error = std::string("software render context: ") + mpv_error_string(result);
            return false;
        }
        Attach(context, update, data);
        return true;
    }

    ~SoftwareRenderer() override { FreeContext(); }

    int mode() const override { return 2; }

    void Skip() override {
        int skip = 1;
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
            {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &kNoWait},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        mpv_render_context_render(context(), params);
    }

    QImage Render(QSize size) override {
        if (size.isEmpty())
            return {};
        if (image_.size() != size)
            image_ = AlignedImage(size);
        // constBits: writing through the shared buffer must not detach the image.
        if (image_.isNull() || !RenderInto(const_cast<uchar*>(image_.constBits()), size,
                                           static_cast<std::size_t>(image_.bytesPerLine())))
            return {};
        return image_;
    }

    // "bgra" gives opaque pixels, right for either 32-bit image; an mpv that refuses it
    // (not one of its documented formats) gets "bgr0", whose fourth byte is 0.
    bool RenderInto(void* pixels, QSize size, std::size_t stride) override {
        if (size.isEmpty() || pixels == nullptr)
            return false;
        if (!bgr0_only_ && RenderAs("bgra", pixels, size, stride))
            return true;
        bgr0_only_ = true;
        return RenderAs("bgr0", pixels, size, stride);
    }

private:
    bool RenderAs(const char* pixel_format, void* pixels, QSize size, std::size_t stride) {
        int mpv_size[2] = {size.width(), size.height()};
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_SW_SIZE, mpv_size},
            {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>(pixel_format)},
            {MPV_RENDER_PARAM_SW_STRIDE, &stride},
            {MPV_RENDER_PARAM_SW_POINTER, pixels},
            {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &kNoWait},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        return mpv_render_context_render(context(), params) >= 0;
    }

    QImage image_;
    bool bgr0_only_ = false;
};

}  // namespace

std::unique_ptr<FrameRenderer> MakeSoftwareRenderer(mpv_handle* mpv, mpv_render_update_fn update,
                                                    void* data, std::string& error) {
    auto renderer = std::make_unique<SoftwareRenderer>();
    if (!renderer->Start(mpv, update, data, error))
        return nullptr;
    return renderer;
}

}  // namespace tessal::aplayer
