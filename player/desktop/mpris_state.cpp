#include "player/desktop/mpris_state.h"

namespace tessal::player {
namespace {

bool SameTrack(const MprisState& a, const MprisState& b) {
    return a.has_track == b.has_track && a.track_id == b.track_id && a.title == b.title &&
           a.length_us == b.length_us && a.url == b.url;
}

void AddWhenChanged(QVariantMap& changes, const char* name, bool before, bool after) {
    if (before != after) {
        changes.insert(QString::fromLatin1(name), after);
    }
}

}  // namespace

QString StatusText(MediaControls::Status status) {
    switch (status) {
        case MediaControls::Status::Playing:
            return QStringLiteral("Playing");
        case MediaControls::Status::Paused:
            return QStringLiteral("Paused");
        case MediaControls::Status::Stopped:
            break;
    }
    return QStringLiteral("Stopped");
}

QVariantMap Metadata(const MprisState& state) {
    QVariantMap metadata;
    if (!state.has_track) {
        return metadata;
    }
    metadata.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(state.track_id));
    metadata.insert(QStringLiteral("xesam:title"), state.title);
    metadata.insert(QStringLiteral("xesam:url"), state.url);
    if (state.length_us > 0) {
        metadata.insert(QStringLiteral("mpris:length"), QVariant::fromValue(state.length_us));
    }
    return metadata;
}

QVariantMap ChangedPlayerProperties(const MprisState& before, const MprisState& after) {
    QVariantMap changes;
    if (before.status != after.status) {
        changes.insert(QStringLiteral("PlaybackStatus"), StatusText(after.status));
    }
    if (!SameTrack(before, after)) {
        changes.insert(QStringLiteral("Metadata"), Metadata(after));
    }
    if (before.volume != after.volume) {
        changes.insert(QStringLiteral("Volume"), after.volume);
    }
    if (before.rate != after.rate) {
        changes.insert(QStringLiteral("Rate"), after.rate);
    }
    AddWhenChanged(changes, "CanGoNext", before.can_go_next, after.can_go_next);
    AddWhenChanged(changes, "CanGoPrevious", before.can_go_previous, after.can_go_previous);
    AddWhenChanged(changes, "CanPlay", before.can_play(), after.can_play());
    AddWhenChanged(changes, "CanPause", before.can_pause(), after.can_pause());
    AddWhenChanged(changes, "CanSeek", before.can_seek(), after.can_seek());
    return changes;
}

}  // namespace tessal::player
