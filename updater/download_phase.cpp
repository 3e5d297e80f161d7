#include "updater/download_phase.h"

#include "common/files/md5.h"
#include "common/net/file_download.h"
#include "updater/update_list.h"

namespace tessal::updater {
namespace {

bool Download(const UpdaterContext& context, const std::string& url, const std::string& local) {
    if (DownloadToFile(url, local)) {
        return true;
    }
    context.log.Write("DownLoad Fail  url:" + url + " local:" + local);
    return false;
}

void StageItem(const UpdaterContext& context, const tinyxml2::XMLElement& item) {
    const std::string md5 = Attribute(item, "md5");
    const std::string local = Attribute(item, "local");
    const std::string name = Attribute(item, "name");
    const std::string url = Attribute(item, "url");
    if (md5.empty() || local.empty() || name.empty() || url.empty()) {
        return;
    }
    const std::string staged = "./New/" + name;
    if (!context.Confined(local, local) || !context.Confined(name, staged)) {
        return;
    }
    if (SameDigest(FileMd5(local), md5)) {
        return;
    }
    Download(context, url, staged);
}

// False when the list says there is nothing to fetch.
bool StageElement(const UpdaterContext& context, const tinyxml2::XMLElement& element) {
    if (IsVersionElement(element)) {
        return context.installed_version < DecimalValue(Attribute(element, "id"));
    }
    if (IsGroupElement(element)) {
        ForEachItem(element, [&context](const tinyxml2::XMLElement& item) {
            StageItem(context, item);
            return true;
        });
    }
    return true;
}

}  // namespace

void RunDownloadPhase(const UpdaterContext& context) {
    const std::string list_url = context.site.HostUrl(SiteHost::kMainSite) + kUpdateListPath;
    if (!Download(context, list_url, kUpdateListFile)) {
        return;
    }
    tinyxml2::XMLDocument document;
    const tinyxml2::XMLElement* root = LoadUpdateList(kUpdateListFile, document, context.log);
    if (root == nullptr) {
        return;
    }
    for (const auto* element = root->FirstChildElement(); element != nullptr;
         element = element->NextSiblingElement()) {
        if (!StageElement(context, *element)) {
            return;
        }
    }
}

}  // namespace tessal::updater
