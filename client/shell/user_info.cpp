#include "client/shell/user_info.h"

#include <sys/stat.h>

#include <vector>

#include "common/settings/ini_file.h"

namespace tessal::client {
namespace {

// The file holds the member's password: only the member may read it.
constexpr unsigned kOwnerOnly = 0600;

}  // namespace

RememberedLogin ReadRememberedLogin(const std::filesystem::path& file) {
    // A file an earlier version left readable to everyone is closed before it is read;
    // a link is left alone (its target is not this installation's to change).
    struct stat status {};
    if (::lstat(file.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
        (status.st_mode & 077) != 0)
        ::chmod(file.c_str(), kOwnerOnly);
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
    return WriteProfileEntries(file, kLoginSection, entries, kOwnerOnly);
}

bool WriteAutoLoginOff(const std::filesystem::path& file) {
    return WriteProfileEntries(file, kLoginSection, {{"AutoLogin", "0"}}, kOwnerOnly);
}

bool WriteUserId(const std::filesystem::path& file, const std::string& uid) {
    return WriteProfileEntries(file, kLoginSection, {{"userid", uid}}, kOwnerOnly);
}

}  // namespace tessal::client
