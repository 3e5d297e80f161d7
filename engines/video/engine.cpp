#include "engines/video/engine.h"

#include <algorithm>
#include <vector>

#include "engines/video/mpv_session.h"

namespace tessal::aplayer {
namespace {

constexpr int kPositionPollMs = 100;

}  // namespace

std::unique_ptr<Engine> Engine::Create(QWidget* parent, QRect geometry,
                                       APlayerMessageCallback on_message, EngineValues& values,
                                       StateQueue& states, std::string& error) {
    mpv_handle* mpv = CreateMpvSession(error);
    if (mpv == nullptr)
        return nullptr;
    auto* window = new VideoWindow(parent, on_message);
    std::unique_ptr<Engine> engine(new Engine(mpv, window, values, states));
    engine->SetGeometry(geometry);
    window->show();
    return engine;
}

Engine::Engine(mpv_handle* mpv, VideoWindow* window, EngineValues& values, StateQueue& states)
    : mpv_(mpv), window_(window), values_(values), states_(states) {
    window->SetResizeHandler([this] { RenderFrame(); });
    // Used only while a renderer that draws into pixels (mode 2) has a frame to show.
    window->SetFrameSource([this](void* pixels, QSize size, std::size_t stride) {
        return renderer_ && renderer_->RenderInto(pixels, size, stride);
    });
    position_poll_.setInterval(kPositionPollMs);
    connect(&position_poll_, &QTimer::timeout, this, [this] { PollPosition(); });
    ObserveProperties();
    mpv_set_wakeup_callback(mpv_, OnWakeup, this);
}

Engine::~Engine() {
    // Once these return, mpv's threads call nothing of ours any more; work they queued
    // for this object is dropped with it.
    mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
    if (window_)
        window_->SetFrameSource(nullptr);
    renderer_.reset();
    mpv_terminate_destroy(mpv_);
    if (window_)
        window_->Remove();
}

void Engine::ObserveProperties() {
    mpv_observe_property(mpv_, kDuration, "duration", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv_, kPause, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(mpv_, kSeeking, "seeking", MPV_FORMAT_FLAG);
    mpv_observe_property(mpv_, kVideoWidth, "width", MPV_FORMAT_INT64);
    mpv_observe_property(mpv_, kVideoHeight, "height", MPV_FORMAT_INT64);
    mpv_observe_property(mpv_, kBuffering, "cache-buffering-state", MPV_FORMAT_INT64);
}

// The position is asked for while a file is open rather than observed: mpv reports
// time-pos at every frame, and handling those reports took some 6 % of the engine's CPU
// during playback, while the player reads the position once a second. The reply
// arrives as an event like a change.
void Engine::PollPosition() {
    mpv_get_property_async(mpv_, kTimePosition, "time-pos", MPV_FORMAT_DOUBLE);
}

// mpv's event thread: queue one drain for the GUI thread, never call mpv from here.
void Engine::OnWakeup(void* data) {
    auto* self = static_cast<Engine*>(data);
    if (self->drain_queued_.exchange(true))
        return;
    QMetaObject::invokeMethod(
        self,
        [self] {
            self->drain_queued_ = false;
            self->DrainEvents();
        },
        Qt::QueuedConnection);
}

// mpv's video thread: queue one render for the GUI thread.
void Engine::OnRenderUpdate(void* data) {
    auto* self = static_cast<Engine*>(data);
    if (self->render_queued_.exchange(true))
        return;
    QMetaObject::invokeMethod(
        self,
        [self] {
            self->render_queued_ = false;
            self->OnFrameDue();
        },
        Qt::QueuedConnection);
}

void Engine::OnFrameDue() {
    if (!renderer_ || !(renderer_->Update() & MPV_RENDER_UPDATE_FRAME))
        return;
    const int state = snapshot().state;
    // A closing file's last frames are taken but not shown: the window shows the logo.
    if (state == kAPlayerClosed || state == kAPlayerClosing) {
        renderer_->Skip();
        return;
    }
    RenderFrame();
    // mpv waits for each frame to be taken; a window that does not paint now (hidden,
    // minimised) draws the current one when it paints again.
    if (DrawsWhenPainting() && !window_->Showing())
        renderer_->Skip();
}

void Engine::RenderFrame() {
    if (!renderer_ || !window_)
        return;
    const int state = snapshot().state;
    if (state == kAPlayerClosed || state == kAPlayerClosing)
        return;
    if (DrawsWhenPainting()) {
        window_->ShowSourceFrame();
        return;
    }
    QImage frame = renderer_->Render(window_->size());
    if (!frame.isNull())
        window_->ShowFrame(std::move(frame));
}

// Render mode 2 draws in the window's paint, straight into its pixels.
bool Engine::DrawsWhenPainting() const {
    return renderer_ && renderer_->mode() == kRenderModeSoftware && window_;
}

void Engine::ChangeState(int state) {
    int previous = 0;
    values_.Update([&](EngineSnapshot& values) {
        previous = values.state;
        values.state = state;
    });
    if (previous == state)
        return;
    if ((state == kAPlayerClosed || state == kAPlayerClosing) && window_)
        window_->ClearFrame();
    states_.Push(previous, state);
}

bool Engine::EnsureRenderer() {
    const int wanted = snapshot().render_mode;
    const int effective =
        wanted == kRenderModeOpenGl && opengl_failed_ ? kRenderModeSoftware : wanted;
    if (renderer_ && renderer_->mode() == effective)
        return true;
    renderer_.reset();
    std::string error;
    if (effective == kRenderModeOpenGl) {
        renderer_ = MakeOpenGlRenderer(mpv_, OnRenderUpdate, this, error);
        opengl_failed_ = !renderer_;
    }
    if (!renderer_)
        renderer_ = MakeSoftwareRenderer(mpv_, OnRenderUpdate, this, error);
    const bool hardware = renderer_ && renderer_->mode() == kRenderModeOpenGl;
    const char* hwdec[] = {"set", "hwdec", hardware ? "auto-safe" : "no", nullptr};
    mpv_command_async(mpv_, 0, hwdec);
    return renderer_ != nullptr;
}

int Engine::Command(std::initializer_list<const char*> words, std::uint64_t reply_id) {
    std::vector<const char*> command(words);
    command.push_back(nullptr);
    return mpv_command_async(mpv_, reply_id, command.data());
}

// mpv refuses a command while its queue of replies is full (the GUI thread has not
// drained it for a while); the stop is asked again once the queue was drained, since
// the file would otherwise never reach 0.
void Engine::Stop() {
    if (Command({"stop"}, kStopCommand) >= 0)
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            const int state = snapshot().state;
            if (state == kAPlayerClosing || (state == kAPlayerOpening && close_while_opening_))
                Stop();
        },
        Qt::QueuedConnection);
}

