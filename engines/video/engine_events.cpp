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
    bool duration_now_known = false;
    {
        std::lock_guard lock(mutex_);
        switch (id) {
            case kDuration:
                // Kept after the file ends: the player reads it while closing.
                if (has_value) {
                    snapshot_.duration_ms = Milliseconds(number);
                    duration_now_known = !duration_known_;
                    duration_known_ = true;
                }
                break;
            case kTimePosition:
                // The last position stays readable after closing; while a seek has not
                // landed, the seek target is the answer.
                if (has_value && !seek_pending_)
                    snapshot_.position_ms = Milliseconds(number);
                break;
            case kSeeking:
                snapshot_.seeking = seek_pending_ || number != 0.0;
                break;
            case kVideoWidth:
                snapshot_.video_width = static_cast<int>(number);
                break;
            case kVideoHeight:
                snapshot_.video_height = static_cast<int>(number);
                break;
            case kBuffering:
                snapshot_.buffer_percent = has_value ? static_cast<int>(number) : 100;
                break;
            default:
                break;
        }
    }
    if (duration_now_known && file_loaded_ && snapshot().state == kAPlayerOpening)
        ChangeState(kAPlayerStarting);
}

void Engine::OnStartFile() {
    if (snapshot().state == kAPlayerOpening)
        file_started_ = true;
}

// mpv refused the loadfile command itself: no file starts, so no end-file follows.
void Engine::OnLoadReply(int error) {
    if (error >= 0 || snapshot().state != kAPlayerOpening || file_started_)
        return;
    {
        std::lock_guard lock(mutex_);
        snapshot_.close_reason = std::to_string(error);
    }
    ChangeState(kAPlayerClosed);
}

void Engine::OnFileLoaded() {
    if (snapshot().state != kAPlayerOpening)
        return;
    if (close_when_started_) {
        Command({"stop"});
        return;
    }
    file_loaded_ = true;
    // The duration may equal the last file's, in which case no change is reported; ask
    // for it without waiting, the reply arrives as an event like a change.
    mpv_get_property_async(mpv_, kDuration, "duration", MPV_FORMAT_DOUBLE);
    {
        std::lock_guard lock(mutex_);
        snapshot_.buffer_percent = 100;
    }
    if (duration_known_)
        ChangeState(kAPlayerStarting);
}

void Engine::OnPlaybackRestart() {
    seek_pending_ = false;
    {
        std::lock_guard lock(mutex_);
        snapshot_.seeking = false;
    }
    const int state = snapshot().state;
    if (close_when_started_)
        return;
    // A file without a known duration (a stream) starts playing all the same.
    if (state == kAPlayerOpening && file_loaded_)
        ChangeState(kAPlayerStarting);
    if (state == kAPlayerOpening || state == kAPlayerStarting)
        ChangeState(kAPlayerPlaying);
}

void Engine::OnPause(bool paused) {
    const int state = snapshot().state;
    if (paused && state == kAPlayerPausing)
        ChangeState(kAPlayerPaused);
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
std::string CloseReason(const mpv_event_end_file& end, bool reached_end) {
    if (reached_end)
        return "0";
    if (end.reason == MPV_END_FILE_REASON_ERROR)
        return std::to_string(end.error);
    return "1";
}

}  // namespace

void Engine::OnEndFile(const mpv_event_end_file& end) {
    // A playlist redirect is not an end: the file goes on.
    if (end.reason == MPV_END_FILE_REASON_REDIRECT)
        return;
    const int state = snapshot().state;
    if (state == kAPlayerClosed)
        return;
    const bool reached_end =
        end.reason == MPV_END_FILE_REASON_EOF || EndedWithoutAnOutput(end, state);
    const std::string reason = CloseReason(end, reached_end);
    {
        std::lock_guard lock(mutex_);
        snapshot_.close_reason = reason;
        snapshot_.seeking = false;
        snapshot_.buffer_percent = 0;
        if (reached_end && duration_known_)
            snapshot_.position_ms = snapshot_.duration_ms;
    }
    seek_pending_ = false;
    file_started_ = false;
    file_loaded_ = false;
    // A file that played (to its end, or until a read error) closes through 6, so the
    // player saves its position; one that never opened goes straight to 0.
    if (IsOpen(state))
        ChangeState(kAPlayerClosing);
    ChangeState(kAPlayerClosed);
}

}  // namespace tessal::aplayer
