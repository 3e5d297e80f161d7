// TessalUpdata: the application updater. Without arguments it stages the changed files
// of the update list; with "end#<sign>#u#<uid>#" it installs them. It has no window, and
// always exits with 0: the client that starts it never waits for an answer.

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "common/base/runtime_paths.h"
#include "common/log/daily_log.h"
#include "common/settings/site_settings.h"
#include "updater/command_line.h"
#include "updater/download_phase.h"
#include "updater/install_phase.h"
#include "updater/installed_version.h"
#include "updater/path_confinement.h"
#include "updater/updater_context.h"

namespace {

namespace fs = std::filesystem;

// Everything the updater touches is named relative to its own folder.
fs::path EnterProgramFolder() {
    const fs::path folder = tessal::ProgramFolder();
    std::error_code failure;
    fs::current_path(folder, failure);
    fs::create_directories("New", failure);
    fs::create_directories(tessal::kUpdaterLogFolder, failure);
    return folder;
}

void RunPhase(const tessal::updater::UpdaterContext& context,
              const tessal::updater::UpdaterCommand& command) {
    using tessal::updater::UpdaterPhase;
    if (command.phase == UpdaterPhase::kDownload) {
        tessal::updater::RunDownloadPhase(context);
    } else if (command.phase == UpdaterPhase::kInstall) {
        tessal::updater::RunInstallPhase(context, command);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path program_folder = EnterProgramFolder();
    const tessal::SiteSettings site = tessal::SiteSettings::Load("Site.ini");
    tessal::DailyLog log{fs::path(tessal::kUpdaterLogFolder)};
    const tessal::updater::PathConfinement paths(program_folder);
    const tessal::updater::UpdaterContext context{
        site, log, paths, tessal::updater::ReadInstalledVersion(tessal::updater::kVersionFile)};
    RunPhase(context,
             tessal::updater::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc)));
    return 0;
}
