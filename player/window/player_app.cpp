#include "player/window/player_app.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <utility>

#include "common/gui/element_events.h"
#include "common/gui/elements.h"
#include "common/gui/toolkit_codes.h"
#include "engines/video/aplayer.h"
#include "player/core/hand_off.h"
#include "player/window/desktop_link.h"
#include "player/window/settings_dialog.h"
#include "player/window/startup_loads.h"

namespace tessal::player {

using namespace tessal::gui;

namespace {

constexpr const char* kDatabaseCaption = "连接离线数据库异常!";
constexpr const char* kWindowFailure = "创建播放窗口失败";
constexpr const char* kBarFailure = "CreatFullSreanConsolWndFail";
constexpr const char* kNoEngineTitle = "未找到视频引擎(apdllMiss)，无法播放";

// Files dropped on the window open the first of them; a close from the window manager
// ends the player as its close button does.
class WindowWatcher : public QObject {
public:
    WindowWatcher(QWidget* window, std::function<void(const std::string&)> on_drop,
                  std::function<void()> on_close)
        : QObject(window), on_drop_(std::move(on_drop)), on_close_(std::move(on_close)) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::DragEnter) {
            auto* enter = static_cast<QDragEnterEvent*>(event);
            if (enter->mimeData()->hasUrls())
                enter->acceptProposedAction();
            return true;
        }
        if (event->type() == QEvent::Drop) {
            const auto urls = static_cast<QDropEvent*>(event)->mimeData()->urls();
            if (!urls.isEmpty() && urls.first().isLocalFile())
                on_drop_(urls.first().toLocalFile().toStdString());
            return true;
        }
        if (event->type() == QEvent::Close)
            on_close_();
        return false;
    }

private:
    std::function<void(const std::string&)> on_drop_;
    std::function<void()> on_close_;
};

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

PlayerEnvironment DesktopPlayerEnvironment(std::filesystem::path program_folder,
                                           gui::MessageBoxes& boxes) {
    PlayerEnvironment environment;
    environment.program_folder = std::move(program_folder);
    environment.boxes = &boxes;
    // TessalUpdataCodes is a console program: it runs in the desktop's terminal, where
    // the member sees its progress, when there is one.
    environment.start_program = [](const std::filesystem::path& program) {
        const QString folder = Text(program.parent_path().string());
        const QString terminal = QStandardPaths::findExecutable("x-terminal-emulator");
        if (!terminal.isEmpty())
            return QProcess::startDetached(terminal, {"-e", Text(program.string())}, folder);
        return QProcess::startDetached(Text(program.string()), {}, folder);
    };
    environment.show_in_file_manager = [](const QString& path) { ShowFileInFileManager(path); };
    environment.desktop_link = [](Playback& playback, QWidget* window, std::function<void()> quit) {
        return MakeDesktopLink(playback, window, std::move(quit));
    };
    return environment;
}

PlayerApp::PlayerApp(PlayerEnvironment environment) : environment_(std::move(environment)) {}

PlayerApp::~PlayerApp() {
    Shutdown();
}

bool PlayerApp::Start(const std::string& argument) {
    const auto& folder = environment_.program_folder;
    std::error_code error;
    std::filesystem::current_path(folder, error);
    instance_ = std::make_unique<SingleInstance>(folder);
    if (!instance_->first()) {
        instance_->HandOver(argument);
        shut_down_ = true;
        return false;
    }
    OpenFiles();
    StartLoading();
    if (!LoadWindow()) {
        Shutdown();
        return false;
    }
    BuildWindow();
    if (shut_down_)  // a signal while a box of the start was up
        return false;
    SendWindowEvent(window_->window(), kWindowSize);
    window_->PlaceAtStart();
    playback_->SetVolume(50);
    window_->window()->show();
    if (!argument.empty())
        OpenLesson(argument);
    started_ = true;
    if (engine_arrived_)
        OnEngineLoaded();
    return true;
}

// The engine has loaded while the window was shown: its video window, then the lesson
// asked for at the start (or since), then the playlist and the desktop's controls.
void PlayerApp::OnEngineLoaded() {
    if (shut_down_ || ready_)
        return;
    if (!started_) {  // a modal box of the start ran the event loop: the start goes on first
        engine_arrived_ = true;
        return;
    }
    if (!MakeEngine()) {
        Shutdown();
        return;
    }
    window_->LayOut(engine_->Window());
    engine_->SetConfig(kAPlayerConfigRenderMode, RenderMode(environment_.program_folder));
    ready_ = true;
    if (!pending_lesson_.empty())
        OpenLesson(std::exchange(pending_lesson_, {}));
    playlist_->Load();
    playback_->ApplyVolume();  // the member's, when moved while the engine loaded
    if (environment_.desktop_link)
        desktop_ = environment_.desktop_link(*playback_, window_->window(), [this] { Shutdown(); });
}

