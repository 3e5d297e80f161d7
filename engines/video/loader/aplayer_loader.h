#pragma once

// The programs' side of the video engine: loads libAPlayerCaller.so, program folder
// first, and fills the table of its twenty-five entry points. When the library cannot be
// loaded, or lacks an entry point, the "apdllMiss" box is shown and the table stays
// empty (every pointer null), so that nothing calls into a missing engine. Plain C++:
// the program supplies the box.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "engines/video/aplayer.h"

namespace tessal {

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

class APlayerLoader final {
public:
    static constexpr std::string_view kLibraryName = "libAPlayerCaller.so";
    // Text and caption of the box a missing engine shows.
    static constexpr std::string_view kMissingText = "apdllMiss";
    using MissingBox = std::function<void(const std::string& text, const std::string& caption)>;

    explicit APlayerLoader(MissingBox show_missing);
    ~APlayerLoader();  // unloads the library
    APlayerLoader(const APlayerLoader&) = delete;
    APlayerLoader& operator=(const APlayerLoader&) = delete;

    // Loads `program_folder`/libAPlayerCaller.so, else the library of that name on the
    // ordinary search path. True when loaded with every entry point; otherwise shows
    // the box once and leaves the table empty.
    bool Load(const std::filesystem::path& program_folder);
    // Frees the library (after the engine was closed and destroyed); the table empties.
    void Unload();

    bool loaded() const { return module_ != nullptr; }
    const APlayerFunctions& functions() const { return functions_; }

private:
    bool Resolve();
    void Fail();

    MissingBox show_missing_;
    void* module_ = nullptr;
    APlayerFunctions functions_;
};

}  // namespace tessal
