#pragma once

// The player on the desktop's media keys and controls: MPRIS 2 (org.mpris.MediaPlayer2
// and org.mpris.MediaPlayer2.Player at /org/mpris/MediaPlayer2) on the session bus. The
// player tells it what plays through the setters; the desktop's commands come back
// through the callbacks, on the thread that made the controls (the GUI thread), only
// while the state allows them (no Next while CanGoNext is false, no SetPosition for
// another track or beyond its end). Each setter that changes something announces just
// that change (PropertiesChanged). The bus name is asked for without waiting: it is held
// once `registered()` turns true. With no session bus everything is a quiet no-op.
// Times on the bus are microseconds; the player's are milliseconds.

#include <QDBusConnection>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>

namespace tessal::player {

class MediaControls {
public:
    enum class Status { Playing, Paused, Stopped };

    // Empty members are commands the player does not take.
    struct Callbacks {
        std::function<void()> play_pause;
        std::function<void()> play;
        std::function<void()> pause;
        std::function<void()> stop;
        std::function<void()> next;
        std::function<void()> previous;
        std::function<void(qint64 offset_us)> seek;  // relative; the player keeps it in range
        std::function<void(qint64 position_us)> set_position;  // within the track
        std::function<void()> raise;                           // CanRaise when set
        std::function<void()> quit;                  // CanQuit when set; runs from the event loop
        std::function<qint64()> position_ms;         // read for Position
        std::function<void(int volume)> set_volume;  // 0..100
        std::function<void(double rate)> set_rate;   // 0.5..4.0, 1.0 normal
        std::function<void(const QString& path)> open_file;  // OpenUri of a file URI
    };

    static constexpr const char* kServiceName = "org.mpris.MediaPlayer2.TessalPlayer";
    static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";

    // Asks for kServiceName, or "<kServiceName>.instance<pid>" when another player holds it.
    MediaControls(QDBusConnection bus, Callbacks callbacks);
    ~MediaControls();  // leaves the bus
    MediaControls(const MediaControls&) = delete;
    MediaControls& operator=(const MediaControls&) = delete;

    void SetPlaybackStatus(Status status);
    // A lesson is open; the same file again keeps its track id (e.g. once its length is
    // known). `length_ms` 0: not known yet.
    void SetTrack(const QString& title, qint64 length_ms, const QString& file_path);
    void ClearTrack();  // no lesson open
    void SetCanGoNext(bool can);
    void SetCanGoPrevious(bool can);
    void SetVolume(int volume);  // 0..100
    void SetRate(double rate);   // 1.0 normal speed
    // The position jumped (a seek, a resume from the stored progress): Seeked.
    void NotifySeeked(qint64 position_ms);

    bool registered() const;
    QString service_name() const;  // the bus name held; empty until registered

private:
    class Object;
    std::unique_ptr<Object> object_;
};

}  // namespace tessal::player
