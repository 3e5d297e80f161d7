// The client's own update list ("cache/TessalUpdata.xml"), as its self-update check
// reads it: each "Progarm" item, the log line of an incomplete one, and the names and
// paths that must stay inside the program folder.

#include "client/shell/client_update_item.h"
#include "client/shell/self_update_check.h"
#include "common/log/daily_log.h"
#include "tests/fuzz/fuzz_input.h"
#include "updater/path_confinement.h"
#include "updater/update_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessal::client;
    using tessal::fuzz::Require;
    const auto& folder = tessal::fuzz::ScratchFolder();
    // A log whose folder is missing drops its entries. Each input waits for its entries
    // to be taken (Flush): one still queued looks to libFuzzer like a leak to scan for.
    static tessal::DailyLog log(folder / "no-log-folder");
    static const tessal::updater::PathConfinement paths(folder);

    tessal::fuzz::WriteFile(folder / kClientUpdateListFile, tessal::fuzz::Text(data, size));
    tinyxml2::XMLDocument document;
    const auto* root =
        tessal::updater::LoadUpdateList(folder / kClientUpdateListFile, document, log);
    if (root == nullptr) {
        log.Flush();
        return 0;
    }
    for (const auto* element = root->FirstChildElement(tessal::updater::kProgramGroup);
         element != nullptr;
         element = element->NextSiblingElement(tessal::updater::kProgramGroup)) {
        const ClientUpdateItem item = ReadClientUpdateItem(*element);
        if (!item.Complete()) {
            const std::string line = ParseFailureLine(item);
            Require(line.size() < 260, "the failure line fits the log's buffer");
            continue;
        }
        if (paths.Allows(item.local) && IsPlainFileName(item.name))
            paths.Allows("New/" + item.name);
        item.StagedText();
    }
    log.Flush();
    return 0;
}
