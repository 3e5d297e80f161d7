#pragma once

// The login conversation with the site: the form a login posts, where it goes on each
// channel, what a reply must hold to count as a login reply, and the two reports that
// follow a login (the login report and the heartbeat) and the logout.

#include <optional>
#include <string>
#include <string_view>

#include "common/settings/site_settings.h"

namespace tessal::client {

inline constexpr const char* kClientVersion = "1.4";
inline constexpr const char* kLoginSuccess = "登陆成功";
inline constexpr const char* kClientDataPath = "/ClientDataInterFace.php";

struct LoginForm {
    std::string account;   // UTF-8, as typed
    std::string password;  // UTF-8, as typed
    std::string machine_id;
    std::string os_name;
    int screen_height = 0;
    int screen_width = 0;
};

struct HttpPost {
    std::string url;
    std::string body;
};

// The form text: account and password percent-escaped as UTF-8, the rest as it is.
std::string LoginFormText(const LoginForm& form);

// Where the form goes on `channel` (1, 2 or 3; anything else is 1) and in what body.
HttpPost LoginPost(const SiteSettings& site, int channel, const std::string& form_text);

struct LoginReply {
    std::string msg;
    std::string loginname;
    std::string truename;
    std::string grade;
    std::string email;
    std::string uid;
    std::string hd;
    std::string dqdate;
};

// A reply is a login reply only when it holds "stata" and "&dqdate="; its pairs are
// read after URL-decoding, each value ending at the next "&" (a value without one reads
// as empty).
bool IsLoginReply(std::string_view raw);
LoginReply ParseLoginReply(std::string_view raw);

// The login report's digest: lower-case hex MD5 of "t=loginu=" uid "v=" version.
std::string LoginReportDigest(std::string_view uid);
HttpPost LoginReportPost(const SiteSettings& site, std::string_view uid, std::string_view ip);
// A uid or sign goes as it stands into form bodies, lesson links and TessalUpdata's
// argument, so only letters, digits, "-", "_" and "." are taken from the site, and no
// more of them than a form field or a program argument carries.
inline constexpr std::size_t kPlainTokenLimit = 128;
bool IsPlainToken(std::string_view value);
// A report reply carries a session sign when it starts with "sign" and is a plain token.
bool IsSessionSign(std::string_view reply);
HttpPost HeartbeatPost(const SiteSettings& site, std::string_view uid, std::string_view sign);

}  // namespace tessal::client
