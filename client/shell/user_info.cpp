#include "client/shell/user_info.h"

#include <vector>

#include "common/settings/ini_file.h"

namespace tessal::client {

RememberedLogin ReadRememberedLogin(const std::filesystem::path& file) {
    RememberedLogin login;
    login.remember_password = ReadProfileString(file, kLoginSection, "RemPwd", "", 10) == "1";
    login.auto_login = ReadProfileString(file, kLoginSection, "AutoLogin", "", 10) == "1";
    login.account = ReadProfileString(file, kLoginSection, "Acc", "", 260);
    login.password = ReadProfileString(file, kLoginSection, "Pwd", "", 260);
    return login;
}

bool WriteLoginChoices(const std::filesystem::path& file, bool remember_password, bool auto_login,
                       const std::string& account, const std::string& password) {
    std::vector<ProfileEntry> entries;
    if (remember_password) {
        entries.push_back({"Acc", account});
        entries.push_back({"Pwd", password});
    }
    entries.push_back({"RemPwd", remember_password ? "1" : "0"});
    entries.push_back({"AutoLogin", auto_login ? "1" : "0"});
    return WriteProfileEntries(file, kLoginSection, entries);
}

bool WriteAutoLoginOff(const std::filesystem::path& file) {
    return WriteProfileString(file, kLoginSection, "AutoLogin", "0");
}

bool WriteUserId(const std::filesystem::path& file, const std::string& uid) {
    return WriteProfileString(file, kLoginSection, "userid", uid);
}

}  // namespace tessal::client