void PlayerApp::OpenFiles() {
    const auto& folder = environment_.program_folder;
    std::error_code error;
    for (const char* made : {"cache/Playertechnology", "cache/History", "codecs"})
        std::filesystem::create_directories(folder / made, error);
    log_ = std::make_unique<DailyLog>(folder / "cache" / "Playertechnology");
    disk_ = std::make_unique<TaskThread>();
    progress_ = std::make_unique<PlayProgress>(
        folder / kCacheDatabaseFile,
        PlayProgress::Hooks{[this](const std::string& text) {
                                QMetaObject::invokeMethod(
                                    this, [this, text] { ShowBox(text, kDatabaseCaption, false); },
                                    Qt::QueuedConnection);
                            },
                            [this](const std::string& line) { Log(line); }});
    progress_->EnsureOpen();
}

// The engine's caller and the opener's thread first: the libraries loaded from here on
// keep other threads from starting until they are mapped.
void PlayerApp::StartLoading() {
    const auto& folder = environment_.program_folder;
    loader_ = std::make_unique<APlayerLoader>(
        [this](const std::string& text, const std::string& caption) {
            ShowBox(text, caption, false);
        });
    loader_->Load(folder);
    engine_ = std::make_unique<VideoEngine>(*loader_);
    MakeOpener();
    std::function<void()> load_engine;
    if (loader_->loaded())
        load_engine = [version = loader_->functions().APlayer_GetVersion] { version(nullptr); };
    auto engine_loaded = [this] {
        QMetaObject::invokeMethod(
            this, [this] { OnEngineLoaded(); }, Qt::QueuedConnection);
    };
    loads_ = std::make_unique<StartupLoads>(std::move(load_engine), std::move(engine_loaded),
                                            RenderMode(folder) == "1");
}

bool PlayerApp::LoadWindow() {
    const auto& folder = environment_.program_folder;
    QSize screen = environment_.screen;
    if (screen.isEmpty() && QGuiApplication::primaryScreen() != nullptr)
        screen = QGuiApplication::primaryScreen()->size();
    window_ = PlayerWindow::Load(folder, screen);
    if (!window_) {
        ShowBox(kWindowFailure, kWindowFailure, false);
        Log(kWindowFailure);
        return false;
    }
    instance_->Listen([this](int flag) { OnHandOff(flag); });
    window_->window()->setWindowIcon(QIcon(Text((folder / "TessalPlayer.png").string())));
    return true;
}

// The main window's elements, its full-screen bar, the playlist panel (filled later)
// and the playback with its opener, all bound.
void PlayerApp::BuildWindow() {
    window_->SetUpElements();
    if (!loader_->loaded())
        SetElementText(window_->element(13), QString::fromUtf8(kNoEngineTitle));
    if (!window_->BuildControlBar()) {
        ShowBox(kBarFailure, kBarFailure, false);
        Log(kBarFailure);
    }
    MakePlaylist();
    MakePlayback();
    BindWindow();
    playback_->Bind();
}

// Without the engine the player still starts and says so; with it, a video window that
// cannot be made ends the player.
bool PlayerApp::MakeEngine() {
    if (!loader_->loaded())
        return true;
    const bool made = engine_->Create(
        window_->window(), window_->VideoPlace(),
        [this](int state) {
            if (playback_)
                playback_->OnState(state);
        },
        [this](std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) {
            if (playback_)
                playback_->OnMessage(message, wparam, lparam);
        });
    if (!made || engine_->Window() == nullptr) {
        ShowBox("CreateFail", "PlayerCreateFail", true);
        Log("PlayerCreateFail");
        return false;
    }
    engine_->SetCustomLogo((environment_.program_folder / "IMAGE/player/main_.bmp").string());
    return true;
}

void PlayerApp::MakePlaylist() {
    PlaylistEnvironment playlist;
    playlist.program_folder = environment_.program_folder;
    playlist.download_folder = environment_.program_folder / "TessalDownload";
    playlist.boxes = environment_.boxes;
    playlist.log = [this](const std::string& line) { Log(line); };
    playlist.open_lesson = [this](const std::string& path) { OpenLesson(path); };
    playlist.choose_folder = environment_.choose_folder;
    playlist.choose_file = environment_.choose_file;
    playlist.show_in_file_manager = environment_.show_in_file_manager;
    playlist_ = std::make_unique<PlaylistPanel>(window_->window(), std::move(playlist));
}

void PlayerApp::MakePlayback() {
    playback_ = std::make_unique<Playback>(
        PlaybackParts{window_.get(), engine_.get(), playlist_.get(), progress_.get(), disk_.get(),
                      environment_.program_folder, [this](const std::string& line) { Log(line); },
                      [this](const std::string& path) { OpenLesson(path); }});
}

