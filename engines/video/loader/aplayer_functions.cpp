#include "engines/video/loader/aplayer_functions.h"

#include <dlfcn.h>

#include <array>
#include <iterator>

namespace tessal {
namespace {

constexpr std::size_t kEntryPointCount = std::size(kAPlayerEntryPointNames);

template <typename Function>
Function* As(void* address) {
    return reinterpret_cast<Function*>(address);
}

}  // namespace

bool ResolveAPlayerFunctions(void* module, APlayerFunctions& functions, std::string& missing) {
    functions = APlayerFunctions{};
    std::array<void*, kEntryPointCount> address{};
    for (std::size_t i = 0; i < kEntryPointCount; ++i) {
        address[i] = module != nullptr ? ::dlsym(module, kAPlayerEntryPointNames[i]) : nullptr;
        if (address[i] == nullptr) {
            missing = kAPlayerEntryPointNames[i];
            return false;
        }
    }
    functions.APlayer_Create = As<APlayer_Create_t>(address[0]);
    functions.APlayer_OpenW = As<APlayer_OpenW_t>(address[1]);
    functions.APlayer_OpenA = As<APlayer_OpenA_t>(address[2]);
    functions.APlayer_Close = As<APlayer_Close_t>(address[3]);
    functions.APlayer_Play = As<APlayer_Play_t>(address[4]);
    functions.APlayer_Pause = As<APlayer_Pause_t>(address[5]);
    functions.APlayer_GetVersion = As<APlayer_GetVersion_t>(address[6]);
    functions.APlayer_SetCustomLogo = As<APlayer_SetCustomLogo_t>(address[7]);
    functions.APlayer_GetState = As<APlayer_GetState_t>(address[8]);
    functions.APlayer_GetDuration = As<APlayer_GetDuration_t>(address[9]);
    functions.APlayer_GetPosition = As<APlayer_GetPosition_t>(address[10]);
    functions.APlayer_SetPosition = As<APlayer_SetPosition_t>(address[11]);
    functions.APlayer_GetVideoWidth = As<APlayer_GetVideoWidth_t>(address[12]);
    functions.APlayer_GetVideoHeight = As<APlayer_GetVideoHeight_t>(address[13]);
    functions.APlayer_GetVolume = As<APlayer_GetVolume_t>(address[14]);
    functions.APlayer_SetVolume = As<APlayer_SetVolume_t>(address[15]);
    functions.APlayer_IsSeeking = As<APlayer_IsSeeking_t>(address[16]);
    functions.APlayer_GetBufferProgress = As<APlayer_GetBufferProgress_t>(address[17]);
    functions.APlayer_GetConfigA = As<APlayer_GetConfigA_t>(address[18]);
    functions.APlayer_GetConfigW = As<APlayer_GetConfigW_t>(address[19]);
    functions.APlayer_SetConfigW = As<APlayer_SetConfigW_t>(address[20]);
    functions.APlayer_SetConfigA = As<APlayer_SetConfigA_t>(address[21]);
    functions.APlayer_Destroy = As<APlayer_Destroy_t>(address[22]);
    functions.APlayer_GetWindow = As<APlayer_GetWindow_t>(address[23]);
    functions.APlayerCaller_SetSize = As<APlayerCaller_SetSize_t>(address[24]);
    return true;
}

}  // namespace tessal
