// TessalUpdataCodes: fetches the video engine and its decoder files again from the
// codec host named in Site.ini.

#include <filesystem>
#include <iostream>
#include <system_error>

#include "codec_updater/codec_update.h"
#include "codec_updater/console_line.h"
#include "common/base/runtime_paths.h"
#include "common/base/system_waits.h"
#include "common/net/file_download.h"
#include "common/settings/site_settings.h"
#include "common/system/process_terminator.h"

namespace {

namespace fs = std::filesystem;

// An unreachable codec host must cost seconds, not minutes, over 24 files.
constexpr long kConnectTimeoutMs = 5000;

bool EnterProgramFolder(const fs::path& program_folder) {
    std::error_code failure;
    if (!program_folder.empty()) {
        fs::current_path(program_folder, failure);
    }
    if (program_folder.empty() || failure) {
        std::cerr << "TessalUpdataCodes: cannot enter the program folder " << program_folder << ": "
                  << failure.message() << '\n';
        return false;
    }
    return true;
}

tessal::codecs::CodecUpdateActions ConsoleActions(const fs::path& program_folder) {
    tessal::DownloadOptions options;
    options.connect_timeout_ms = kConnectTimeoutMs;
    return {
        .print =
            [](std::string_view message) { tessal::codecs::PrintConsoleLine(std::cout, message); },
        .wait = [](std::chrono::milliseconds wait) { tessal::SleepSystemWait(wait); },
        .end_player =
            [program_folder] {
                // Asked first, so that the player saves what the member watched.
                tessal::TerminateProcessesNamed("TessalPlayer", program_folder,
                                                tessal::kPlayerShutdownGrace);
            },
        .download =
            [options](const std::string& url, const fs::path& local) {
                return tessal::DownloadToFile(url, local, options);
            },
    };
}

}  // namespace

int main() {
    const fs::path program_folder = tessal::ProgramFolder();
    // Every path the program touches is relative to its own folder.
    if (!EnterProgramFolder(program_folder)) {
        return 1;
    }
    const auto site = tessal::SiteSettings::Load("Site.ini");
    tessal::codecs::RunCodecUpdate(site.HostUrl(tessal::SiteHost::kCodec),
                                   ConsoleActions(program_folder), std::cin);
    return 0;
}
