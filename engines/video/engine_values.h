#pragma once

// What the getters answer about one engine: the engine writes these values on the GUI
// thread, any thread reads them. They outlive the engine, so a handle destroyed while
// another thread reads it still answers its last values.

#include <mutex>
#include <string>

#include "engines/video/aplayer.h"
#include "engines/video/config_items.h"

namespace tessal::aplayer {

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

class EngineValues {
public:
    EngineSnapshot Get() const {
        std::lock_guard lock(mutex_);
        return values_;
    }
    // Runs `change` on the values under the lock.
    template <typename Change>
    void Update(Change change) {
        std::lock_guard lock(mutex_);
        change(values_);
    }

private:
    mutable std::mutex mutex_;
    EngineSnapshot values_;
};

// The text of configuration item `item` (decimal); empty for an unknown item.
std::string ConfigText(const EngineSnapshot& values, int item);

}  // namespace tessal::aplayer
