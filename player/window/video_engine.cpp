#include "player/window/video_engine.h"

namespace tessal::player {
namespace {

// The engine's callbacks carry no context; they reach the engine made last. Only the
// GUI thread makes, destroys and receives, so the pointer needs no lock.
VideoEngine* receiving = nullptr;

}  // namespace

VideoEngine::VideoEngine(const APlayerLoader& loader) : functions_(loader.functions()) {}

VideoEngine::~VideoEngine() {
    Destroy();
}

bool VideoEngine::Create(QWidget* parent, const QRect& place, StateHandler on_state,
                         MessageHandler on_message) {
    if (functions_.APlayer_Create == nullptr || handle_ != nullptr)
        return false;
    on_state_ = std::move(on_state);
    on_message_ = std::move(on_message);
    receiving = this;
    handle_ = functions_.APlayer_Create(parent, place.x(), place.y(), place.width(), place.height(),
                                        &VideoEngine::OnMessage, &VideoEngine::OnState, nullptr,
                                        nullptr, nullptr, nullptr, nullptr, nullptr);
    if (handle_ == nullptr && receiving == this)
        receiving = nullptr;
    return handle_ != nullptr;
}

QWidget* VideoEngine::Window() const {
    return made() ? static_cast<QWidget*>(functions_.APlayer_GetWindow(handle_)) : nullptr;
}

int VideoEngine::Open(const std::string& path) const {
    return made() ? functions_.APlayer_OpenA(handle_, path.c_str()) : -1;
}

int VideoEngine::Close() const {
    return made() ? functions_.APlayer_Close(handle_) : -1;
}

int VideoEngine::Play() const {
    return made() ? functions_.APlayer_Play(handle_) : -1;
}

int VideoEngine::Pause() const {
    return made() ? functions_.APlayer_Pause(handle_) : -1;
}

int VideoEngine::SetPosition(int position_ms) const {
    return made() ? functions_.APlayer_SetPosition(handle_, position_ms) : -1;
}

int VideoEngine::SetVolume(int volume) const {
    return made() ? functions_.APlayer_SetVolume(handle_, volume) : -1;
}

int VideoEngine::SetConfig(int item, const std::string& value) const {
    return made() ? functions_.APlayer_SetConfigA(handle_, item, value.c_str()) : -1;
}

bool VideoEngine::SetCustomLogo(const std::string& image_path) const {
    return made() && functions_.APlayer_SetCustomLogo(handle_, image_path.c_str()) == 1;
}

int VideoEngine::State() const {
    return made() ? functions_.APlayer_GetState(handle_) : 0;
}

int VideoEngine::Duration() const {
    return made() ? functions_.APlayer_GetDuration(handle_) : 0;
}

int VideoEngine::Position() const {
    return made() ? functions_.APlayer_GetPosition(handle_) : 0;
}

std::string VideoEngine::Config(int item) const {
    if (!made())
        return {};
    const char* value = functions_.APlayer_GetConfigA(handle_, item);
    return value != nullptr ? std::string(value) : std::string();
}

void VideoEngine::Destroy() {
    if (!made())
        return;
    functions_.APlayer_Close(handle_);
    functions_.APlayer_Destroy(handle_);  // the final states arrive here
    handle_ = nullptr;
    if (receiving == this)
        receiving = nullptr;
}

void VideoEngine::OnState(std::int32_t, std::int32_t state) {
    if (receiving != nullptr && receiving->on_state_)
        receiving->on_state_(state);
}

std::intptr_t VideoEngine::OnMessage(std::uint32_t message, std::uintptr_t wparam,
                                     std::intptr_t lparam) {
    if (receiving != nullptr && receiving->on_message_)
        receiving->on_message_(message, wparam, lparam);
    return 0;
}

}  // namespace tessal::player
