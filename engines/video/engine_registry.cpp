#include "engines/video/engine_registry.h"

#include <cstdint>
#include <map>
#include <mutex>

namespace tessal::aplayer {
namespace {

struct Registry {
    std::mutex mutex;
    std::map<APlayerHandle, std::shared_ptr<EngineHandle>> engines;
    std::uintptr_t last_handle = 0;
};

// Never freed: an engine the program never destroyed must not be torn down by a static
// destructor after the QApplication is gone.
Registry& TheRegistry() {
    static auto* const registry = new Registry;
    return *registry;
}

}  // namespace

APlayerHandle EngineRegistry::Add(std::shared_ptr<EngineHandle> engine) {
    auto& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    // A counter rather than an address: a handle kept after its engine was destroyed
    // can never name a later engine that happens to sit at the same address.
    auto* handle = reinterpret_cast<APlayerHandle>(++registry.last_handle);
    registry.engines.emplace(handle, std::move(engine));
    return handle;
}

std::shared_ptr<EngineHandle> EngineRegistry::Find(APlayerHandle handle) {
    auto& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    const auto found = registry.engines.find(handle);
    return found != registry.engines.end() ? found->second : nullptr;
}

void EngineRegistry::Remove(APlayerHandle handle) {
    std::shared_ptr<EngineHandle> removed;
    auto& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    const auto found = registry.engines.find(handle);
    if (found == registry.engines.end())
        return;
    // Let go of it outside the lock, which is held while it is freed otherwise.
    removed = std::move(found->second);
    registry.engines.erase(found);
}

}  // namespace tessal::aplayer
