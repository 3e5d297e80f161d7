#include "engines/video/engine_registry.h"

#include <map>
#include <mutex>

namespace tessal::aplayer {
namespace {

std::mutex& RegistryMutex() {
    static std::mutex mutex;
    return mutex;
}

// Raw pointers: an engine the program never destroyed must not be deleted by a static
// destructor after the QApplication is gone.
std::map<APlayerHandle, Engine*>& Engines() {
    static std::map<APlayerHandle, Engine*> engines;
    return engines;
}

}  // namespace

APlayerHandle EngineRegistry::Add(std::unique_ptr<Engine> engine) {
    APlayerHandle handle = engine.get();
    std::lock_guard lock(RegistryMutex());
    Engines().emplace(handle, engine.release());
    return handle;
}

Engine* EngineRegistry::Find(APlayerHandle handle) {
    std::lock_guard lock(RegistryMutex());
    const auto found = Engines().find(handle);
    return found != Engines().end() ? found->second : nullptr;
}

std::unique_ptr<Engine> EngineRegistry::Remove(APlayerHandle handle) {
    std::lock_guard lock(RegistryMutex());
    const auto found = Engines().find(handle);
    if (found == Engines().end())
        return nullptr;
    std::unique_ptr<Engine> engine(found->second);
    Engines().erase(found);
    return engine;
}

}  // namespace tessal::aplayer
