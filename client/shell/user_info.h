#pragma once

// "UserInfo.ini" beside the programs, section `Login`: the remembered account and
// password, the two login boxes, and the uid the player reads.

#include <filesystem>
#include <string>

namespace tessal::client {

inline constexpr const char* kUserInfoFileName = "UserInfo.ini";
inline constexpr const char* kLoginSection = "Login";

struct RememberedLogin {
    bool remember_password = false;  // `RemPwd` is "1"
    bool auto_login = false;         // `AutoLogin` is "1"
    std::string account;
    std::string password;
};

RememberedLogin ReadRememberedLogin(const std::filesystem::path& file);

// After a successful login: `RemPwd` and `AutoLogin` from the boxes, and `Acc` and
// `Pwd` only when the password is remembered (otherwise they keep their old values).
bool WriteLoginChoices(const std::filesystem::path& file, bool remember_password, bool auto_login,
                       const std::string& account, const std::string& password);

bool WriteAutoLoginOff(const std::filesystem::path& file);
bool WriteUserId(const std::filesystem::path& file, const std::string& uid);

}  // namespace tessal::client
