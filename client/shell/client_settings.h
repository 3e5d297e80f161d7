#pragma once

// The member's client settings in "UserSet.ini" beside the programs (section `Client`):
// where lessons are downloaded to, which download host and which login channel to use.
// The client holds one copy for its run in a SettingsStore; the login and settings windows
// change it and write the file.

#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace tessal::client {

inline constexpr const char* kUserSetFileName = "UserSet.ini";
inline constexpr const char* kClientSection = "Client";
inline constexpr const char* kDownloadFolderKey = "DownLoadFile";
inline constexpr const char* kDownloadChannelKey = "DownLoadChannel";
inline constexpr const char* kLoginChannelKey = "LoginChannel";

struct ClientSettings {
    std::filesystem::path program_folder;
    std::string download_root;  // ends with a separator
    int download_channel = 1;
    int login_channel = 1;

    std::filesystem::path user_set_file() const { return program_folder / kUserSetFileName; }
};

// The client's one copy of its settings. The GUI thread changes it; any thread (the login,
// the push poller, the self-update check, download workers) takes a snapshot, which no
// later change alters.
class SettingsStore {
public:
    explicit SettingsStore(ClientSettings settings = {}) : settings_(std::move(settings)) {}
    ClientSettings Snapshot() const {
        const std::lock_guard lock(mutex_);
        return settings_;
    }
    void Change(const std::function<void(ClientSettings&)>& change) {
        const std::lock_guard lock(mutex_);
        change(settings_);
    }

private:
    mutable std::mutex mutex_;
    ClientSettings settings_;
};

// The program folder's "TessalDownload/", where lessons go when the member chose none.
std::string DefaultDownloadRoot(const std::filesystem::path& program_folder);

// The settings the client starts with: from the file, defaults where a key is missing
// or empty.
ClientSettings LoadClientSettings(const std::filesystem::path& program_folder);

// The download channel a stored text stands for: its leading decimal number (0 when it
// has none), 1 when it is empty.
int DownloadChannelOf(std::string_view text);

// The login channel a stored text stands for: "1", "2" or "3", anything else 1.
int LoginChannelOf(std::string_view text);

// Writes the login channel as decimal text; false when the file cannot be written.
bool WriteLoginChannel(const ClientSettings& settings, int channel);

}  // namespace tessal::client
