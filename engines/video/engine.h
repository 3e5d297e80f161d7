#pragma once

// One engine behind an APlayer handle: an mpv instance, its render path and the video
// window, and the state machine that turns mpv's events into the engine states. It
// lives on the GUI thread: commands and mpv's events are handled there, state changes
// go to the state queue of its handle. mpv's threads only queue work for it. It writes
// the values the getters answer into its handle, which outlives it.

#include <mpv/client.h>

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <atomic>
#include <memory>
#include <string>
#include <string_view>

#include "engines/video/aplayer.h"
#include "engines/video/engine_values.h"
#include "engines/video/frame_renderer.h"
#include "engines/video/state_queue.h"
#include "engines/video/video_window.h"

namespace tessal::aplayer {

class Engine final : public QObject {
public:
    // Null with `error` set when mpv cannot be started. `values` and `states` belong to
    // the handle and outlive the engine.
    static std::unique_ptr<Engine> Create(QWidget* parent, QRect geometry,
                                          APlayerMessageCallback on_message, EngineValues& values,
                                          StateQueue& states, std::string& error);
    // Stops mpv and removes the video window; on the GUI thread.
    ~Engine() override;

    // GUI thread only; each answers 0 when started, -1 when refused.
    int Open(const std::string& path);
    int Close();
    int Play();
    int Pause();
    int Seek(int position_ms);
    int SetVolume(int volume);
    int SetConfig(int item, std::string_view value);
    bool SetLogo(const char* image_path);
    void SetGeometry(QRect geometry);
    // Ends whatever file is open or closing as a close by the player: 6 if it was open,
    // then 0, item 7 "1". The engine is destroyed next.
    void FinishAsClose();

    QWidget* window() const { return window_; }

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
        kLoadCommand,     // reply id of loadfile
        kPausedPosition,  // reply id of the position asked for once mpv paused
        kStopCommand,     // reply id of stop
    };

    Engine(mpv_handle* mpv, VideoWindow* window, EngineValues& values, StateQueue& states);

    // engine.cpp
    EngineSnapshot snapshot() const { return values_.Get(); }
    void ChangeState(int state);
    bool EnsureRenderer();
    int Command(std::initializer_list<const char*> words, std::uint64_t reply_id = 0);
    void Stop();
    int SetFlag(const char* name, bool value);
    int SetDouble(const char* name, double value);
    void ObserveProperties();
    void PollPosition();
    void OnFrameDue();
    void RenderFrame();
    bool DrawsWhenPainting() const;
    static void OnWakeup(void* data);
    static void OnRenderUpdate(void* data);

    // engine_events.cpp
    void DrainEvents();
    void HandleEvent(const mpv_event& event);
    void OnProperty(std::uint64_t id, const mpv_event_property& property);
    void OnStartFile();
    void OnLoadReply(int error);
    void OnStopReply();
    void RefuseExpansion();
    void OnFileLoaded();
    void OnPlaybackRestart();
    void OnEndFile(const mpv_event_end_file& end);
    void OnPause(bool paused);

    mpv_handle* mpv_;
    QPointer<VideoWindow> window_;
    EngineValues& values_;
    StateQueue& states_;
    std::unique_ptr<FrameRenderer> renderer_;
    bool opengl_failed_ = false;
    std::atomic<bool> drain_queued_{false};
    std::atomic<bool> render_queued_{false};
    QTimer position_poll_;

    // Per file, GUI thread only.
    bool file_started_ = false;
    bool close_while_opening_ = false;
    std::string refusal_;  // item 7 of an open the engine refused, else empty
    bool closed_by_player_ = false;
    bool file_loaded_ = false;
    bool duration_known_ = false;
    bool seek_pending_ = false;
};

}  // namespace tessal::aplayer
