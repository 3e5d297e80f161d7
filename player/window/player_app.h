#pragma once

// TessalPlayer's composition root: the single-instance hand-off, the folders and the
// cache database, the main window with its engine, playlist and controls, and the
// shutdown, which runs once whoever asks first (close button, window manager, signal,
// the codec update).

#include <QObject>
#include <QSize>
#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "common/gui/message_boxes.h"
#include "common/log/daily_log.h"
#include "engines/video/loader/aplayer_loader.h"
#include "player/core/play_progress.h"
#include "player/window/lesson_opener.h"
#include "player/window/playback.h"
#include "player/window/player_window.h"
#include "player/window/playlist_panel.h"
#include "player/window/single_instance.h"
#include "player/window/startup_loads.h"
#include "player/window/task_thread.h"
#include "player/window/video_engine.h"

namespace tessal::player {

class DesktopLink;

// What the player reaches outside itself; tests replace them.
struct PlayerEnvironment {
    std::filesystem::path program_folder;
    gui::MessageBoxes* boxes = nullptr;
    // Starts a program of the folder without waiting for it (TessalUpdataCodes).
    std::function<bool(const std::filesystem::path& program)> start_program;
    // Empty: the playlist's own folder and file dialogs.
    std::function<QString(QWidget* owner)> choose_folder;
    std::function<QString(QWidget* owner)> choose_file;
    std::function<void(const QString& path)> show_in_file_manager;
    // Media controls and sleep inhibit; none in tests that do not ask for them.
    std::function<std::unique_ptr<DesktopLink>(Playback& playback, QWidget* window,
                                               std::function<void()> quit)>
        desktop_link;
    QSize screen;  // empty: the primary screen's
};

// The desktop's dialogs, file manager, session bus and programs.
PlayerEnvironment DesktopPlayerEnvironment(std::filesystem::path program_folder,
                                           gui::MessageBoxes& boxes);

class PlayerApp : public QObject {
public:
    explicit PlayerApp(PlayerEnvironment environment);
    ~PlayerApp() override;

    // The start-up; false when the player ends at once: a second start that handed its
    // path over, or a main window that could not be made.
    bool Start(const std::string& argument);
    void Shutdown();
    bool shut_down() const { return shut_down_; }
    // The engine is made and the lesson of the start was handed to the opener.
    bool ready() const { return ready_; }

    PlayerWindow* window() const { return window_.get(); }
    PlaylistPanel* playlist() const { return playlist_.get(); }
    Playback* playback() const { return playback_.get(); }
    VideoEngine* engine() const { return engine_.get(); }
    LessonOpener* opener() const { return opener_.get(); }
    SingleInstance* instance() const { return instance_.get(); }
    // Waits until the player's disk writes queued so far are done.
    void FlushDiskWrites();

private:
    void OpenFiles();
    void StartLoading();
    bool LoadWindow();
    void BuildWindow();
    void OnEngineLoaded();
    void HideWindows();
    bool MakeEngine();
    void MakePlaylist();
    void MakePlayback();
    void MakeOpener();
    void BindWindow();
    void OpenLesson(const std::string& path);
    void OnHandOff(int flag);
    void OpenSettings();
    void UpdateCodecs();
    void ShowBox(const std::string& text, const std::string& caption, bool owned);
    void Log(const std::string& line);

    PlayerEnvironment environment_;
    std::unique_ptr<SingleInstance> instance_;
    std::unique_ptr<DailyLog> log_;
    std::unique_ptr<TaskThread> disk_;
    std::unique_ptr<PlayProgress> progress_;
    std::unique_ptr<APlayerLoader> loader_;
    std::unique_ptr<PlayerWindow> window_;
    std::unique_ptr<VideoEngine> engine_;
    std::unique_ptr<PlaylistPanel> playlist_;
    std::unique_ptr<Playback> playback_;
    std::unique_ptr<LessonOpener> opener_;
    std::unique_ptr<StartupLoads> loads_;
    std::unique_ptr<DesktopLink> desktop_;
    std::string pending_lesson_;
    bool ready_ = false;
    bool started_ = false;         // Start has run to its end
    bool engine_arrived_ = false;  // loaded before that
    bool shut_down_ = false;
};

}  // namespace tessal::player
