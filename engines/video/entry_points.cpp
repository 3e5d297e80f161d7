// The twenty-five exported entry points. A handle is an engine pointer that the registry
// vouches for; calls that change something run on the engine's GUI thread.

#include <mpv/client.h>

#include <QApplication>
#include <QThread>

#include "engines/video/engine_registry.h"

#define APLAYER_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using tessal::aplayer::Engine;
using tessal::aplayer::EngineRegistry;

// Runs `action` on the engine's thread and answers its result; -1 without an engine.
template <typename Action>
std::int32_t OnGuiThread(APlayerHandle player, Action action) {
    Engine* engine = EngineRegistry::Find(player);
    if (engine == nullptr)
        return -1;
    if (QThread::currentThread() == engine->thread())
        return action(*engine);
    std::int32_t result = -1;
    QMetaObject::invokeMethod(
        engine, [&] { result = action(*engine); }, Qt::BlockingQueuedConnection);
    return result;
}

template <typename Getter>
std::int32_t Read(APlayerHandle player, Getter getter) {
    const Engine* engine = EngineRegistry::Find(player);
    return engine != nullptr ? getter(engine->snapshot()) : 0;
}

std::string Utf8(const char16_t* text) {
    return text != nullptr ? QString::fromUtf16(text).toStdString() : std::string();
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
    auto engine = Engine::Create(parent, QRect(x, y, width, height), on_message, on_state, error);
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
    return OnGuiThread(player, [&](Engine& engine) {
        engine.SetVolume(volume);
        return 0;
    });
}

APLAYER_EXPORT std::int32_t APlayer_IsSeeking(APlayerHandle player) {
    return Read(player, [](const auto& values) { return values.seeking ? 1 : 0; });
}

APLAYER_EXPORT std::int32_t APlayer_GetBufferProgress(APlayerHandle player) {
    return Read(player, [](const auto& values) { return values.buffer_percent; });
}

APLAYER_EXPORT const char* APlayer_GetConfigA(APlayerHandle player, std::int32_t item) {
    Engine* engine = EngineRegistry::Find(player);
    if (engine == nullptr)
        return "";
    return engine->config_texts().Keep(item, engine->ConfigText(item));
}

APLAYER_EXPORT const char16_t* APlayer_GetConfigW(APlayerHandle player, std::int32_t item) {
    Engine* engine = EngineRegistry::Find(player);
    if (engine == nullptr)
        return u"";
    const QString text = QString::fromStdString(engine->ConfigText(item));
    return engine->config_texts().KeepWide(item, text.toStdU16String());
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

APLAYER_EXPORT std::int32_t APlayer_Destroy(APlayerHandle player) {
    auto engine = EngineRegistry::Remove(player);
    if (!engine)
        return -1;
    if (QThread::currentThread() == engine->thread()) {
        engine.reset();
    } else {
        Engine* raw = engine.release();
        QMetaObject::invokeMethod(
            raw, [raw] { delete raw; }, Qt::BlockingQueuedConnection);
    }
    return 0;
}

APLAYER_EXPORT void* APlayer_GetWindow(APlayerHandle player) {
    const Engine* engine = EngineRegistry::Find(player);
    return engine != nullptr ? engine->window() : nullptr;
}

APLAYER_EXPORT std::int32_t APlayerCaller_SetSize(APlayerHandle player, std::int32_t x,
                                                  std::int32_t y, std::int32_t width,
                                                  std::int32_t height) {
    return OnGuiThread(player, [&](Engine& engine) {
        engine.SetGeometry(QRect(x, y, width, height));
        return 0;
    });
}
