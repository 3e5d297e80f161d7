#include "engines/video/loader/aplayer_loader.h"

#include <dlfcn.h>

#include "common/base/trace.h"

namespace tessal {
namespace {

void* Open(const std::filesystem::path& library) {
    // Everything resolved now: a library with a missing dependency fails here, at
    // start-up, not in the middle of a lesson.
    void* module = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* reason = ::dlerror();
        Trace(reason != nullptr ? reason : library.string());
    }
    return module;
}

}  // namespace

APlayerLoader::APlayerLoader(MissingBox show_missing) : show_missing_(std::move(show_missing)) {}

APlayerLoader::~APlayerLoader() {
    Unload();
}

bool APlayerLoader::Load(const std::filesystem::path& program_folder) {
    Unload();
    module_ = Open(program_folder / kLibraryName);
    if (module_ == nullptr)
        module_ = Open(std::filesystem::path(kLibraryName));
    if (module_ == nullptr || !Resolve()) {
        Fail();
        return false;
    }
    return true;
}

bool APlayerLoader::Resolve() {
    std::string missing;
    if (ResolveAPlayerFunctions(module_, functions_, missing))
        return true;
    // An engine without one of its entry points would crash the first caller of that
    // one; it counts as missing as a whole.
    Trace("missing entry point " + missing);
    return false;
}

void APlayerLoader::Fail() {
    Unload();
    if (show_missing_)
        show_missing_(std::string(kMissingText), std::string(kMissingText));
}

void APlayerLoader::Unload() {
    functions_ = APlayerFunctions{};
    if (module_ != nullptr)
        ::dlclose(module_);
    module_ = nullptr;
}

}  // namespace tessal
