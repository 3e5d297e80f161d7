// libAPlayerCaller.so: the twenty-five entry points the programs bind at start-up. Each
// forwards to the engine library libAPlayer.so beside it, which is loaded on the first
// call. The programs bind the caller early; libmpv and its decoders are mapped only
// once something is played, so that a client that never plays starts light.

#include <dlfcn.h>

#include <filesystem>

#include "engines/video/loader/aplayer_functions.h"

#define APLAYER_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using tessal::APlayerFunctions;

// The folder this library was loaded from.
std::filesystem::path OwnFolder() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&OwnFolder), &info) == 0 || info.dli_fname == nullptr)
        return {};
    return std::filesystem::path(info.dli_fname).parent_path();
}

// The engine's table, loaded once; null when the engine library is missing or
// incomplete, and then every call answers as it does for an unknown player.
const APlayerFunctions* Engine() {
    static const APlayerFunctions* const engine = []() -> const APlayerFunctions* {
        void* module =
            ::dlopen((OwnFolder() / tessal::kAPlayerEngineLibrary).c_str(), RTLD_NOW | RTLD_LOCAL);
        static APlayerFunctions functions;
        std::string missing;
        if (module == nullptr || !tessal::ResolveAPlayerFunctions(module, functions, missing))
            return nullptr;
        return &functions;
    }();
    return engine;
}

template <typename Function, typename Result, typename... Args>
Result Forward(Function* APlayerFunctions::*entry, Result failure, Args... args) {
    const APlayerFunctions* engine = Engine();
    return engine != nullptr ? (engine->*entry)(args...) : failure;
}

using std::int32_t;
constexpr int32_t kRefused = -1;

}  // namespace

APLAYER_EXPORT APlayerHandle APlayer_Create(void* parent, int32_t x, int32_t y, int32_t width,
                                            int32_t height, APlayerMessageCallback on_message,
                                            APlayerStateCallback on_state, APlayerNotifyCallback n1,
                                            APlayerNotifyCallback n2, APlayerNotifyCallback n3,
                                            APlayerNotifyCallback n4, APlayerNotifyCallback n5,
                                            APlayerNotifyCallback n6) {
    return Forward(&APlayerFunctions::APlayer_Create, APlayerHandle{nullptr}, parent, x, y, width,
                   height, on_message, on_state, n1, n2, n3, n4, n5, n6);
}

APLAYER_EXPORT int32_t APlayer_OpenW(APlayerHandle player, const char16_t* path) {
    return Forward(&APlayerFunctions::APlayer_OpenW, kRefused, player, path);
}

APLAYER_EXPORT int32_t APlayer_OpenA(APlayerHandle player, const char* path) {
    return Forward(&APlayerFunctions::APlayer_OpenA, kRefused, player, path);
}

APLAYER_EXPORT int32_t APlayer_Close(APlayerHandle player) {
    return Forward(&APlayerFunctions::APlayer_Close, kRefused, player);
}

APLAYER_EXPORT int32_t APlayer_Play(APlayerHandle player) {
    return Forward(&APlayerFunctions::APlayer_Play, kRefused, player);
}

APLAYER_EXPORT int32_t APlayer_Pause(APlayerHandle player) {
    return Forward(&APlayerFunctions::APlayer_Pause, kRefused, player);
}

APLAYER_EXPORT const char* APlayer_GetVersion(APlayerHandle player) {
    return Forward(&APlayerFunctions::APlayer_GetVersion, "", player);
}

APLAYER_EXPORT int32_t APlayer_SetCustomLogo(APlayerHandle player, const char* image_path) {
    // 0, no picture loaded: the answer has no refusal of its own.
    return Forward(&APlayerFunctions::APlayer_SetCustomLogo, int32_t{0}, player, image_path);
}

APLAYER_EXPORT int32_t APlayer_GetState(APlayerHandle player) {
    return Forward(&APlayerFunctions::APlayer_GetState, int32_t{0}, player);
}

APLAYER_EXPORT int32_t APlayer_GetDuration(APlayerHandle player) {
    return Forward(&APlayerFunctions::APlayer_GetDuration, int32_t{0}, player);
}

APLAYER_EXPORT int32_t APlayer_GetPosition(APlayerHandle player) {
    return Forward(&APlayerFunctions::APlayer_GetPosition, int32_t{0}, player);
}

APLAYER_EXPORT int32_t APlayer_SetPosition(APlayerHandle player, int32_t position_ms) {
    return Forward(&APlayerFunctions::APlayer_SetPosition, kRefused, player, position_ms);
}

APLAYER_EXPORT int32_t APlayer_GetVideoWidth(APlayerHandle player) {
    return Forward(&APlayerFunctions::APlayer_GetVideoWidth, int32_t{0}, player);
}

APLAYER_EXPORT int32_t APlayer_GetVideoHeight(APlayerHandle player) {
    return Forward(&APlayerFunctions::APlayer_GetVideoHeight, int32_t{0}, player);
}

APLAYER_EXPORT int32_t APlayer_GetVolume(APlayerHandle player) {
    return Forward(&APlayerFunctions::APlayer_GetVolume, int32_t{0}, player);
}

APLAYER_EXPORT int32_t APlayer_SetVolume(APlayerHandle player, int32_t volume) {
    return Forward(&APlayerFunctions::APlayer_SetVolume, kRefused, player, volume);
}

APLAYER_EXPORT int32_t APlayer_IsSeeking(APlayerHandle player) {
    return Forward(&APlayerFunctions::APlayer_IsSeeking, int32_t{0}, player);
}

APLAYER_EXPORT int32_t APlayer_GetBufferProgress(APlayerHandle player) {
    return Forward(&APlayerFunctions::APlayer_GetBufferProgress, int32_t{0}, player);
}

APLAYER_EXPORT const char* APlayer_GetConfigA(APlayerHandle player, int32_t item) {
    return Forward(&APlayerFunctions::APlayer_GetConfigA, "", player, item);
}

APLAYER_EXPORT const char16_t* APlayer_GetConfigW(APlayerHandle player, int32_t item) {
    return Forward(&APlayerFunctions::APlayer_GetConfigW, u"", player, item);
}

APLAYER_EXPORT int32_t APlayer_SetConfigW(APlayerHandle player, int32_t item,
                                          const char16_t* value) {
    return Forward(&APlayerFunctions::APlayer_SetConfigW, kRefused, player, item, value);
}

APLAYER_EXPORT int32_t APlayer_SetConfigA(APlayerHandle player, int32_t item, const char* value) {
    return Forward(&APlayerFunctions::APlayer_SetConfigA, kRefused, player, item, value);
}

APLAYER_EXPORT int32_t APlayer_Destroy(APlayerHandle player) {
    return Forward(&APlayerFunctions::APlayer_Destroy, kRefused, player);
}

APLAYER_EXPORT void* APlayer_GetWindow(APlayerHandle player) {
    return Forward(&APlayerFunctions::APlayer_GetWindow, static_cast<void*>(nullptr), player);
}

APLAYER_EXPORT int32_t APlayerCaller_SetSize(APlayerHandle player, int32_t x, int32_t y,
                                             int32_t width, int32_t height) {
    return Forward(&APlayerFunctions::APlayerCaller_SetSize, kRefused, player, x, y, width, height);
}
