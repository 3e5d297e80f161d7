#pragma once

// The player on the desktop: the media keys and controls (MPRIS) drive it, and the
// screen saver and sleep stay away while a lesson plays, released on pause, stop and
// exit. Everything goes through the session bus given (a private one in tests).

#include <QDBusConnection>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "player/desktop/media_controls.h"
#include "player/desktop/sleep_inhibitor.h"

namespace tessal::player {

class Playback;

class DesktopLink {
public:
    // Becomes `playback`'s listener; `quit` ends the player (the desktop's Quit).
    DesktopLink(Playback& playback, QWidget* window, std::function<void()> quit,
                QDBusConnection bus);
    ~DesktopLink();

    const MediaControls& media_controls() const { return media_; }
    const SleepInhibitor& inhibitor() const { return inhibitor_; }

private:
    void OnState(int state);
    void OnTrack(const std::string& title, int duration_ms, const std::string& path);

    Playback& playback_;
    SleepInhibitor inhibitor_;
    MediaControls media_;
};

// On the session bus.
std::unique_ptr<DesktopLink> MakeDesktopLink(Playback& playback, QWidget* window,
                                             std::function<void()> quit);
// The desktop's file manager shows the file, else its folder opens.
void ShowFileInFileManager(const QString& path);

}  // namespace tessal::player
