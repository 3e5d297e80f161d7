#pragma once

// A login: posts the form on the chosen channel, reads the reply, and on success fills
// the session record, remembers the uid for the player, starts the session's reports,
// makes the member's folder and fetches the member's user information into it. Runs on
// the login thread; touches no window.

#include <filesystem>
#include <functional>
#include <string>

#include "client/shell/login_protocol.h"
#include "client/shell/session.h"
#include "client/shell/session_reporter.h"
#include "common/base/stop_signal.h"
#include "common/log/daily_log.h"
#include "common/settings/site_settings.h"

namespace tessal::client {

inline constexpr const char* kUidMissing = "uid获取失败,请联系Tessal技术人员";
inline constexpr const char* kAlreadyLoggedIn = "您已登陆了该账号,不能重复登陆";

struct LoginContext {
    SiteSettings site;
    std::filesystem::path program_folder;
    // Read at each login, on the login thread: it may wait on the disk for seconds.
    std::function<std::string()> machine_identifier;
    std::string os_name;
    int screen_height = 0;
    int screen_width = 0;
    DailyLog* log = nullptr;
    // Holds the account for this process; false when a running client holds it already.
    std::function<bool(const std::string& account)> claim_account;
    // Raised when the client begins to end: a login answered after that claims nothing.
    StopSignal* stop = nullptr;
};

class LoginService {
public:
    LoginService(LoginContext context, Session& session, SessionReporter& reporter);

    // "登陆成功" on success, the server's message on a refusal, the uid and duplicate
    // messages, or an empty text when the site could not be reached or did not answer
    // with a login reply, or when the client began to end meanwhile.
    std::string Login(const std::string& account, const std::string& password, int channel);

private:
    std::string Claim(const LoginReply& reply, const LoginForm& form);
    std::string Accept(const LoginReply& reply, const LoginForm& form);
    void FetchProfile(const std::string& account, const std::string& uid);

    LoginContext context_;
    Session& session_;
    SessionReporter& reporter_;
};

}  // namespace tessal::client
