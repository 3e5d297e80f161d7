#pragma once

// What makes TessalPlayer play: the engine's state changes (texts, images, refresh timer,
// play progress, viewing history, auto-advance), the controls of the window and the
// bar, and the keys and mouse on the video window. Runs on the GUI thread; disk writes go
// to the player's task thread.

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace tessal::player {

class PlayerWindow;
class PlaylistPanel;
class PlayProgress;
class TaskThread;
class VideoEngine;

struct PlaybackParts {
    PlayerWindow* window = nullptr;
    VideoEngine* engine = nullptr;
    PlaylistPanel* playlist = nullptr;
    PlayProgress* progress = nullptr;
    TaskThread* disk = nullptr;
    std::filesystem::path program_folder;
    std::function<void(const std::string& line)> log;
    // Starts the lesson opener with a path.
    std::function<void(const std::string& path)> open_lesson;
};

// What the desktop is told (media controls, sleep inhibit).
struct PlaybackListener {
    std::function<void(int state)> state_changed;
    // A file started: its title, duration and path.
    std::function<void(const std::string& title, int duration_ms, const std::string& path)>
        track_started;
    std::function<void(int position_ms)> seeked;
    std::function<void(int volume)> volume_changed;
    std::function<void(int speed)> speed_changed;
};

class Playback : public QObject {
public:
    // Every few seconds of play the position is stored as well, so that a player that
    // is killed loses seconds, not the session.
    static constexpr int kPeriodicSaveMs = 5000;

    explicit Playback(PlaybackParts parts);
    ~Playback() override;

    void SetListener(PlaybackListener listener) { listener_ = std::move(listener); }
    // Binds the controls of the window and the bar, and the refresh timer.
    void Bind();

    // The engine's callbacks.
    void OnState(int state);
    void OnMessage(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam);

    // Starts a lesson of the playlist: it becomes the current item.
    void PlayItem(int item);
    void PlayPause();
    void Stop();
    // A seek of the member's: a resume still to come is dropped.
    void SeekTo(int position_ms);
    void SetVolume(int volume);
    // The volume slider's value, to an engine made after it was set.
    void ApplyVolume();
    void NextSpeed();
    void Next();
    void Previous();

    // The opener's GUI-thread steps.
    void OpenInEngine(const std::string& path, bool lesson, int stored_ms, std::uint64_t start);
    void ResumeAt(int position_ms, std::uint64_t start);

    // Starts the opener with a path.
    void Open(const std::string& path);
    int speed() const { return speed_; }
    int state() const { return state_; }
    int position_ms() const;
    bool HasNext() const;
    bool HasPrevious() const;
    const std::string& lesson_title() const { return pending_.title; }
    // Called by the shutdown after the engine's last states: nothing starts any more.
    void Halt();

private:
    struct Viewing {
        bool lesson = false;
        bool started = false;  // reached state 4
        std::string title;
        std::string path;
        std::string begin;
        std::uint64_t start = 0;
        // The stored position waits to be resumed: until it is (or will not be), the
        // lesson's row keeps it and no save replaces it.
        bool awaiting_resume = false;
    };

    void BindButton(QWidget* element, std::function<void()> action);
    void OnRefreshTimer();
    void ShowPlayImages(bool playing);
    void ResetProgressDisplay();
    void SetTitle(const QString& text);
    void SetSliders(int value);
    void SetSpeed(int speed, const std::string& normal, const std::string& over);
    void OnStarting();
    void OnClosed();
    void OnClosing();
    void AutoAdvance();
    void Seek(int position_ms);
    void EndAwaitingResume();
    void SaveProgress(const std::string& key, int position_ms);
    void WriteHistory(const Viewing& viewing, const std::string& end);
    void SavePeriodically();
    void Redraw();

    PlaybackParts parts_;
    PlaybackListener listener_;
    Viewing pending_;  // the file opened last
    Viewing viewing_;  // the file the engine's states are about
    int duration_ms_ = 0;
    int speed_ = 100;
    int state_ = 0;
    bool halted_ = false;
    QTimer periodic_save_;
};

}  // namespace tessal::player
