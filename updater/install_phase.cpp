#include "updater/install_phase.h"

#include <chrono>
#include <optional>
#include <string_view>

#include "common/base/system_waits.h"
#include "common/system/process_terminator.h"
#include "updater/group_installer.h"
#include "updater/installed_version.h"
#include "updater/logout_notice.h"
#include "updater/update_list.h"
#include "updater/verification_pass.h"

namespace tessal::updater {
namespace {

// Gives the client time to close by itself while the logout notice goes out.
constexpr std::chrono::milliseconds kShutdownWait{3000};
// Bounds the logout notice, which the updater waits for before it ends.
constexpr HttpTimeouts kLogoutTimeouts{10000, 20000};

constexpr const char* kProgramNames[] = {"TessalClient", "TessalClient.exe", "TessalPlayer",
                                         "TessalPlayer.exe"};

// A player is asked to end first, so that it saves what the member watched; the client,
// which started this updater from its own shutdown, is ended outright.
void EndRunningPrograms(const std::filesystem::path& program_folder) {
    for (const std::string_view name : kProgramNames) {
        const bool player = name.starts_with("TessalPlayer");
        TerminateProcessesNamed(name, program_folder,
                                player ? kPlayerShutdownGrace : std::chrono::milliseconds{});
    }
}

// The list's version text, or nothing when the installed version is already current.
std::optional<std::string> InstallPass(const UpdaterContext& context,
                                       const tinyxml2::XMLElement& root) {
    std::string version;
    int priority_counter = 0;
    for (const auto* element = root.FirstChildElement(); element != nullptr;
         element = element->NextSiblingElement()) {
        if (IsVersionElement(*element)) {
            version = Attribute(*element, "id");
            const int value = DecimalValue(version);
            if (context.installed_version >= value && value != 0) {
                return std::nullopt;
            }
        } else if (IsGroupElement(*element)) {
            InstallGroup(context, *element, priority_counter);
        }
    }
    return version;
}

void InstallFromList(const UpdaterContext& context) {
    tinyxml2::XMLDocument document;
    const tinyxml2::XMLElement* root = LoadUpdateList(kUpdateListFile, document, context.log);
    if (root == nullptr) {
        return;
    }
    const std::optional<std::string> version = InstallPass(context, *root);
    if (version && VerifyInstalledFiles(context, *root) &&
        context.Confined(kVersionFile, kVersionFile)) {
        WriteInstalledVersion(kVersionFile, *version);
    }
}

}  // namespace

void RunInstallPhase(const UpdaterContext& context, const UpdaterCommand& command) {
    std::optional<LogoutNotice> notice;
    if (!command.sign.empty() && !command.uid.empty()) {
        notice.emplace(context.site.HostUrl(SiteHost::kClientData), command.uid, command.sign,
                       kLogoutTimeouts);
    }
    SleepSystemWait(kShutdownWait);
    EndRunningPrograms(context.paths.folder());
    InstallFromList(context);
}

}  // namespace tessal::updater
