#include "engines/video/loader/aplayer_loader.h"

#include <dlfcn.h>

#include <array>
#include <iterator>

#include "common/base/trace.h"

namespace tessal {
namespace {

constexpr std::size_t kEntryPointCount = std::size(kAPlayerEntryPointNames);

template <typename Function>
Function* As(void* address) {
    return reinterpret_cast<Function*>(address);
}

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
    std::array<void*, kEntryPointCount> address{};
    for (std::size_t i = 0; i < kEntryPointCount; ++i) {
        address[i] = ::dlsym(module_, kAPlayerEntryPointNames[i]);
        // An engine without one of its entry points would crash the first caller of
        // that one; it counts as missing as a whole.
        if (address[i] == nullptr) {
            Trace(std::string("missing entry point ") + kAPlayerEntryPointNames[i]);
            return false;
        }
    }
    auto& f = functions_;
    f.APlayer_Create = As<APlayer_Create_t>(address[0]);
    f.APlayer_OpenW = As<APlayer_OpenW_t>(address[1]);
    f.APlayer_OpenA = As<APlayer_OpenA_t>(address[2]);
    f.APlayer_Close = As<APlayer_Close_t>(address[3]);
    f.APlayer_Play = As<APlayer_Play_t>(address[4]);
    f.APlayer_Pause = As<APlayer_Pause_t>(address[5]);
    f.APlayer_GetVersion = As<APlayer_GetVersion_t>(address[6]);
    f.APlayer_SetCustomLogo = As<APlayer_SetCustomLogo_t>(address[7]);
    f.APlayer_GetState = As<APlayer_GetState_t>(address[8]);
    f.APlayer_GetDuration = As<APlayer_GetDuration_t>(address[9]);
    f.APlayer_GetPosition = As<APlayer_GetPosition_t>(address[10]);
    f.APlayer_SetPosition = As<APlayer_SetPosition_t>(address[11]);
    f.APlayer_GetVideoWidth = As<APlayer_GetVideoWidth_t>(address[12]);
    f.APlayer_GetVideoHeight = As<APlayer_GetVideoHeight_t>(address[13]);
    f.APlayer_GetVolume = As<APlayer_GetVolume_t>(address[14]);
    f.APlayer_SetVolume = As<APlayer_SetVolume_t>(address[15]);
    f.APlayer_IsSeeking = As<APlayer_IsSeeking_t>(address[16]);
    f.APlayer_GetBufferProgress = As<APlayer_GetBufferProgress_t>(address[17]);
    f.APlayer_GetConfigA = As<APlayer_GetConfigA_t>(address[18]);
    f.APlayer_GetConfigW = As<APlayer_GetConfigW_t>(address[19]);
    f.APlayer_SetConfigW = As<APlayer_SetConfigW_t>(address[20]);
    f.APlayer_SetConfigA = As<APlayer_SetConfigA_t>(address[21]);
    f.APlayer_Destroy = As<APlayer_Destroy_t>(address[22]);
    f.APlayer_GetWindow = As<APlayer_GetWindow_t>(address[23]);
    f.APlayerCaller_SetSize = As<APlayerCaller_SetSize_t>(address[24]);
    return true;
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
