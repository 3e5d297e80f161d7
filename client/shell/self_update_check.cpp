#include "client/shell/self_update_check.h"

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <system_error>

#include "client/shell/client_update_item.h"
#include "common/base/atomic_write.h"
#include "common/files/md5.h"
#include "common/net/file_download.h"
#include "common/net/http_client.h"
#include "updater/installed_mode.h"
#include "updater/path_confinement.h"
#include "updater/update_list.h"

namespace tessal::client {
namespace {

namespace fs = std::filesystem;

// Bounds one client file; a server that sends without end must not fill the disk.
constexpr long long kMaxFileBytes = 512LL * 1024 * 1024;

class SelfUpdateRun {
public:
    SelfUpdateRun(const SelfUpdateContext& context, DailyLog& log)
        : context_(context), log_(log), paths_(context.program_folder) {}

    void Run() const;

private:
    bool Abandoned() const { return context_.abandon != nullptr && context_.abandon->load(); }
    fs::path InFolder(std::string_view relative) const {
        return context_.program_folder / relative;
    }
    fs::path Staged(const ClientUpdateItem& item) const {
        return context_.program_folder / "New" / item.name;
    }
    void FetchList() const;
    void UpdateFromList() const;
    void UpdateItem(const ClientUpdateItem& item) const;
    bool Confined(const ClientUpdateItem& item) const;
    bool Download(const ClientUpdateItem& item) const;
    void Replace(const ClientUpdateItem& item) const;

    const SelfUpdateContext& context_;
    DailyLog& log_;
    const updater::PathConfinement paths_;
};

void SelfUpdateRun::Run() const {
    FetchList();
    if (!Abandoned()) {
        UpdateFromList();
    }
}

// An empty reply (no site, a failure, a list over the bound, or an empty page) leaves
// the copy of an earlier run in place, and that copy is used. The copy is replaced in one
// rename, so a reader never sees half a list.
void SelfUpdateRun::FetchList() const {
    HttpTimeouts timeouts;
    timeouts.abandon = context_.abandon;
    timeouts.max_reply_bytes = kMaxClientUpdateListBytes;
    const std::string url = context_.site.HostUrl(SiteHost::kMainSite) + kClientUpdateListPath;
    const std::string reply = SendRequest(url, "", "", HttpMethod::kGet, timeouts);
    if (!reply.empty() && !Abandoned()) {
        WriteFileAtomically(InFolder(kClientUpdateListFile), reply);
    }
}

void SelfUpdateRun::UpdateFromList() const {
    const fs::path copy = InFolder(kClientUpdateListFile);
    std::error_code failure;
    if (!fs::exists(copy, failure)) {
        return;  // never received a list: nothing to report, TessalUpdata tries again
    }
    tinyxml2::XMLDocument document;
    const tinyxml2::XMLElement* root = updater::LoadUpdateList(copy, document, log_);
    if (root == nullptr) {
        return;
    }
    for (const auto* element = root->FirstChildElement(updater::kProgramGroup);
         element != nullptr && !Abandoned();
         element = element->NextSiblingElement(updater::kProgramGroup)) {
        UpdateItem(ReadClientUpdateItem(*element));
    }
}

void SelfUpdateRun::UpdateItem(const ClientUpdateItem& item) const {
    if (!item.Complete()) {
        log_.Write(ParseFailureLine(item));
        return;
    }
    // Before anything is read, downloaded or written: the list comes from the network.
    if (!Confined(item)) {
        return;
    }
    if (updater::SameDigest(FileMd5(InFolder(item.local)), item.md5)) {
        return;
    }
    if (Download(item) && !Abandoned()) {
        Replace(item);
    }
}

// The name lands in "./New/" as one file; any other name is refused like one that
// leaves the folder.
bool SelfUpdateRun::Confined(const ClientUpdateItem& item) const {
    if (!paths_.AllowsOrLogs(item.local, item.local, log_))
        return false;
    if (!IsPlainFileName(item.name))
        return updater::RefusePath(item.name, log_);
    return paths_.AllowsOrLogs(item.name, "New/" + item.name, log_);
}

// "./New/" must exist: it is TessalUpdata's, and this check does not make it.
bool SelfUpdateRun::Download(const ClientUpdateItem& item) const {
    DownloadOptions options;
    options.max_bytes = kMaxFileBytes;
    options.abandon = context_.abandon;
    if (DownloadToFile(item.url, Staged(item), options)) {
        return true;
    }
    if (!Abandoned()) {
        log_.Write("DownLoad Fail  url:" + item.url + " local:" + item.StagedText());
    }
    return false;
}

// One rename puts the new file in place, so the installation never lacks it; a failed
// rename leaves the installed file as it was. A download that is not what the list
// names (a proxy's page, a wrong file) never replaces an installed program.
void SelfUpdateRun::Replace(const ClientUpdateItem& item) const {
    const fs::path staged = Staged(item);
    const fs::path installed = InFolder(item.local);
    if (!updater::SameDigest(FileMd5(staged), item.md5)) {
        log_.Write("md5 mismatch:" + item.StagedText() + " url:" + item.url);
        return;
    }
    // Every item of this list is a program file, as TessalUpdata's "Progarm" group.
    updater::TakeInstalledMode(staged, installed, true);
    if (::rename(staged.c_str(), installed.c_str()) != 0) {
        log_.Write("MoveFile:" + item.StagedText() + "To:" + item.local + "  fail");
    }
}

}  // namespace

void RunSelfUpdateCheck(const SelfUpdateContext& context) {
    if (context.log != nullptr) {
        try {
            SelfUpdateRun(context, *context.log).Run();
        } catch (const std::exception& error) {
            // Out of memory or the like: the update is left to TessalUpdata.
            context.log->Write(std::string("self-update check failed: ") + error.what());
        }
    }
    const bool ending = context.abandon != nullptr && context.abandon->load();
    if (!ending && context.start_updater) {
        context.start_updater();
    }
}

}  // namespace tessal::client