int Engine::SetFlag(const char* name, bool value) {
    int flag = value ? 1 : 0;
    return mpv_set_property_async(mpv_, 0, name, MPV_FORMAT_FLAG, &flag);
}

int Engine::SetDouble(const char* name, double value) {
    return mpv_set_property_async(mpv_, 0, name, MPV_FORMAT_DOUBLE, &value);
}

int Engine::Open(const std::string& path) {
    if (path.empty() || snapshot().state != kAPlayerClosed || !EnsureRenderer())
        return -1;
    values_.Update([](EngineSnapshot& values) {
        values.duration_ms = 0;
        values.position_ms = 0;
        values.video_width = 0;
        values.video_height = 0;
        values.seeking = false;
        values.buffer_percent = 0;
    });
    file_started_ = false;
    close_while_opening_ = false;
    refusal_.clear();
    closed_by_player_ = false;
    file_loaded_ = false;
    duration_known_ = false;
    seek_pending_ = false;
    ChangeState(kAPlayerOpening);
    // A file closed while paused leaves mpv paused; every file starts playing.
    SetFlag("pause", false);
    const int refused = Command({"loadfile", path.c_str(), "replace"}, kLoadCommand);
    // A refusal ends the open from the event loop, as a refusing reply of mpv would.
    if (refused < 0)
        QMetaObject::invokeMethod(
            this, [this, refused] { OnLoadReply(refused); }, Qt::QueuedConnection);
    return 0;
}

