#include "player/desktop/mpris_adaptors.h"

#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <functional>

namespace tessal::player {
namespace {

void Run(const std::function<void()>& command) {
    if (command) {
        command();
    }
}

}  // namespace

MprisRootAdaptor::MprisRootAdaptor(QObject* object, const MediaControls::Callbacks& callbacks)
    : QDBusAbstractAdaptor(object), callbacks_(callbacks) {}

QString MprisRootAdaptor::identity() const {
    return QStringLiteral("Tessal播放器");
}

QString MprisRootAdaptor::desktopEntry() const {
    return QStringLiteral("TessalPlayer");
}

QStringList MprisRootAdaptor::supportedUriSchemes() const {
    return {QStringLiteral("file")};
}

QStringList MprisRootAdaptor::supportedMimeTypes() const {
    return {QStringLiteral("application/x-tessal")};
}

void MprisRootAdaptor::Raise() {
    Run(callbacks_.raise);
}

void MprisRootAdaptor::Quit() {
    Run(callbacks_.quit);
}

MprisPlayerAdaptor::MprisPlayerAdaptor(QObject* object, const MprisState& state,
                                       const MediaControls::Callbacks& callbacks)
    : QDBusAbstractAdaptor(object), state_(state), callbacks_(callbacks) {}

void MprisPlayerAdaptor::setRate(double rate) {
    // A rate of 0 asks for a pause; rates outside the player's range are not taken.
    if (rate == 0.0) {
        Pause();
    } else if (rate >= kMinimumRate && rate <= kMaximumRate && callbacks_.set_rate) {
        callbacks_.set_rate(rate);
    }
}

void MprisPlayerAdaptor::setVolume(double volume) {
    if (std::isnan(volume) || !callbacks_.set_volume) {
        return;
    }
    callbacks_.set_volume(static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100)));
}

qlonglong MprisPlayerAdaptor::position() const {
    return callbacks_.position_ms ? callbacks_.position_ms() * 1000 : 0;
}

void MprisPlayerAdaptor::Next() {
    if (state_.can_go_next) {
        Run(callbacks_.next);
    }
}

void MprisPlayerAdaptor::Previous() {
    if (state_.can_go_previous) {
        Run(callbacks_.previous);
    }
}

void MprisPlayerAdaptor::Pause() {
    if (state_.can_pause() && state_.status == MediaControls::Status::Playing) {
        Run(callbacks_.pause);
    }
}

void MprisPlayerAdaptor::PlayPause() {
    if (state_.can_pause()) {
        Run(callbacks_.play_pause);
    }
}

void MprisPlayerAdaptor::Stop() {
    if (state_.status != MediaControls::Status::Stopped) {
        Run(callbacks_.stop);
    }
}

void MprisPlayerAdaptor::Play() {
    if (state_.can_play() && state_.status != MediaControls::Status::Playing) {
        Run(callbacks_.play);
    }
}

void MprisPlayerAdaptor::Seek(qlonglong Offset) {
    if (state_.can_seek() && callbacks_.seek) {
        callbacks_.seek(Offset);
    }
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
    // A request for a track no longer playing is stale; one beyond the end is not taken.
    if (!state_.can_seek() || TrackId != state_.track_id || Position < 0 ||
        Position > state_.length_us || !callbacks_.set_position) {
        return;
    }
    callbacks_.set_position(Position);
}

void MprisPlayerAdaptor::OpenUri(const QString& Uri) {
    const QUrl url(Uri);
    if (url.isLocalFile() && callbacks_.open_file) {
        callbacks_.open_file(url.toLocalFile());
    }
}

}  // namespace tessal::player
