#pragma once

// TessalClient's composition root: the start-up sequence, the two windows and the tray
// icon, and the shutdown routine that runs once, whoever calls it first.

#include <QObject>
#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "client/catalogue/catalogue_queries.h"
#include "client/catalogue/course_database.h"
#include "client/download/download_center.h"
#include "client/download/download_engine.h"
#include "client/shell/client_settings.h"
#include "client/shell/lesson_windows.h"
#include "client/shell/login_service.h"
#include "client/shell/login_window.h"
#include "client/shell/main_window.h"
#include "client/shell/member_messages.h"
#include "client/shell/session.h"
#include "client/shell/session_reporter.h"
#include "client/shell/settings_window.h"
#include "client/shell/shutdown_steps.h"
#include "common/gui/message_boxes.h"
#include "common/gui/tray_icon.h"
#include "common/gui/web/ewe_library.h"
#include "common/log/daily_log.h"
#include "common/settings/site_settings.h"
#include "engines/video/loader/aplayer_loader.h"

namespace tessal::client {

// What the client reaches outside itself; tests replace them.
struct ClientEnvironment {
    std::filesystem::path program_folder;
    gui::MessageBoxes* boxes = nullptr;
    std::function<void(const QString& url)> open_page;
    std::function<std::optional<QString>(QWidget* owner, const QString& title)> choose_folder;
    // Starts `program` with one argument (none when it is empty) and does not wait for it.
    std::function<bool(const std::filesystem::path& program, const std::string& argument)>
        start_program;
    // The machine identifier a login sends; called on the login thread.
    std::function<std::string()> machine_identifier;
};

// The default outside world: the desktop's browser and folder dialog, detached processes.
ClientEnvironment DesktopEnvironment(std::filesystem::path program_folder,
                                     gui::MessageBoxes& boxes);

class ClientApp : public QObject {
    Q_OBJECT
public:
    explicit ClientApp(ClientEnvironment environment);
    ~ClientApp() override;

    // The start-up sequence; false when the client ends at once (an incomplete
    // installation, a window that could not be loaded).
    bool Start();
    // The shutdown routine: releases everything once; the first run alone removes the
    // tray icon and starts TessalUpdata with the logout parameters.
    void Shutdown();
    bool shut_down() const { return shut_down_; }
    // The course database's lookups; failures show their box and log their line.
    const CatalogueQueries& catalogue() const { return *catalogue_; }
    // Where windows and workers made later register what the shutdown routine must do.
    ShutdownSteps& shutdown_steps() { return shutdown_steps_; }

    LoginWindow* login_window() const { return login_window_.get(); }
    MainWindow* main_window() const { return main_window_.get(); }
    SettingsWindow* settings_window() const { return settings_window_.get(); }
    LessonWindows* lesson_windows() const { return lesson_windows_.get(); }
    DownloadCenter* download_center() const { return download_center_.get(); }
    MemberMessages* messages() const { return messages_.get(); }
    gui::TrayIcon* login_tray() const { return login_tray_.get(); }
    gui::TrayIcon* member_tray() const { return member_tray_.get(); }
    Session& session() { return session_; }
    ClientSettings settings() const { return settings_.Snapshot(); }
    DownloadEngine& download_engine() { return *download_engine_; }
    const APlayerLoader* video_engine() const { return video_engine_.get(); }
    // The web engine that web view elements load with their first page.
    const gui::EweLibrary& web_engine() const { return *web_engine_; }

private:
    void Initialise();
    void BindVideoEngine();
    void OpenCourseDatabase();
    void StartAssociation();
    void StartSelfUpdateCheck();
    bool LoadWindows();
    void ShowLoginWindow();
    void BuildMainWindow();
    void ShowMainWindow();
    void MakeLessonWindows();
    LessonWindowContext LessonContext();
    void MakeDownloadCenter();
    void MakeMemberMessages();
    TaskSettings DownloadSettings() const;
    static void RestoreWindow(QWidget* window);
    void HideWindow(QWidget* window, const gui::TrayIcon* tray);
    void Log(const std::string& line);
    std::string LogoutArgument() const;

    ClientEnvironment environment_;
    StopSignal stop_;
    std::unique_ptr<DailyLog> log_;
    std::unique_ptr<DownloadEngine> download_engine_;
    std::unique_ptr<APlayerLoader> video_engine_;
    std::shared_ptr<gui::EweLibrary> web_engine_;
    SettingsStore settings_;
    SiteSettings site_;
    Session session_;
    std::unique_ptr<SessionReporter> reporter_;
    std::unique_ptr<LoginService> login_service_;
    CourseDatabase course_database_;
    std::unique_ptr<CatalogueQueries> catalogue_;
    std::unique_ptr<LoginWindow> login_window_;
    std::unique_ptr<MainWindow> main_window_;
    std::unique_ptr<SettingsWindow> settings_window_;
    std::unique_ptr<LessonWindows> lesson_windows_;
    std::unique_ptr<DownloadCenter> download_center_;
    std::unique_ptr<gui::TrayIcon> login_tray_;
    std::unique_ptr<gui::TrayIcon> member_tray_;  // from the login on
    std::unique_ptr<MemberMessages> messages_;
    std::thread association_;
    std::thread self_update_;  // joined in the workers stage
    QSize screen_;             // in the toolkit's units, for placing windows
    ShutdownSteps shutdown_steps_;
    bool shut_down_ = false;
    bool in_shutdown_ = false;  // the routine is running now
};

}  // namespace tessal::client
