#include "client/shell/client_app.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QUrl>

#include "client/catalogue/question_window.h"
#include "client/shell/close_requests.h"
#include "client/shell/installation_check.h"
#include "client/shell/member_display.h"
#include "client/shell/self_update_check.h"
#include "common/base/trace.h"
#include "common/files/account_mutex.h"
#include "common/files/file_type_association.h"
#include "common/gui/element_events.h"
#include "common/gui/elements.h"
#include "common/gui/layout_loader.h"
#include "common/gui/toolkit_codes.h"
#include "common/system/machine_identifier.h"
#include "common/system/os_name.h"

namespace tessal::client {
namespace {

using namespace tessal::gui;

constexpr const char* kDatabaseCaption = "连接数据库异常!";

// Traces `text` when `window` is first painted: the moment the member sees it (the
// start-up benchmark waits for it).
class FirstPaintTrace : public QObject {
public:
    FirstPaintTrace(QWidget* window, const char* text) : QObject(window), text_(text) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            Trace(text_);
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    const char* text_;
};

void TraceFirstPaint(QWidget* window, const char* text) {
    if (TraceEnabled())
        new FirstPaintTrace(window, text);
}

QString PathText(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

}  // namespace

ClientEnvironment DesktopEnvironment(std::filesystem::path program_folder,
                                     gui::MessageBoxes& boxes) {
    ClientEnvironment environment;
    environment.program_folder = std::move(program_folder);
    environment.boxes = &boxes;
    environment.open_page = [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); };
    environment.choose_folder = [](QWidget* owner, const QString& title) -> std::optional<QString> {
        const QString folder = QFileDialog::getExistingDirectory(owner, title);
        return folder.isEmpty() ? std::nullopt : std::optional<QString>(folder);
    };
    environment.start_program = [](const std::filesystem::path& program,
                                   const std::string& argument) {
        QStringList arguments;
        if (!argument.empty())
            arguments << QString::fromStdString(argument);
        return QProcess::startDetached(PathText(program), arguments,
                                       PathText(program.parent_path()));
    };
    // The identity file's folder is made on the login thread too.
    environment.machine_identifier = [folder = environment.program_folder] {
        return MachineIdentifier(MachineIdentityFilePath(folder));
    };
    return environment;
}

ClientApp::ClientApp(ClientEnvironment environment) : environment_(std::move(environment)) {}

ClientApp::~ClientApp() {
    Shutdown();
    if (association_.joinable())
        association_.join();
    if (self_update_.joinable())
        self_update_.join();
    login_window_.reset();  // waits for a login thread before the session goes
}

bool ClientApp::Start() {
    const auto& folder = environment_.program_folder;
    std::error_code error;
    std::filesystem::current_path(folder, error);
    if (FirstMissingFile(folder)) {
        environment_.boxes->Show(nullptr, kIncompleteText, kIncompleteCaption);
        shut_down_ = true;  // nothing was made, nothing to release or report
        return false;
    }
    log_ = std::make_unique<DailyLog>(folder / "cache" / "technology");
    download_engine_ = std::make_unique<DownloadEngine>(folder);
    download_engine_->Start(*log_);
    shutdown_steps_.Add(ShutdownStage::kDownloadEngine, "download engine",
                        [this] { download_engine_->Stop(); });
    Initialise();
    if (!LoadWindows()) {
        Shutdown();
        return false;
    }
    ShowLoginWindow();
    BuildMainWindow();
    login_window_->LoadRememberedLogin();
    return true;
}

void ClientApp::Initialise() {
    const auto& folder = environment_.program_folder;
    settings_.Change([&](ClientSettings& settings) { settings = LoadClientSettings(folder); });
    site_ = SiteSettings::Load(folder / "Site.ini");
    BindVideoEngine();
    web_engine_ = std::make_shared<EweLibrary>(folder / EweLibrary::kLibraryName);
    // The site is told the screen's device pixels, as the desktop reports its mode.
    QSize screen_pixels;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        screen_ = screen->size();
        screen_pixels = (QSizeF(screen_) * screen->devicePixelRatio()).toSize();
    }
    OpenCourseDatabase();
    for (const char* made : {"cache", "cache/technology", "User"}) {
        std::error_code ignored;
        std::filesystem::create_directories(folder / made, ignored);
    }
    reporter_ = std::make_unique<SessionReporter>(site_, session_);
    shutdown_steps_.Add(ShutdownStage::kWorkers, "session reports", [this] { reporter_->Stop(); });
    LoginContext context{site_,
                         folder,
                         environment_.machine_identifier,
                         OsName(),
                         screen_pixels.height(),
                         screen_pixels.width(),
                         log_.get(),
                         [](const std::string& account) { return TryHoldAccountMutex(account); },
                         &stop_};
    login_service_ = std::make_unique<LoginService>(std::move(context), session_, *reporter_);
    StartAssociation();
    StartSelfUpdateCheck();
}

