#pragma once

// What an APlayer handle stands for. The registry holds it, and so does every entry
// point while it runs, so a handle destroyed on the GUI thread while another thread is
// inside an entry point stays valid for that thread: getters answer the last values,
// commands are refused. The engine itself (mpv, its renderer, the video window) lives
// on the GUI thread and is torn down there by Destroy; what outlives it holds no Qt
// object and may be freed by whichever thread lets go of it last.

#include <QRect>
#include <QThread>
#include <atomic>
#include <memory>
#include <string>

#include "engines/video/engine.h"
#include "engines/video/engine_values.h"
#include "engines/video/state_queue.h"

namespace tessal::aplayer {

class EngineHandle final {
public:
    // GUI thread. Null with `error` set when mpv cannot be started.
    static std::shared_ptr<EngineHandle> Create(QWidget* parent, QRect geometry,
                                                APlayerMessageCallback on_message,
                                                APlayerStateCallback on_state, std::string& error);
    EngineHandle(const EngineHandle&) = delete;
    EngineHandle& operator=(const EngineHandle&) = delete;

    // Any thread.
    EngineSnapshot values() const { return values_.Get(); }
    QWidget* window() const { return window_.load(); }
    // The GUI thread, where the engine lives and every callback runs.
    QThread* thread() const { return thread_; }

    // GUI thread: the engine, null once destroyed.
    Engine* engine() const { return engine_.get(); }
    // GUI thread. Finishes an open file as a close (6 if it was open, then 0, item 7
    // "1"), tears the engine down, then delivers every state change not yet delivered;
    // the callbacks may call back in. False when the engine is already gone.
    bool Destroy();

private:
    explicit EngineHandle(APlayerStateCallback on_state);

    EngineValues values_;
    std::shared_ptr<StateQueue> states_;
    // Torn down by Destroy, on the GUI thread; the registry lets go of the handle only
    // after that, so the last owner never deletes a live engine.
    std::unique_ptr<Engine> engine_;
    std::atomic<QWidget*> window_{nullptr};
    QThread* thread_ = nullptr;
};

}  // namespace tessal::aplayer
