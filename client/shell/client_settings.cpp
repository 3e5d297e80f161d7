#include "client/shell/client_settings.h"

#include "common/base/text_helpers.h"
#include "common/settings/ini_file.h"

namespace tessal::client {

std::string DefaultDownloadRoot(const std::filesystem::path& program_folder) {
    return (program_folder / "TessalDownload").string() + "/";
}

ClientSettings LoadClientSettings(const std::filesystem::path& program_folder) {
    ClientSettings settings;
    settings.program_folder = program_folder;
    const auto file = settings.user_set_file();
    settings.download_root = ReadProfileString(file, kClientSection, kDownloadFolderKey, "", 1024);
    if (settings.download_root.empty())
        settings.download_root = DefaultDownloadRoot(program_folder);
    settings.download_channel =
        DownloadChannelOf(ReadProfileString(file, kClientSection, kDownloadChannelKey, ""));
    settings.login_channel =
        LoginChannelOf(ReadProfileString(file, kClientSection, kLoginChannelKey, ""));
    return settings;
}

int DownloadChannelOf(std::string_view text) {
    return text.empty() ? 1 : LeadingNumber(text);
}

int LoginChannelOf(std::string_view text) {
    if (text == "2")
        return 2;
    if (text == "3")
        return 3;
    return 1;
}

bool WriteLoginChannel(const ClientSettings& settings, int channel) {
    return WriteProfileString(settings.user_set_file(), kClientSection, kLoginChannelKey,
                              std::to_string(channel));
}

}  // namespace tessal::client
