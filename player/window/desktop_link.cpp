#include "player/window/desktop_link.h"

#include <QDesktopServices>
#include <algorithm>
#include <climits>

#include "engines/video/aplayer.h"
#include "player/desktop/file_manager.h"
#include "player/window/playback.h"

namespace tessal::player {
namespace {

constexpr const char* kInhibitReason = "正在播放课程";

MediaControls::Callbacks Commands(Playback& playback, QWidget* window, std::function<void()> quit) {
    MediaControls::Callbacks commands;
    commands.play_pause = [&playback] { playback.PlayPause(); };
    commands.play = [&playback] {
        if (playback.state() != kAPlayerPlaying)
            playback.PlayPause();
    };
    commands.pause = [&playback] {
        if (playback.state() == kAPlayerPlaying)
            playback.PlayPause();
    };
    commands.stop = [&playback] { playback.Stop(); };
    commands.next = [&playback] { playback.Next(); };
    commands.previous = [&playback] { playback.Previous(); };
    // Offsets and positions from the bus may be anything a 64-bit number holds.
    commands.seek = [&playback](qint64 offset_us) {
        const qint64 target = playback.position_ms() + offset_us / 1000;
        playback.SeekTo(static_cast<int>(std::clamp<qint64>(target, 0, INT_MAX)));
    };
    commands.set_position = [&playback](qint64 position_us) {
        playback.SeekTo(static_cast<int>(std::clamp<qint64>(position_us / 1000, 0, INT_MAX)));
    };
    commands.raise = [window] {
        window->showNormal();
        window->raise();
        window->activateWindow();
    };
    commands.quit = std::move(quit);
    commands.position_ms = [&playback] { return static_cast<qint64>(playback.position_ms()); };
    commands.set_volume = [&playback](int volume) { playback.SetVolume(volume); };
    commands.open_file = [&playback](const QString& path) { playback.Open(path.toStdString()); };
    return commands;
}

}  // namespace

DesktopLink::DesktopLink(Playback& playback, QWidget* window, std::function<void()> quit,
                         QDBusConnection bus)
    : playback_(playback),
      inhibitor_(bus, "TessalPlayer"),
      media_(bus, Commands(playback, window, std::move(quit))) {
    PlaybackListener listener;
    listener.state_changed = [this](int state) { OnState(state); };
    listener.track_started = [this](const std::string& title, int duration_ms,
                                    const std::string& path) { OnTrack(title, duration_ms, path); };
    listener.seeked = [this](int position_ms) { media_.NotifySeeked(position_ms); };
    listener.volume_changed = [this](int volume) { media_.SetVolume(volume); };
    listener.speed_changed = [this](int speed) { media_.SetRate(speed / 100.0); };
    playback_.SetListener(std::move(listener));
    media_.SetPlaybackStatus(MediaControls::Status::Stopped);
}

DesktopLink::~DesktopLink() {
    playback_.SetListener({});
    inhibitor_.Release();
}

void DesktopLink::OnState(int state) {
    switch (state) {
        case kAPlayerPlaying:
            inhibitor_.Inhibit(QString::fromUtf8(kInhibitReason));
            media_.SetPlaybackStatus(MediaControls::Status::Playing);
            break;
        case kAPlayerPaused:
            inhibitor_.Release();
            media_.SetPlaybackStatus(MediaControls::Status::Paused);
            break;
        case kAPlayerClosing:
            inhibitor_.Release();
            break;
        case kAPlayerClosed:
            inhibitor_.Release();
            media_.SetPlaybackStatus(MediaControls::Status::Stopped);
            media_.ClearTrack();
            break;
        default:
            break;
    }
}

void DesktopLink::OnTrack(const std::string& title, int duration_ms, const std::string& path) {
    media_.SetTrack(QString::fromStdString(title), duration_ms, QString::fromStdString(path));
    media_.SetCanGoNext(playback_.HasNext());
    media_.SetCanGoPrevious(playback_.HasPrevious());
    media_.SetRate(playback_.speed() / 100.0);
}

std::unique_ptr<DesktopLink> MakeDesktopLink(Playback& playback, QWidget* window,
                                             std::function<void()> quit) {
    return std::make_unique<DesktopLink>(playback, window, std::move(quit),
                                         QDBusConnection::sessionBus());
}

void ShowFileInFileManager(const QString& path) {
    ShowInFileManager(path, QDBusConnection::sessionBus(),
                      [](const QUrl& folder) { QDesktopServices::openUrl(folder); });
}

}  // namespace tessal::player
