#pragma once

// The member's user information from the app API host, fetched on the login thread: the
// reply is kept as "UserJson.json" in the member's folder and the head picture it names
// ("img") is downloaded as "headpic2.png", which the main window shows. Every failure is
// logged and ends the fetch quietly; the display then falls back to an earlier picture or
// the default one. Paths in the log lines are written with "/" separators.

#include <atomic>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "common/log/daily_log.h"
#include "common/settings/site_settings.h"

namespace tessal::client {

inline constexpr const char* kUserInfoPath = "/app_client_api_v2/userinfo";
inline constexpr const char* kUserJsonFileName = "UserJson.json";
// The picture just downloaded, and the copy of the last one shown (the login window's).
inline constexpr const char* kDownloadedHeadPictureFileName = "headpic2.png";
inline constexpr const char* kShownHeadPictureFileName = "headpic.png";

// program folder / "User" / account: the member's folder, made at login.
std::filesystem::path MemberFolder(const std::filesystem::path& program_folder,
                                   std::string_view account);

struct UserProfileFetch {
    const SiteSettings* site = nullptr;
    std::filesystem::path member_folder;
    std::string uid;
    DailyLog* log = nullptr;  // none: failures go unrecorded
    // Raised when the client begins to end: the request and the download stop at once and
    // the fetch ends without a log line.
    const std::atomic<bool>* abandon = nullptr;
};

// The head picture the user information names: "img" when it is a string (empty when
// there is none or it is anything else); nothing when the text is no JSON at all. Text
// nested deeper than the JSON reader's limit throws its exception (a std::exception),
// which the fetch logs as a failure of its own.
std::optional<std::string> HeadPictureUrl(std::string_view json_text);

// Asks for the member's user information, keeps it and downloads the picture it names.
// A download that fails or is cut leaves the previous "headpic2.png" as it was.
void FetchUserInformation(const UserProfileFetch& fetch);

}  // namespace tessal::client
