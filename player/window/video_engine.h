#pragma once

// The player's side of the video engine: the loaded table, the one engine handle and
// the two callbacks, which the engine calls as plain functions. Every call is safe when
// the engine is missing ("apdllMiss") or not made: the player then runs without video.

#include <QRect>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "engines/video/loader/aplayer_loader.h"

namespace tessal::player {

class VideoEngine {
public:
    using StateHandler = std::function<void(int state)>;
    using MessageHandler =
        std::function<void(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam)>;

    // `loader` stays the caller's; it must outlive this object.
    explicit VideoEngine(const APlayerLoader& loader);
    ~VideoEngine();  // destroys the engine when still made
    VideoEngine(const VideoEngine&) = delete;
    VideoEngine& operator=(const VideoEngine&) = delete;

    // Makes the engine and its video window in `parent` at `place`; one engine per
    // process makes callbacks, so the last one made receives them. False when the engine
    // is missing or refused.
    bool Create(QWidget* parent, const QRect& place, StateHandler on_state,
                MessageHandler on_message);
    bool made() const { return handle_ != nullptr; }
    QWidget* Window() const;

    // Commands; -1 when there is no engine.
    int Open(const std::string& path) const;
    int Close() const;
    int Play() const;
    int Pause() const;
    int SetPosition(int position_ms) const;
    int SetVolume(int volume) const;
    int SetConfig(int item, const std::string& value) const;
    bool SetCustomLogo(const std::string& image_path) const;
    // Getters: 0 or "" when there is no engine.
    int State() const;
    int Duration() const;
    int Position() const;
    std::string Config(int item) const;
    // Closes and destroys the engine; its last state changes arrive before it returns.
    void Destroy();

private:
    static void OnState(std::int32_t previous, std::int32_t state);
    static std::intptr_t OnMessage(std::uint32_t message, std::uintptr_t wparam,
                                   std::intptr_t lparam);

    const APlayerFunctions& functions_;
    APlayerHandle handle_ = nullptr;
    StateHandler on_state_;
    MessageHandler on_message_;
};

}  // namespace tessal::player