// A missing engine is shown and start-up goes on; nothing calls through an empty table.
void ClientApp::BindVideoEngine() {
    video_engine_ = std::make_unique<APlayerLoader>(
        [this](const std::string& text, const std::string& caption) {
            environment_.boxes->Show(nullptr, QString::fromStdString(text),
                                     QString::fromStdString(caption));
        });
    video_engine_->Load(environment_.program_folder);
    shutdown_steps_.Add(ShutdownStage::kVideoEngine, "video engine",
                        [this] { video_engine_->Unload(); });
}

void ClientApp::OpenCourseDatabase() {
    shutdown_steps_.Add(ShutdownStage::kDatabases, "course database",
                        [this] { course_database_.Close(); });
    // Windows and the course-picture thread report failed statements; the box and the
    // log line go through the GUI thread.
    catalogue_ = std::make_unique<CatalogueQueries>(
        course_database_, [this](const std::string& label, const std::string& line) {
            QMetaObject::invokeMethod(this, [this, label, line] {
                Log(line);
                // A reader that fails while the client ends needs no member's answer.
                if (stop_.raised())
                    return;
                environment_.boxes->Show(nullptr, kDatabaseFailureText,
                                         QString::fromStdString(label));
            });
        });
    std::string error;
    if (course_database_.Open(environment_.program_folder / kCourseDatabaseFile, error))
        return;
    const std::string text = ("Open Coursedatabase fail:" + error).substr(0, 499);
    Log(text);
    environment_.boxes->Show(nullptr, QString::fromStdString(text), kDatabaseCaption);
}

// Lesson files open in the player; the result is not checked.
void ClientApp::StartAssociation() {
    const auto folder = environment_.program_folder;
    association_ = std::thread([folder] {
        RegisterFileType({".tessal", "TessalClient.tessal.1.0", "TessalClient Interpretation Files",
                          folder / "TessalClient.png", folder / "TessalPlayer"});
    });
}

// Brings the programs up to date from the client's own list, then starts TessalUpdata.
// Joined at the end: a check cut short by the end starts nothing.
void ClientApp::StartSelfUpdateCheck() {
    // The start goes through the GUI thread, where every program is started; once the
    // end began, the shutdown routine's start with the logout stands for it.
    const auto start_updater = [this] {
        return QMetaObject::invokeMethod(this, [this] {
            if (!stop_.raised())
                environment_.start_program(environment_.program_folder / "TessalUpdata", {});
        });
    };
    SelfUpdateContext context{environment_.program_folder, site_, log_.get(), start_updater,
                              &stop_.flag()};
    self_update_ = std::thread([context = std::move(context)] { RunSelfUpdateCheck(context); });
    shutdown_steps_.Add(ShutdownStage::kWorkers, "self-update check", [this] {
        if (self_update_.joinable())
            self_update_.join();
    });
}

bool ClientApp::LoadWindows() {
    const auto& folder = environment_.program_folder;
    QWidget* login = LoadLayout(PathText(folder / "Layout" / "layout.xml"));
    if (login != nullptr && !LoginWindow::LayoutIsUsable(login)) {
        delete login;
        login = nullptr;
    }
    QWidget* main = LoadLayout(PathText(folder / "Layout" / "layout_main.xml"));
    if (login == nullptr)
        Log("CreatehWINDOW_loginWindowFail");
    if (main == nullptr)
        Log("CreatehWindow_MainWindowFail");
    if (login == nullptr || main == nullptr) {
        delete login;
        delete main;
        return false;
    }
    const QIcon icon(PathText(folder / "TessalClient.png"));
    login->setWindowIcon(icon);
    main->setWindowIcon(icon);
    LoginWindowHooks hooks{[this] { ShowMainWindow(); }, [this] { Shutdown(); },
                           [this] { HideWindow(login_window_->window(), login_tray_.get()); },
                           environment_.open_page,
                           [this] {
                               if (login_tray_)
                                   login_tray_->Remove();
                           }};
    login_window_ =
        std::make_unique<LoginWindow>(login, settings_, site_, *login_service_, std::move(hooks));
    main_window_ = std::make_unique<MainWindow>(main, folder, web_engine_);
    for (QWidget* window : {login, main})
        RouteCloseRequests(window, [this] { Shutdown(); });
    shutdown_steps_.Add(ShutdownStage::kWindows, "login window",
                        [this] { login_window_->window()->close(); });
    shutdown_steps_.Add(ShutdownStage::kWindows, "main window",
                        [this] { main_window_->window()->close(); });
    return true;
}

