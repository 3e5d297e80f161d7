#pragma once

// The login window: the form, the logging-in view with its sliding head picture, the
// failure view, the channel panel, and the remembered login. A login attempt runs on a
// login thread; what it finds reaches the window on the GUI thread.

#include <QObject>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "client/shell/client_settings.h"
#include "client/shell/login_service.h"
#include "common/settings/site_settings.h"

namespace tessal::client {

inline constexpr const char* kFieldsEmpty = "账号或者密码不能为空";
inline constexpr const char* kServerUnreachable = "与服务器连接异常!";
inline constexpr const char* kHotlineText = "如果您遇到无法解决的问题,请拨打Tessal热线: ";

struct LoginWindowHooks {
    std::function<void()> logged_in;  // the login window is closed: show the main window
    std::function<void()> shut_down;  // the close buttons
    std::function<void()> hide;       // the hide buttons
    std::function<void(const QString& url)> open_page;
    std::function<void()> remove_tray_icon;
};

class LoginWindow : public QObject {
    Q_OBJECT
public:
    // False when the loaded login layout lacks what this window drives (the head
    // picture's slider and its row); the client then treats the layout as not loaded.
    static bool LayoutIsUsable(const QWidget* window);

    // Takes `window`, loaded from the login layout.
    LoginWindow(QWidget* window, SettingsStore& settings, const SiteSettings& site,
                LoginService& service, LoginWindowHooks hooks);
    ~LoginWindow() override;  // waits for a login thread still running

    QWidget* window() const { return window_.get(); }

    // Background, element set-up and events; then the window is ready to show.
    void SetUp();
    // Fills and ticks from "UserInfo.ini"; may start an automatic login.
    void LoadRememberedLogin();
    // The login button and Enter. Nothing happens while an attempt runs.
    void StartLoginAttempt();
    bool attempt_running() const { return attempt_running_; }
    // The head picture for the account typed.
    void UpdateHeadPicture();
    // Runs `done` once the attempt running now has ended (at once when none runs).
    void WhenAttemptEnds(std::function<void()> done);

private:
    QWidget* Element(int id) const;
    QString Image(const char* relative) const;
    void BindEvents();
    void BindLinks();
    void ShowFormView();
    void ShowLoggingInView();
    void ShowFailureView(const QString& message);
    void ShowChannelPanel();
    void CloseChannelPanel(bool store);
    void SlideStep();
    void OnLoginResult(const std::string& message);
    void FinishAttempt();
    void AcceptLogin();
    void OnAutoLoginClicked();

    std::unique_ptr<QWidget> window_;
    SettingsStore& settings_;
    const SiteSettings& site_;
    LoginService& service_;
    LoginWindowHooks hooks_;
    std::thread login_thread_;
    QTimer slide_;
    int slide_step_ = 0;
    bool attempt_running_ = false;
    bool result_ready_ = false;
    std::string result_;
    std::string account_;
    std::string password_;
    std::vector<std::function<void()>> when_attempt_ends_;
};

}  // namespace tessal::client
