#pragma once

// One engine behind an APlayer handle: an mpv instance, its render path and the video
// window, and the state machine that turns mpv's events into the engine states. It
// lives on the GUI thread: commands and mpv's events are handled there, state changes
// reach the state callback from the event loop. mpv's threads only queue work for it.
// Getters read a snapshot under a lock, so any thread may ask.

#include <mpv/client.h>

#include <QObject>
#include <QPointer>
#include <QRect>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "engines/video/aplayer.h"
#include "engines/video/config_items.h"
#include "engines/video/frame_renderer.h"
#include "engines/video/video_window.h"

namespace tessal::aplayer {

// What the getters answer.
struct EngineSnapshot {
    int state = kAPlayerClosed;
    int duration_ms = 0;
    int position_ms = 0;
    int video_width = 0;
    int video_height = 0;
    int volume = 50;
    bool seeking = false;
    int buffer_percent = 0;
    int speed_percent = 100;
    int render_mode = kRenderModeOpenGl;
    std::string close_reason;  // item 7
};

class Engine final : public QObject {
public:
    // Null with `error` set when mpv cannot be started.
    static std::unique_ptr<Engine> Create(QWidget* parent, QRect geometry,
                                          APlayerMessageCallback on_message,
                                          APlayerStateCallback on_state, std::string& error);
    ~Engine() override;

    // GUI thread only; each answers 0 when started, -1 when refused.
    int Open(const std::string& path);
    int Close();
    int Play();
    int Pause();
    int Seek(int position_ms);
    void SetVolume(int volume);
    int SetConfig(int item, std::string_view value);
    bool SetLogo(const char* image_path);
    void SetGeometry(QRect geometry);

    // Any thread.
    EngineSnapshot snapshot() const;
    std::string ConfigText(int item) const;
    QWidget* window() const { return window_; }
    ConfigTexts& config_texts() { return config_texts_; }

private:
    // Ids of the properties the engine observes.
    enum Property : std::uint64_t {
        kDuration = 1,
        kTimePosition,
        kPause,
        kSeeking,
        kVideoWidth,
        kVideoHeight,
        kBuffering,
        kLoadCommand,  // reply id of loadfile
    };

    Engine(mpv_handle* mpv, VideoWindow* window, APlayerStateCallback on_state);

    // engine.cpp
    void ChangeState(int state);
    bool EnsureRenderer();
    void Command(std::initializer_list<const char*> words, std::uint64_t reply_id = 0);
    void SetFlag(const char* name, bool value);
    void SetDouble(const char* name, double value);
    void ObserveProperties();
    void OnFrameDue();
    void RenderFrame();
    static void OnWakeup(void* data);
    static void OnRenderUpdate(void* data);

    // engine_events.cpp
    void DrainEvents();
    void HandleEvent(const mpv_event& event);
    void OnProperty(std::uint64_t id, const mpv_event_property& property);
    void OnStartFile();
    void OnLoadReply(int error);
    void OnFileLoaded();
    void OnPlaybackRestart();
    void OnEndFile(const mpv_event_end_file& end);
    void OnPause(bool paused);

    mpv_handle* mpv_;
    QPointer<VideoWindow> window_;
    APlayerStateCallback on_state_;
    std::unique_ptr<FrameRenderer> renderer_;
    bool opengl_failed_ = false;
    std::atomic<bool> drain_queued_{false};
    std::atomic<bool> render_queued_{false};

    // Per file, GUI thread only.
    bool file_started_ = false;
    bool close_when_started_ = false;
    bool file_loaded_ = false;
    bool duration_known_ = false;
    bool seek_pending_ = false;

    mutable std::mutex mutex_;
    EngineSnapshot snapshot_;
    ConfigTexts config_texts_;
};

}  // namespace tessal::aplayer
