#pragma once

// The handles given out and what each stands for. A handle that was never given out,
// or whose engine was destroyed, finds nothing, so a stale handle is refused instead of
// used; handles are never reused. What Find returns stays valid for its holder even if
// the handle is destroyed meanwhile.

#include <memory>

#include "engines/video/aplayer.h"
#include "engines/video/engine_handle.h"

namespace tessal::aplayer {

class EngineRegistry {
public:
    static APlayerHandle Add(std::shared_ptr<EngineHandle> engine);
    static std::shared_ptr<EngineHandle> Find(APlayerHandle handle);
    static void Remove(APlayerHandle handle);
};

}  // namespace tessal::aplayer
