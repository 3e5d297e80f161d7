#include "player/desktop/media_controls.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QObject>
#include <QUrl>
#include <algorithm>
#include <string>
#include <utility>

#include "common/base/trace.h"
#include "player/desktop/mpris_adaptors.h"
#include "player/desktop/mpris_state.h"

namespace tessal::player {
namespace {

// RequestName's flag and the answers that mean the name is ours.
constexpr uint kDoNotQueue = 4;
constexpr uint kPrimaryOwner = 1;
constexpr uint kAlreadyOwner = 4;

QDBusMessage BusDaemonCall(const QString& method, const QString& name) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), method);
    call << name;
    return call;
}

QString ServiceName(bool instance) {
    QString name = QString::fromLatin1(MediaControls::kServiceName);
    if (instance) {
        name += QStringLiteral(".instance") + QString::number(QCoreApplication::applicationPid());
    }
    return name;
}

}  // namespace

// The exported object: owns the state and callbacks its two interfaces answer from. Name
// replies reach it only while it lives (it is their context object).
class MediaControls::Object : public QObject {
public:
    Object(QDBusConnection bus, Callbacks callbacks)
        : bus_(std::move(bus)),
          callbacks_(std::move(callbacks)),
          player_(new MprisPlayerAdaptor(this, state_, callbacks_)) {
        new MprisRootAdaptor(this, callbacks_);
        if (!bus_.isConnected()) {
            Trace("MPRIS: no session bus, no media controls");
            return;
        }
        if (!bus_.registerObject(QString::fromLatin1(kObjectPath), this,
                                 QDBusConnection::ExportAdaptors)) {
            Trace("MPRIS: the object path is taken, no media controls");
            return;
        }
        exported_ = true;
        AskForName(false);
    }

    ~Object() override {
        if (!exported_) {
            return;
        }
        bus_.unregisterObject(QString::fromLatin1(kObjectPath));
        // Also a name still being asked for: the bus daemon handles the two in order.
        for (const QString& name : names_asked_) {
            bus_.send(BusDaemonCall(QStringLiteral("ReleaseName"), name));
        }
    }

    // Applies a change to the state and announces what it changed.
    template <typename Change>
    void Update(Change change) {
        const MprisState before = state_;
        change(state_);
        Announce(ChangedPlayerProperties(before, state_));
    }

    void NotifySeeked(qint64 position_us) {
        if (exported_) {
            emit player_->Seeked(position_us);
        }
    }

    // Track ids are this player's own paths: /org/mpris/ is reserved to MPRIS itself.
    QDBusObjectPath NewTrackId() {
        return QDBusObjectPath(QStringLiteral("/org/tessal/TessalPlayer/Track/") +
                               QString::number(++tracks_));
    }

    const MprisState& state() const { return state_; }
    const QString& service_name() const { return service_name_; }

private:
    void AskForName(bool instance) {
        const QString name = ServiceName(instance);
        QDBusMessage call = BusDaemonCall(QStringLiteral("RequestName"), name);
        call << kDoNotQueue;
        names_asked_.append(name);
        auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, name, instance] {
            watcher->deleteLater();
            const QDBusPendingReply<uint> reply = *watcher;
            if (!reply.isError() &&
                (reply.value() == kPrimaryOwner || reply.value() == kAlreadyOwner)) {
                service_name_ = name;
                return;
            }
            names_asked_.removeAll(name);
            if (!instance && !reply.isError()) {
                AskForName(true);  // another player holds the plain name
                return;
            }
            Trace("MPRIS: no bus name for " + name.toStdString());
        });
    }

    void Announce(const QVariantMap& changes) {
        if (!exported_ || changes.isEmpty()) {
            return;
        }
        QDBusMessage signal = QDBusMessage::createSignal(
            QString::fromLatin1(kObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("PropertiesChanged"));
        signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << changes << QStringList();
        bus_.send(signal);
    }

    QDBusConnection bus_;
    const Callbacks callbacks_;
    MprisState state_;
    MprisPlayerAdaptor* player_;  // a child, as is the root interface
    quint64 tracks_ = 0;
    bool exported_ = false;
    QStringList names_asked_;
    QString service_name_;
};

MediaControls::MediaControls(QDBusConnection bus, Callbacks callbacks)
    : object_(std::make_unique<Object>(std::move(bus), std::move(callbacks))) {}

MediaControls::~MediaControls() = default;

void MediaControls::SetPlaybackStatus(Status status) {
    object_->Update([status](MprisState& state) { state.status = status; });
}

void MediaControls::SetTrack(const QString& title, qint64 length_ms, const QString& file_path) {
    const QString url = QUrl::fromLocalFile(file_path).toString(QUrl::FullyEncoded);
    const bool same_file = object_->state().has_track && object_->state().url == url;
    const QDBusObjectPath track_id = same_file ? object_->state().track_id : object_->NewTrackId();
    object_->Update([&](MprisState& state) {
        state.has_track = true;
        state.track_id = track_id;
        state.title = title;
        state.length_us = length_ms > 0 ? length_ms * 1000 : 0;
        state.url = url;
    });
}

void MediaControls::ClearTrack() {
    object_->Update([](MprisState& state) {
        state.has_track = false;
        state.track_id = {};
        state.title.clear();
        state.length_us = 0;
        state.url.clear();
    });
}

void MediaControls::SetCanGoNext(bool can) {
    object_->Update([can](MprisState& state) { state.can_go_next = can; });
}

void MediaControls::SetCanGoPrevious(bool can) {
    object_->Update([can](MprisState& state) { state.can_go_previous = can; });
}

void MediaControls::SetVolume(int volume) {
    const double level = std::clamp(volume, 0, 100) / 100.0;
    object_->Update([level](MprisState& state) { state.volume = level; });
}

void MediaControls::SetRate(double rate) {
    object_->Update([rate](MprisState& state) { state.rate = rate; });
}

void MediaControls::NotifySeeked(qint64 position_ms) {
    object_->NotifySeeked(position_ms * 1000);
}

bool MediaControls::registered() const {
    return !object_->service_name().isEmpty();
}

QString MediaControls::service_name() const {
    return object_->service_name();
}

}  // namespace tessal::player
