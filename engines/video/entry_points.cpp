// The twenty-five exported entry points. A handle is a number that the registry turns
// into the engine's shared handle, held for the length of the call; calls that change
// something run on the engine's GUI thread.

#include <mpv/client.h>

#include <QApplication>
#include <QThread>
#include <algorithm>

#include "engines/video/engine_registry.h"

#define APLAYER_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using tessal::aplayer::ConfigText;
using tessal::aplayer::Engine;
using tessal::aplayer::EngineHandle;
using tessal::aplayer::EngineRegistry;

// Runs `action` with the handle on its GUI thread and answers its result. The
// application carries a call from another thread, since the engine may be gone by the
// time it runs.
template <typename Action>
std::int32_t OnGuiThreadWithHandle(APlayerHandle player, Action action) {
    const auto handle = EngineRegistry::Find(player);
    if (!handle)
        return -1;
    if (QThread::currentThread() == handle->thread())
        return action(*handle);
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr)
        return -1;
    std::int32_t result = -1;
    QMetaObject::invokeMethod(
        application, [&] { result = action(*handle); }, Qt::BlockingQueuedConnection);
    return result;
}

// Runs `action` with the engine on its GUI thread; -1 once the engine is destroyed,
// which is what a state callback delivered by APlayer_Destroy gets for a command.
template <typename Action>
std::int32_t OnGuiThread(APlayerHandle player, Action action) {
    return OnGuiThreadWithHandle(player, [&](EngineHandle& handle) -> std::int32_t {
        Engine* engine = handle.engine();
        return engine != nullptr ? action(*engine) : -1;
    });
}

template <typename Getter>
std::int32_t Read(APlayerHandle player, Getter getter) {
    const auto handle = EngineRegistry::Find(player);
    return handle ? getter(handle->values()) : 0;
}

std::string Utf8(const char16_t* text) {
    return text != nullptr ? QString::fromUtf16(text).toStdString() : std::string();
}

// The caller's place and size, within what a widget can hold, so that no edge of the
// rectangle overflows an int.
QRect Geometry(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    constexpr std::int32_t kLimit = QWIDGETSIZE_MAX;
    return QRect(std::clamp(x, -kLimit, kLimit), std::clamp(y, -kLimit, kLimit),
                 std::clamp(width, 0, kLimit), std::clamp(height, 0, kLimit));
}

}  // namespace

APLAYER_EXPORT APlayerHandle APlayer_Create(void* parent_window, std::int32_t x, std::int32_t y,
                                            std::int32_t width, std::int32_t height,
                                            APlayerMessageCallback on_message,
                                            APlayerStateCallback on_state, APlayerNotifyCallback,
                                            APlayerNotifyCallback, APlayerNotifyCallback,
                                            APlayerNotifyCallback, APlayerNotifyCallback,
                                            APlayerNotifyCallback) {
    auto* parent = static_cast<QWidget*>(parent_window);
    if (parent == nullptr || qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr ||
        QThread::currentThread() != QCoreApplication::instance()->thread())
        return nullptr;
    std::string error;
    auto engine =
        EngineHandle::Create(parent, Geometry(x, y, width, height), on_message, on_state, error);
    if (!engine) {
        qWarning("APlayer_Create: %s", error.c_str());
        return nullptr;
    }
    return EngineRegistry::Add(std::move(engine));
}

APLAYER_EXPORT std::int32_t APlayer_OpenA(APlayerHandle player, const char* path) {
    const std::string text = path != nullptr ? path : "";
    return OnGuiThread(player, [&](Engine& engine) { return engine.Open(text); });
}

APLAYER_EXPORT std::int32_t APlayer_OpenW(APlayerHandle player, const char16_t* path) {
    const std::string text = Utf8(path);
    return OnGuiThread(player, [&](Engine& engine) { return engine.Open(text); });
}

APLAYER_EXPORT std::int32_t APlayer_Close(APlayerHandle player) {
    return OnGuiThread(player, [](Engine& engine) { return engine.Close(); });
}

APLAYER_EXPORT std::int32_t APlayer_Play(APlayerHandle player) {
    return OnGuiThread(player, [](Engine& engine) { return engine.Play(); });
}

APLAYER_EXPORT std::int32_t APlayer_Pause(APlayerHandle player) {
    return OnGuiThread(player, [](Engine& engine) { return engine.Pause(); });
}

#ifndef APLAYER_WITHOUT_GETVERSION
APLAYER_EXPORT const char* APlayer_GetVersion(APlayerHandle) {
    static const std::string version = [] {
        const unsigned long api = mpv_client_api_version();
        return "APlayerCaller 1.0 (libmpv client API " + std::to_string(api >> 16) + "." +
               std::to_string(api & 0xffff) + ")";
    }();
    return version.c_str();
}
#endif

