#pragma once

// What the player's start needs from the dynamic loader, loaded on a thread of its own
// while the GUI thread builds and shows the window: Qt's image plugins (the layout's
// pictures ask all of them), the video engine (libmpv and its decoders, the larger part
// of the start) and, in render mode 1, the OpenGL driver. The loader maps one library at
// a time, so these go first and back to back; the GUI thread makes its own threads
// before (a thread cannot start while a library is being mapped) and later waits only
// for the part it needs that is still loading.

#include <functional>
#include <thread>

namespace tessal::player {

class StartupLoads {
public:
    // `load_engine` loads the engine (null without one); `opengl`: render mode 1. Then
    // `engine_loaded` is called on this object's thread.
    StartupLoads(std::function<void()> load_engine, std::function<void()> engine_loaded,
                 bool opengl);
    ~StartupLoads();  // returns once everything is loaded
    StartupLoads(const StartupLoads&) = delete;
    StartupLoads& operator=(const StartupLoads&) = delete;

private:
    std::thread thread_;
};

}  // namespace tessal::player
