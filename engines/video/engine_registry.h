#pragma once

// The engines behind the live handles. A handle that was never given out, or whose
// engine was destroyed, finds nothing, so a stale handle is refused instead of used.

#include <memory>

#include "engines/video/aplayer.h"
#include "engines/video/engine.h"

namespace tessal::aplayer {

class EngineRegistry {
public:
    static APlayerHandle Add(std::unique_ptr<Engine> engine);
    static Engine* Find(APlayerHandle handle);
    static std::unique_ptr<Engine> Remove(APlayerHandle handle);
};

}  // namespace tessal::aplayer