void PlayerApp::MakeOpener() {
    OpenerHooks hooks;
    hooks.engine_state = [this] { return engine_->State(); };
    hooks.engine_duration = [this] { return engine_->Duration(); };
    hooks.stored_position = [this](const std::string& key) -> std::optional<int> {
        return progress_->EnsureOpen() ? progress_->Read(key) : std::nullopt;
    };
    hooks.log = [this](const std::string& line) { Log(line); };
    hooks.missing_file = [this](const std::string& text) { ShowBox(text, "", true); };
    hooks.close_engine = [this] { engine_->Close(); };
    hooks.open_engine = [this](const std::string& path, bool lesson, int stored_ms,
                               std::uint64_t start) {
        playback_->OpenInEngine(path, lesson, stored_ms, start);
    };
    hooks.opened = [this] {
        // The video window takes the keys (arrows, space, Esc) of the lesson it shows.
        if (QWidget* video = engine_->Window()) {
            video->show();
            video->setFocus(Qt::OtherFocusReason);
        }
        window_->ShowLoading(false);
    };
    hooks.resume_at = [this](int position, std::uint64_t start) {
        playback_->ResumeAt(position, start);
    };
    opener_ = std::make_unique<LessonOpener>(this, std::move(hooks));
}

void PlayerApp::BindWindow() {
    QWidget* main = window_->window();
    RegisterWindowEvent(main, kWindowSize,
                        [this](EventArgs&) { window_->LayOut(engine_->Window()); });
    RegisterEvent(window_->element(14), kEventButtonClick,
                  [this](EventArgs&) { window_->TogglePlaylist(engine_->Window()); });
    for (QWidget* full : {window_->element(6), window_->bar_element(6)}) {
        RegisterEvent(full, kEventButtonClick,
                      [this](EventArgs&) { window_->ToggleFullScreen(engine_->Window()); });
    }
    RegisterEvent(window_->element(20), kEventButtonClick, [this](EventArgs&) { OpenSettings(); });
    RegisterEvent(window_->element(9), kEventButtonClick, [this](EventArgs&) { Shutdown(); });
    new WindowWatcher(
        main, [this](const std::string& path) { OpenLesson(path); }, [this] { Shutdown(); });
}

void PlayerApp::OnHandOff(int flag) {
    if (shut_down_)
        return;
    if (flag == 1) {
        const std::string path = TakeHandOffData(instance_->hand_off_file());
        if (!path.empty())
            OpenLesson(path);
    }
    QWidget* main = window_->window();
    main->showNormal();
    main->raise();
    main->activateWindow();
}

void PlayerApp::OpenSettings() {
    SettingsDialogContext context{environment_.program_folder, engine_.get(), environment_.boxes,
                                  [this](const std::string& line) { Log(line); },
                                  [this] { UpdateCodecs(); }};
    OpenSettingsDialog(window_->window(), context);
}

// The codec updater replaces the engine's files, so the player ends while it runs.
void PlayerApp::UpdateCodecs() {
    if (environment_.start_program)
        environment_.start_program(environment_.program_folder / "TessalUpdataCodes");
    QTimer::singleShot(500, this, [this] {
        if (QWidget* close = window_ ? window_->element(9) : nullptr)
            SendEvent(close, kEventButtonClick);
        Shutdown();
    });
}

void PlayerApp::Shutdown() {
    if (shut_down_)
        return;
    shut_down_ = true;
    if (opener_)
        opener_->Close();  // never waits on this thread, so joining it cannot stall
    if (playback_)
        playback_->Halt();
    if (engine_)
        engine_->Destroy();  // the last states save the position and the viewing
    if (playlist_) {
        if (!ready_)
            playlist_->Load();  // an end before the list was loaded keeps what was saved
        playlist_->Save();
    }
    if (window_)
        KillWindowTimer(window_->window(), 1);
    if (instance_)
        instance_->Stop();
    HideWindows();   // the engine may still be loading: not a frozen window meanwhile
    loads_.reset();  // nothing may still be loading from the caller unloaded next
    if (loader_)
        loader_->Unload();
    if (playlist_)
        playlist_->DestroyMenu();
    desktop_.reset();
    if (disk_)
        disk_->Close();  // the last progress and history are written
    if (progress_)
        progress_->Close();
    QCoreApplication::quit();
}

void PlayerApp::HideWindows() {
    if (!window_)
        return;
    if (QWidget* bar = window_->bar())
        bar->close();
    window_->window()->hide();
}

void PlayerApp::FlushDiskWrites() {
    if (disk_)
        disk_->Flush();
}

// Every start of a lesson: the loading animation over a hidden video until the opener
// has handed the file to the engine.
void PlayerApp::OpenLesson(const std::string& path) {
    if (shut_down_ || !opener_)
        return;
    if (!ready_) {  // the engine is still loading: the latest lesson asked for waits
        pending_lesson_ = path;
        window_->ShowLoading(true);
        return;
    }
    if (QWidget* video = engine_->Window())
        video->hide();
    window_->ShowLoading(true);
    opener_->Open(path);
}

void PlayerApp::ShowBox(const std::string& text, const std::string& caption, bool owned) {
    QWidget* owner = owned && window_ ? window_->window() : nullptr;
    environment_.boxes->Show(owner, Text(text), Text(caption));
}

void PlayerApp::Log(const std::string& line) {
    if (log_)
        log_->Write(line);
}

}  // namespace tessal::player