int Engine::Close() {
    const int state = snapshot().state;
    if (state == kAPlayerClosed || state == kAPlayerClosing)
        return -1;
    // The player's close is final: however mpv then ends the file, it was not seen to
    // its end, so the player does not move on to the next lesson.
    closed_by_player_ = true;
    // While opening there is no position worth saving, so no 6: the end-file event, or
    // the stop's reply when mpv never started the file, takes the engine straight to 0.
    // The stop goes at once: mpv abandons an open that waits for the network.
    if (state == kAPlayerOpening) {
        close_while_opening_ = true;
        Stop();
        return 0;
    }
    ChangeState(kAPlayerClosing);
    Stop();
    return 0;
}

// Play, Pause, Seek, volume and speed answer -1 and change nothing when mpv refuses the
// request (its queue of replies is full): the caller learns that nothing started, and
// no state waits for an event that will not come.
int Engine::Play() {
    if (snapshot().state != kAPlayerPaused || SetFlag("pause", false) < 0)
        return -1;
    return 0;
}

int Engine::Pause() {
    if (snapshot().state != kAPlayerPlaying || SetFlag("pause", true) < 0)
        return -1;
    ChangeState(kAPlayerPausing);
    return 0;
}

int Engine::Seek(int position_ms) {
    const int state = snapshot().state;
    if (state < kAPlayerPausing || state > kAPlayerPlaying)
        return -1;
    const int target_ms = std::max(position_ms, 0);
    // Absolute seeks are exact in mpv's default precise-seek setting.
    const std::string seconds = std::to_string(target_ms / 1000.0);
    if (Command({"seek", seconds.c_str(), "absolute"}) < 0)
        return -1;
    values_.Update([&](EngineSnapshot& values) {
        values.position_ms = target_ms;
        values.seeking = true;
    });
    seek_pending_ = true;
    return 0;
}

int Engine::SetVolume(int volume) {
    const int clamped = std::clamp(volume, 0, 100);
    if (SetDouble("volume", clamped) < 0)
        return -1;
    values_.Update([&](EngineSnapshot& values) { values.volume = clamped; });
    return 0;
}

int Engine::SetConfig(int item, std::string_view value) {
    if (item == kAPlayerConfigSpeed) {
        const auto percent = ParseSpeedPercent(value);
        if (!percent || SetDouble("speed", *percent / 100.0) < 0)
            return -1;
        values_.Update([&](EngineSnapshot& values) { values.speed_percent = *percent; });
        return 0;
    }
    if (item == kAPlayerConfigRenderMode) {
        const auto mode = ParseRenderMode(value);
        if (!mode)
            return -1;
        values_.Update([&](EngineSnapshot& values) { values.render_mode = *mode; });
        return 0;
    }
    return -1;
}

bool Engine::SetLogo(const char* image_path) {
    return window_ && window_->SetLogo(image_path);
}

void Engine::SetGeometry(QRect geometry) {
    if (window_)
        window_->setGeometry(geometry);
}

void Engine::FinishAsClose() {
    position_poll_.stop();
    const int state = snapshot().state;
    if (state == kAPlayerClosed)
        return;
    // Assigned as a string: GCC 12 warns falsely (-Wrestrict) on assigning the literal.
    const std::string closed = "1";
    values_.Update([&](EngineSnapshot& values) {
        values.close_reason = closed;
        values.seeking = false;
        values.buffer_percent = 0;
    });
    if (state >= kAPlayerPausing && state <= kAPlayerPlaying)
        ChangeState(kAPlayerClosing);
    ChangeState(kAPlayerClosed);
}

}  // namespace tessal::aplayer
