// mpv's events and property changes, drained on the GUI thread, turned into states.

#include <cmath>

#include "engines/video/engine.h"

namespace tessal::aplayer {
namespace {

int Milliseconds(double seconds) {
    return static_cast<int>(std::lround(seconds * 1000.0));
}

bool IsOpen(int state) {
    return state >= kAPlayerPausing && state <= kAPlayerPlaying;
}

}  // namespace

void Engine::DrainEvents() {
    for (;;) {
        const mpv_event* event = mpv_wait_event(mpv_, 0);
        if (event->event_id == MPV_EVENT_NONE)
            return;
        HandleEvent(*event);
    }
}

void Engine::HandleEvent(const mpv_event& event) {
    switch (event.event_id) {
        case MPV_EVENT_PROPERTY_CHANGE:
        case MPV_EVENT_GET_PROPERTY_REPLY:
            OnProperty(event.reply_userdata, *static_cast<mpv_event_property*>(event.data));
            break;
        case MPV_EVENT_START_FILE:
            OnStartFile();
            break;
        case MPV_EVENT_COMMAND_REPLY:
            if (event.reply_userdata == kLoadCommand)
                OnLoadReply(event.error);
            else if (event.reply_userdata == kStopCommand)
                OnStopReply();
            break;
        case MPV_EVENT_FILE_LOADED:
            OnFileLoaded();
            break;
        case MPV_EVENT_PLAYBACK_RESTART:
            OnPlaybackRestart();
            break;
        case MPV_EVENT_END_FILE:
            OnEndFile(*static_cast<mpv_event_end_file*>(event.data));
            break;
        default:
            break;
    }
}

void Engine::OnProperty(std::uint64_t id, const mpv_event_property& property) {
    const bool has_value = property.format != MPV_FORMAT_NONE && property.data != nullptr;
    if (id == kPause) {
        if (has_value)
            OnPause(*static_cast<int*>(property.data) != 0);
        return;
    }
    const double number = !has_value ? 0.0
                          : property.format == MPV_FORMAT_DOUBLE
                              ? *static_cast<double*>(property.data)
                          : property.format == MPV_FORMAT_INT64
                              ? static_cast<double>(*static_cast<std::int64_t*>(property.data))
                              : static_cast<double>(*static_cast<int*>(property.data));
    // An entry mpv starts after an open was refused or closed is not the player's file.
    const bool ours = !close_while_opening_;
    const bool duration_now_known = id == kDuration && has_value && ours && !duration_known_;
    if (duration_now_known)
        duration_known_ = true;
    values_.Update([&](EngineSnapshot& values) {
        switch (id) {
            case kDuration:
                // Kept after the file ends: the player reads it while closing.
                if (has_value && ours)
                    values.duration_ms = Milliseconds(number);
                break;
            case kTimePosition:
            case kPausedPosition:
                // The last position stays readable after closing (an answer that comes
                // after the end changes it no more); while a seek has not landed, the
                // seek target is the answer.
                if (has_value && !seek_pending_ && IsOpen(values.state))
                    values.position_ms = Milliseconds(number);
                break;
            case kSeeking:
                values.seeking = seek_pending_ || number != 0.0;
                break;
            case kVideoWidth:
                values.video_width = static_cast<int>(number);
                break;
            case kVideoHeight:
                values.video_height = static_cast<int>(number);
                break;
            case kBuffering:
                values.buffer_percent = has_value ? static_cast<int>(number) : 100;
                break;
            default:
                break;
        }
    });
    if (duration_now_known && file_loaded_ && snapshot().state == kAPlayerOpening)
        ChangeState(kAPlayerStarting);
    if (id == kPausedPosition && snapshot().state == kAPlayerPausing)
        ChangeState(kAPlayerPaused);
}

void Engine::OnStartFile() {
    if (snapshot().state == kAPlayerOpening)
        file_started_ = true;
}

// mpv refused the loadfile command itself: no file starts, so no end-file follows, and
// the open ends here, with the error as item 7 (never "0": nothing was seen to its end).
// A close asked for meanwhile ends the same way.
void Engine::OnLoadReply(int error) {
    if (error >= 0 || snapshot().state != kAPlayerOpening || file_started_)
        return;
    values_.Update([&](EngineSnapshot& values) { values.close_reason = std::to_string(error); });
    close_while_opening_ = false;
    ChangeState(kAPlayerClosed);
}

// A stop that mpv ran before it started the file cleared its playlist: the file never
// starts, so no end-file follows, and the close ends here. Had the file started, its
// start event would have come before this reply and its end-file will follow.
void Engine::OnStopReply() {
    if (!close_while_opening_ || file_started_ || snapshot().state != kAPlayerOpening)
        return;
    const std::string reason = closed_by_player_ ? std::string("1") : refusal_;
    values_.Update([&](EngineSnapshot& values) { values.close_reason = reason; });
    close_while_opening_ = false;
    ChangeState(kAPlayerClosed);
}

void Engine::OnFileLoaded() {
    // A file closed while opening is already being stopped; its end-file ends it.
    if (snapshot().state != kAPlayerOpening || close_while_opening_)
        return;
    file_loaded_ = true;
    position_poll_.start();
    // The duration may equal the last file's, in which case no change is reported; ask
    // for it without waiting, the reply arrives as an event like a change.
    mpv_get_property_async(mpv_, kDuration, "duration", MPV_FORMAT_DOUBLE);
    values_.Update([](EngineSnapshot& values) { values.buffer_percent = 100; });
    if (duration_known_)
        ChangeState(kAPlayerStarting);
}

void Engine::OnPlaybackRestart() {
    seek_pending_ = false;
    values_.Update([](EngineSnapshot& values) { values.seeking = false; });
    // Where a seek landed, or where playback starts, is known at once.
    if (file_loaded_)
        PollPosition();
    const int state = snapshot().state;
    if (close_while_opening_)
        return;
    // A file without a known duration (a stream) starts playing all the same.
    if (state == kAPlayerOpening && file_loaded_)
        ChangeState(kAPlayerStarting);
    if (state == kAPlayerOpening || state == kAPlayerStarting)
        ChangeState(kAPlayerPlaying);
}

// Paused is reported once the position where mpv stopped is known, so that the player
// reads that position, which the polling might otherwise give only later.
void Engine::OnPause(bool paused) {
    const int state = snapshot().state;
    if (paused && state == kAPlayerPausing)
        mpv_get_property_async(mpv_, kPausedPosition, "time-pos", MPV_FORMAT_DOUBLE);
    else if (!paused && state == kAPlayerPaused)
        ChangeState(kAPlayerPlaying);
}

namespace {

// mpv reports a file that played to its end as failed when sound or picture had no
// output (a machine without a sound card); the lesson was still seen to its end.
bool EndedWithoutAnOutput(const mpv_event_end_file& end, int state) {
    return end.reason == MPV_END_FILE_REASON_ERROR && IsOpen(state) &&
           (end.error == MPV_ERROR_AO_INIT_FAILED || end.error == MPV_ERROR_VO_INIT_FAILED);
}

// Item 7: "0" played to the end, "1" closed, else the error.
std::string CloseReason(const mpv_event_end_file& end, bool reached_end, bool closed_by_player,
                        const std::string& refusal) {
    if (closed_by_player)
        return "1";
    if (!refusal.empty())
        return refusal;
    if (reached_end)
        return "0";
    if (end.reason == MPV_END_FILE_REASON_ERROR)
        return std::to_string(end.error);
    return "1";
}

}  // namespace

void Engine::OnEndFile(const mpv_event_end_file& end) {
    const int state = snapshot().state;
    if (state == kAPlayerClosed)
        return;
    if (end.reason == MPV_END_FILE_REASON_REDIRECT) {
        RefuseExpansion();
        return;
    }
    const bool reached_end =
        refusal_.empty() && !closed_by_player_ &&
        (end.reason == MPV_END_FILE_REASON_EOF || EndedWithoutAnOutput(end, state));
    const std::string reason = CloseReason(end, reached_end, closed_by_player_, refusal_);
    const bool at_duration = reached_end && duration_known_;
    values_.Update([&](EngineSnapshot& values) {
        values.close_reason = reason;
        values.seeking = false;
        values.buffer_percent = 0;
        if (at_duration)
            values.position_ms = values.duration_ms;
    });
    seek_pending_ = false;
    file_started_ = false;
    file_loaded_ = false;
    position_poll_.stop();
    // A file that played (to its end, or until a read error) closes through 6, so the
    // player saves its position; one that never opened goes straight to 0.
    if (IsOpen(state))
        ChangeState(kAPlayerClosing);
    ChangeState(kAPlayerClosed);
}

// mpv found a playlist, a folder or an archive and queued its entries to play next. A
// lesson is one file, so the open is refused as one mpv cannot read; the stop clears
// the queue, and 0 follows as for a close while opening (the stop's reply, or the end
// of an entry mpv started meanwhile), so mpv plays nothing once the engine is in 0.
void Engine::RefuseExpansion() {
    if (snapshot().state != kAPlayerOpening)
        return;
    if (refusal_.empty())
        refusal_ = std::to_string(MPV_ERROR_UNKNOWN_FORMAT);
    close_while_opening_ = true;
    file_started_ = false;
    file_loaded_ = false;
    Stop();
}

}  // namespace tessal::aplayer