void ClientApp::ShowLoginWindow() {
    QWidget* login = login_window_->window();
    login_tray_ = std::make_unique<TrayIcon>(
        PathText(environment_.program_folder / "ico2.ico"), "TessalClient", [login](int mouse) {
            if (mouse == kTrayLeftButtonDown || mouse == kTrayLeftDoubleClick ||
                mouse == kTrayRightButtonUp) {
                login->showNormal();
                login->raise();
            }
        });
    shutdown_steps_.Add(ShutdownStage::kTrayIcons, "login tray icon",
                        [this] { login_tray_->Remove(); });
    login_window_->SetUp();
    login->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    login->move((screen_.width() - login->width()) / 2, (screen_.height() - login->height()) / 2);
    main_window_->SetUpFrame(screen_);
    TraceFirstPaint(login, "login window shown");
    login->show();
    PostEvent(FindElement(login, 3), kEventEditChange);
}

void ClientApp::BuildMainWindow() {
    SettingsWindowHooks settings_hooks{environment_.choose_folder, main_window_->window(),
                                       log_.get()};
    settings_window_ = std::make_unique<SettingsWindow>(settings_, std::move(settings_hooks));
    shutdown_steps_.Add(ShutdownStage::kWindows, "settings window",
                        [this] { settings_window_->Close(); });
    MainWindowHooks hooks;
    hooks.open_settings = [this] { settings_window_->Open(); };
    hooks.hide = [this] { HideWindow(main_window_->window(), member_tray_.get()); };
    hooks.shut_down = [this] { Shutdown(); };
    hooks.start_player = [this] {
        environment_.start_program(environment_.program_folder / "TessalPlayer", {});
    };
    MakeLessonWindows();
    MakeDownloadCenter();
    MakeMemberMessages();
    hooks.open_messages = [this] { messages_->OpenManager(); };
    hooks.open_course = [this](const std::string& id) { lesson_windows_->Open(id); };
    hooks.open_download_center = [this] { download_center_->Open(DownloadKind::kWindow, 0); };
    hooks.queue_course = [this](int id) { download_center_->Open(DownloadKind::kCourse, id); };
    hooks.log = [this](const std::string& line) { Log(line); };
    main_window_->Build(*catalogue_, *environment_.boxes, std::move(hooks), &stop_);
    shutdown_steps_.Add(ShutdownStage::kWindows, "course menu",
                        [this] { main_window_->DestroyCourseMenu(); });
    shutdown_steps_.Add(ShutdownStage::kWorkers, "course pictures",
                        [this] { main_window_->StopCoursePictures(); });
}

void ClientApp::MakeLessonWindows() {
    lesson_windows_ = std::make_unique<LessonWindows>([this] { return LessonContext(); });
    shutdown_steps_.Add(ShutdownStage::kWindows, "lesson window",
                        [this] { lesson_windows_->Close(); });
    shutdown_steps_.Add(ShutdownStage::kWorkers, "online lesson loader",
                        [this] { lesson_windows_->StopLoader(); });
}

void ClientApp::MakeDownloadCenter() {
    DownloadCenterContext context;
    context.program_folder = environment_.program_folder;
    context.catalogue = catalogue_.get();
    context.engine = download_engine_.get();
    context.daily_log = log_.get();
    context.stop = &stop_;
    context.boxes = environment_.boxes;
    context.icon = main_window_->window()->windowIcon();
    context.task_settings = [this] { return DownloadSettings(); };
    context.log = [this](const std::string& line) { Log(line); };
    context.start_player = [this] {
        environment_.start_program(environment_.program_folder / "TessalPlayer", {});
    };
    download_center_ = std::make_unique<DownloadCenter>(std::move(context));
    // The window goes first, so no report reaches it; the workers, told by the stop
    // signal, are joined while the engine is still loaded, keeping their partial data.
    shutdown_steps_.Add(ShutdownStage::kWindows, "download center",
                        [this] { download_center_->Close(); });
    shutdown_steps_.Add(ShutdownStage::kWorkers, "download workers",
                        [this] { download_center_->JoinWorkers(); });
}

