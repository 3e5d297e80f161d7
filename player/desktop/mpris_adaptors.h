#pragma once

// The two MPRIS interfaces of the player's object. They answer from the state the
// controls keep and pass the desktop's commands to the player's callbacks, dropping the
// ones the state does not allow. Both live as children of the exported object, which
// also owns the state and callbacks they refer to.

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>

#include "player/desktop/media_controls.h"
#include "player/desktop/mpris_state.h"

namespace tessal::player {

class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)

public:
    MprisRootAdaptor(QObject* object, const MediaControls::Callbacks& callbacks);

    bool canQuit() const { return static_cast<bool>(callbacks_.quit); }
    bool canRaise() const { return static_cast<bool>(callbacks_.raise); }
    bool hasTrackList() const { return false; }
    QString identity() const;
    QString desktopEntry() const;
    QStringList supportedUriSchemes() const;
    QStringList supportedMimeTypes() const;

public slots:
    void Raise();
    void Quit();

private:
    const MediaControls::Callbacks& callbacks_;
};

class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(double MinimumRate READ minimumRate)
    Q_PROPERTY(double MaximumRate READ maximumRate)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
    Q_PROPERTY(bool CanPlay READ canPlay)
    Q_PROPERTY(bool CanPause READ canPause)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ canControl)

public:
    MprisPlayerAdaptor(QObject* object, const MprisState& state,
                       const MediaControls::Callbacks& callbacks);

    QString playbackStatus() const { return StatusText(state_.status); }
    double rate() const { return state_.rate; }
    void setRate(double rate);
    double minimumRate() const { return kMinimumRate; }
    double maximumRate() const { return kMaximumRate; }
    QVariantMap metadata() const { return Metadata(state_); }
    double volume() const { return state_.volume; }
    void setVolume(double volume);
    qlonglong position() const;
    bool canGoNext() const { return state_.can_go_next; }
    bool canGoPrevious() const { return state_.can_go_previous; }
    bool canPlay() const { return state_.can_play(); }
    bool canPause() const { return state_.can_pause(); }
    bool canSeek() const { return state_.can_seek(); }
    bool canControl() const { return true; }

public slots:
    void Next();
    void Previous();
    void Pause();
    void PlayPause();
    void Stop();
    void Play();
    void Seek(qlonglong Offset);
    void SetPosition(const QDBusObjectPath& TrackId, qlonglong Position);
    void OpenUri(const QString& Uri);

signals:
    void Seeked(qlonglong Position);

private:
    const MprisState& state_;
    const MediaControls::Callbacks& callbacks_;
};

}  // namespace tessal::player
