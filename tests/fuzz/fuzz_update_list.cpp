// TessalUpdata's update list ("cache/Updata.xml"), as the install phase reads it: the
// reader, the version and group elements, each item's attributes and priority, the paths
// the list names (confined to the program folder) and the verification pass.

#include "common/log/daily_log.h"
#include "common/settings/site_settings.h"
#include "tests/fuzz/fuzz_input.h"
#include "updater/group_installer.h"
#include "updater/path_confinement.h"
#include "updater/update_list.h"
#include "updater/updater_context.h"
#include "updater/verification_pass.h"

namespace tessal::updater {
namespace {

// The install phase's first pass: the version element and each group's items in
// document order, their priorities and paths. Nothing is staged in "./New/", so no item
// reaches a rename.
void InstallPass(const UpdaterContext& context, const tinyxml2::XMLElement& root) {
    int priority_counter = 0;
    for (const auto* element = root.FirstChildElement(); element != nullptr;
         element = element->NextSiblingElement()) {
        if (IsVersionElement(*element))
            DecimalValue(Attribute(*element, "id"));
        else if (IsGroupElement(*element))
            InstallGroup(context, *element, priority_counter);
    }
}

}  // namespace
}  // namespace tessal::updater

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessal::updater;
    const auto& folder = tessal::fuzz::ScratchFolder();
    // A log whose folder is missing drops its entries. Each input waits for its entries
    // to be taken (Flush): one still queued looks to libFuzzer like a leak to scan for.
    static tessal::DailyLog log(folder / "no-log-folder");
    static const tessal::SiteSettings site;
    static const PathConfinement paths(folder);
    const UpdaterContext context{site, log, paths, 1};

    tessal::fuzz::WriteFile(folder / kUpdateListFile, tessal::fuzz::Text(data, size));
    tinyxml2::XMLDocument document;
    const tinyxml2::XMLElement* root = LoadUpdateList(kUpdateListFile, document, log);
    if (root == nullptr) {
        log.Flush();
        return 0;
    }
    InstallPass(context, *root);
    VerifyInstalledFiles(context, *root);
    log.Flush();
    return 0;
}
