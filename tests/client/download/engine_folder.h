#pragma once

// A temporary program folder holding an engine library as libxldl.so. The test keeps
// its own handle on a fake engine, so the fake's record outlives every load and unload
// the client does.

#include <dlfcn.h>

#include <filesystem>

#include "tests/client/download/fake_engine_state.h"
#include "tests/support/temp_folder.h"

namespace tessal::test {

class EngineFolder {
public:
    // `library` is copied in; an empty path leaves the folder without an engine.
    explicit EngineFolder(const std::filesystem::path& library = {}) {
        if (library.empty()) {
            return;
        }
        std::filesystem::copy_file(library, engine());
        handle_ = ::dlopen(engine().c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    ~EngineFolder() {
        if (handle_ != nullptr) {
            ::dlclose(handle_);
        }
    }
    EngineFolder(const EngineFolder&) = delete;
    EngineFolder& operator=(const EngineFolder&) = delete;

    const std::filesystem::path& path() const { return folder_.path(); }
    std::filesystem::path engine() const { return folder_.path() / "libxldl.so"; }
    void* handle() const { return handle_; }

    // The fake's record; null when the engine is not a fake.
    FakeEngineState* state() const {
        auto* function = reinterpret_cast<FakeEngine_State_t*>(Symbol("FakeEngine_State"));
        return function != nullptr ? function() : nullptr;
    }
    void* Symbol(const char* name) const {
        return handle_ != nullptr ? ::dlsym(handle_, name) : nullptr;
    }

private:
    TempFolder folder_;
    void* handle_ = nullptr;
};

}  // namespace tessal::test