void ClientApp::MakeMemberMessages() {
    MemberMessagesContext context;
    context.program_folder = environment_.program_folder;
    context.site = site_;
    context.boxes = environment_.boxes;
    context.web_engine = web_engine_;
    context.icon = main_window_->window()->windowIcon();
    context.stop = &stop_;
    context.open_page = environment_.open_page;
    context.log = [this](const std::string& line) { Log(line); };
    context.account = [this] { return session_.Snapshot().account; };
    messages_ = std::make_unique<MemberMessages>(std::move(context), shutdown_steps_);
}

TaskSettings ClientApp::DownloadSettings() const {
    const ClientSettings settings = settings_.Snapshot();
    return {settings.download_root,
            settings.download_channel,
            {site_.HostName(SiteHost::kDownload1), site_.HostName(SiteHost::kDownload2),
             site_.HostName(SiteHost::kDownload3)}};
}

LessonWindowContext ClientApp::LessonContext() {
    LessonWindowContext context;
    context.program_folder = environment_.program_folder;
    context.catalogue = catalogue_.get();
    context.site = site_;
    context.uid = session_.Snapshot().uid;
    context.download_root = settings_.Snapshot().download_root;
    context.web_engine = web_engine_;
    context.boxes = environment_.boxes;
    context.icon = main_window_->window()->windowIcon();
    context.screen = screen_;
    context.log = [this](const std::string& line) { Log(line); };
    context.queue_lesson = [this](int id) { download_center_->Open(DownloadKind::kLesson, id); };
    context.open_question = [this](QWidget* lesson_window, const std::string& course_id) {
        ShowQuestionWindow(lesson_window,
                           {environment_.program_folder, site_, course_id, environment_.boxes,
                            [this](const std::string& line) { Log(line); }});
    };
    return context;
}

// After a login: the member in the main window, the window centred and shown on top,
// the push poller, the member's tray icon.
void ClientApp::ShowMainWindow() {
    QWidget* main = main_window_->window();
    const SessionRecord record = session_.Snapshot();
    ShowMember(main, environment_.program_folder, record);
    main->move((screen_.width() - main->width()) / 2, (screen_.height() - main->height()) / 2);
    member_tray_ = MakeMemberTray(environment_.program_folder, record, [this](int mouse) {
        if (mouse == kTrayLeftButtonDown || mouse == kTrayLeftDoubleClick ||
            mouse == kTrayRightButtonUp)
            RestoreWindow(main_window_->window());
    });
    shutdown_steps_.Add(ShutdownStage::kTrayIcons, "member tray icon",
                        [this] { member_tray_->Remove(); });
    // The tray icon is the way back, so the window needs no taskbar entry; without a
    // tray the taskbar keeps it.
    const bool tray = member_tray_->visible() && QSystemTrayIcon::isSystemTrayAvailable();
    main->setWindowFlag(Qt::Tool, tray);
    main->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    TraceFirstPaint(main, "main window shown");
    RestoreWindow(main);
    messages_->StartPolling(record.account, record.uid);
}

void ClientApp::RestoreWindow(QWidget* window) {
    window->showNormal();
    window->raise();
    window->activateWindow();
}

// A window is hidden only when an icon in the notification area brings it back;
// otherwise it is minimised, so the taskbar does.
void ClientApp::HideWindow(QWidget* window, const gui::TrayIcon* tray) {
    if (tray != nullptr && tray->visible() && QSystemTrayIcon::isSystemTrayAvailable()) {
        window->hide();
        return;
    }
    // The notification area may have gone since the window lost its taskbar entry.
    if (window->windowFlags().testFlag(Qt::Tool))
        window->setWindowFlag(Qt::Tool, false);
    window->showMinimized();
}

void ClientApp::Shutdown() {
    // A close that arrives while a step waits in an event loop of its own is the same end.
    if (in_shutdown_)
        return;
    in_shutdown_ = true;
    // From here on no worker begins anything; a login in the middle of taking its session
    // finishes first, so the logout below carries that session.
    stop_.Raise();
    const bool first = !shut_down_;
    if (first) {
        shutdown_steps_.Run();
        environment_.start_program(environment_.program_folder / "TessalUpdata", LogoutArgument());
        shut_down_ = true;
    }
    if (log_)
        log_->Flush();
    QCoreApplication::quit();
    in_shutdown_ = false;
}

std::string ClientApp::LogoutArgument() const {
    const SessionRecord record = session_.Snapshot();
    return "end#" + record.sign + "#u#" + record.uid + "#";
}

void ClientApp::Log(const std::string& line) {
    if (log_)
        log_->Write(line);
}

}  // namespace tessal::client
