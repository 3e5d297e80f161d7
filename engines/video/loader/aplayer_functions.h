#pragma once

// The table of the video engine's twenty-five entry points and how it is filled from a
// loaded library. Shared by the programs' loader and by libAPlayerCaller.so, which fills
// it from the engine library on first use.

#include <string>

#include "engines/video/aplayer.h"

namespace tessal {

// The engine library, which libAPlayerCaller.so loads from its own folder.
inline constexpr const char* kAPlayerEngineLibrary = "libAPlayer.so";

// One pointer per entry point, in the order they are resolved.
struct APlayerFunctions {
    APlayer_Create_t* APlayer_Create = nullptr;
    APlayer_OpenW_t* APlayer_OpenW = nullptr;
    APlayer_OpenA_t* APlayer_OpenA = nullptr;
    APlayer_Close_t* APlayer_Close = nullptr;
    APlayer_Play_t* APlayer_Play = nullptr;
    APlayer_Pause_t* APlayer_Pause = nullptr;
    APlayer_GetVersion_t* APlayer_GetVersion = nullptr;
    APlayer_SetCustomLogo_t* APlayer_SetCustomLogo = nullptr;
    APlayer_GetState_t* APlayer_GetState = nullptr;
    APlayer_GetDuration_t* APlayer_GetDuration = nullptr;
    APlayer_GetPosition_t* APlayer_GetPosition = nullptr;
    APlayer_SetPosition_t* APlayer_SetPosition = nullptr;
    APlayer_GetVideoWidth_t* APlayer_GetVideoWidth = nullptr;
    APlayer_GetVideoHeight_t* APlayer_GetVideoHeight = nullptr;
    APlayer_GetVolume_t* APlayer_GetVolume = nullptr;
    APlayer_SetVolume_t* APlayer_SetVolume = nullptr;
    APlayer_IsSeeking_t* APlayer_IsSeeking = nullptr;
    APlayer_GetBufferProgress_t* APlayer_GetBufferProgress = nullptr;
    APlayer_GetConfigA_t* APlayer_GetConfigA = nullptr;
    APlayer_GetConfigW_t* APlayer_GetConfigW = nullptr;
    APlayer_SetConfigW_t* APlayer_SetConfigW = nullptr;
    APlayer_SetConfigA_t* APlayer_SetConfigA = nullptr;
    APlayer_Destroy_t* APlayer_Destroy = nullptr;
    APlayer_GetWindow_t* APlayer_GetWindow = nullptr;
    APlayerCaller_SetSize_t* APlayerCaller_SetSize = nullptr;
};

// Fills `functions` from `module` (a dlopen handle) in the order of
// kAPlayerEntryPointNames. False, with the first missing name in `missing`, when the
// library lacks one; `functions` is then left empty.
bool ResolveAPlayerFunctions(void* module, APlayerFunctions& functions, std::string& missing);

}  // namespace tessal
