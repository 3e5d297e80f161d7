#pragma once

// What the player's MPRIS object answers from, and the bus form of it: the Player
// properties by their bus names, and which of them a change touched.

#include <QDBusObjectPath>
#include <QString>
#include <QVariantMap>

#include "player/desktop/media_controls.h"

namespace tessal::player {

inline constexpr double kMinimumRate = 0.5;  // the player's slowest speed, 50
inline constexpr double kMaximumRate = 4.0;  // its fastest, 400

struct MprisState {
    MediaControls::Status status = MediaControls::Status::Stopped;
    bool has_track = false;
    QDBusObjectPath track_id;
    QString title;
    qint64 length_us = 0;  // 0: not known
    QString url;
    bool can_go_next = false;
    bool can_go_previous = false;
    double volume = 1.0;
    double rate = 1.0;

    bool can_play() const { return has_track; }
    bool can_pause() const { return has_track; }
    bool can_seek() const { return has_track && length_us > 0; }
};

QString StatusText(MediaControls::Status status);
// Empty without a track; else mpris:trackid (an object path), xesam:title, xesam:url and,
// when known, mpris:length.
QVariantMap Metadata(const MprisState& state);
// The org.mpris.MediaPlayer2.Player properties whose values differ, with the new ones.
QVariantMap ChangedPlayerProperties(const MprisState& before, const MprisState& after);

}  // namespace tessal::player