APLAYER_EXPORT std::int32_t APlayer_SetCustomLogo(APlayerHandle player, const char* image_path) {
    const std::string path = image_path != nullptr ? image_path : "";
    const bool has_path = image_path != nullptr;
    const std::int32_t result = OnGuiThread(player, [&](Engine& engine) {
        return engine.SetLogo(has_path ? path.c_str() : nullptr) ? 1 : 0;
    });
    return result == 1 ? 1 : 0;
}

APLAYER_EXPORT std::int32_t APlayer_GetState(APlayerHandle player) {
    return Read(player, [](const auto& values) { return values.state; });
}

APLAYER_EXPORT std::int32_t APlayer_GetDuration(APlayerHandle player) {
    return Read(player, [](const auto& values) { return values.duration_ms; });
}

APLAYER_EXPORT std::int32_t APlayer_GetPosition(APlayerHandle player) {
    return Read(player, [](const auto& values) {
        return values.state == kAPlayerOpening ? 0 : values.position_ms;
    });
}

APLAYER_EXPORT std::int32_t APlayer_SetPosition(APlayerHandle player, std::int32_t position_ms) {
    return OnGuiThread(player, [&](Engine& engine) { return engine.Seek(position_ms); });
}

APLAYER_EXPORT std::int32_t APlayer_GetVideoWidth(APlayerHandle player) {
    return Read(player, [](const auto& values) { return values.video_width; });
}

APLAYER_EXPORT std::int32_t APlayer_GetVideoHeight(APlayerHandle player) {
    return Read(player, [](const auto& values) { return values.video_height; });
}

APLAYER_EXPORT std::int32_t APlayer_GetVolume(APlayerHandle player) {
    return Read(player, [](const auto& values) { return values.volume; });
}

APLAYER_EXPORT std::int32_t APlayer_SetVolume(APlayerHandle player, std::int32_t volume) {
    return OnGuiThread(player, [&](Engine& engine) { return engine.SetVolume(volume); });
}

APLAYER_EXPORT std::int32_t APlayer_IsSeeking(APlayerHandle player) {
    return Read(player, [](const auto& values) { return values.seeking ? 1 : 0; });
}

APLAYER_EXPORT std::int32_t APlayer_GetBufferProgress(APlayerHandle player) {
    return Read(player, [](const auto& values) { return values.buffer_percent; });
}

APLAYER_EXPORT const char* APlayer_GetConfigA(APlayerHandle player, std::int32_t item) {
    const auto handle = EngineRegistry::Find(player);
    if (!handle)
        return "";
    return tessal::aplayer::KeepForThisThread(item, ConfigText(handle->values(), item));
}

APLAYER_EXPORT const char16_t* APlayer_GetConfigW(APlayerHandle player, std::int32_t item) {
    const auto handle = EngineRegistry::Find(player);
    if (!handle)
        return u"";
    const QString text = QString::fromStdString(ConfigText(handle->values(), item));
    return tessal::aplayer::KeepWideForThisThread(item, text.toStdU16String());
}

APLAYER_EXPORT std::int32_t APlayer_SetConfigA(APlayerHandle player, std::int32_t item,
                                               const char* value) {
    const std::string text = value != nullptr ? value : "";
    return OnGuiThread(player, [&](Engine& engine) { return engine.SetConfig(item, text); });
}

APLAYER_EXPORT std::int32_t APlayer_SetConfigW(APlayerHandle player, std::int32_t item,
                                               const char16_t* value) {
    const std::string text = Utf8(value);
    return OnGuiThread(player, [&](Engine& engine) { return engine.SetConfig(item, text); });
}

// The handle stays registered while the last state callbacks run, so that they can
// still read the closing position and item 7; it is gone when Destroy returns.
APLAYER_EXPORT std::int32_t APlayer_Destroy(APlayerHandle player) {
    return OnGuiThreadWithHandle(player, [&](EngineHandle& handle) -> std::int32_t {
        if (!handle.Destroy())
            return -1;
        EngineRegistry::Remove(player);
        return 0;
    });
}

APLAYER_EXPORT void* APlayer_GetWindow(APlayerHandle player) {
    const auto handle = EngineRegistry::Find(player);
    return handle ? handle->window() : nullptr;
}

APLAYER_EXPORT std::int32_t APlayerCaller_SetSize(APlayerHandle player, std::int32_t x,
                                                  std::int32_t y, std::int32_t width,
                                                  std::int32_t height) {
    return OnGuiThread(player, [&](Engine& engine) {
        engine.SetGeometry(Geometry(x, y, width, height));
        return 0;
    });
}
