// Both update lists, written from the data set at each request so that a raised list
// version or a replaced list shows at once; every MD5 is that of the file the site
// serves for the item.

#include <tinyxml2.h>

#include "common/files/md5.h"
#include "site/model/media_files.h"
#include "site/server/endpoints.h"

namespace tessal::site {
namespace {

std::filesystem::path UpdateFile(const SiteContext& site, const std::string& file) {
    return std::filesystem::path(site.data.folder) / "updates" / file;
}

void SetIfNotEmpty(tinyxml2::XMLElement* element, const char* name, const std::string& value) {
    if (!value.empty())
        element->SetAttribute(name, value.c_str());
}

void WriteItem(const SiteContext& site, const UpdateItem& item, tinyxml2::XMLElement* element) {
    const std::string url = item.url.empty() ? site.urls.UpdateFileUrl(item.file) : item.url;
    const std::string md5 = item.md5.empty() ? FileMd5(UpdateFile(site, item.file)) : item.md5;
    SetIfNotEmpty(element, "name", item.name);
    SetIfNotEmpty(element, "truename", item.truename);
    SetIfNotEmpty(element, "url", url);
    SetIfNotEmpty(element, "local", item.local);
    SetIfNotEmpty(element, "md5", md5);
    SetIfNotEmpty(element, "priority", item.priority);
}

std::string Print(tinyxml2::XMLDocument& document) {
    tinyxml2::XMLPrinter printer;
    document.Print(&printer);
    return printer.CStr();
}

std::string ClientList(const SiteContext& site) {
    tinyxml2::XMLDocument document;
    document.InsertEndChild(document.NewDeclaration());
    auto* root = document.NewElement("TessalUpdata");
    document.InsertEndChild(root);
    for (const UpdateItem& item : site.state.Updates().client) {
        WriteItem(site, item, root->InsertNewChildElement("Progarm"));
    }
    return Print(document);
}

std::string UpdaterList(const SiteContext& site) {
    const UpdateLists lists = site.state.Updates();
    tinyxml2::XMLDocument document;
    document.InsertEndChild(document.NewDeclaration());
    auto* root = document.NewElement("Updata");
    document.InsertEndChild(root);
    auto* version = root->InsertNewChildElement("version");
    SetIfNotEmpty(version, "id", lists.version);
    for (const UpdateGroup& group : lists.groups) {
        auto* element = root->InsertNewChildElement(group.group.c_str());
        for (const UpdateItem& item : group.items) {
            WriteItem(site, item, element->InsertNewChildElement(group.group.c_str()));
        }
    }
    return Print(document);
}

Reply UpdateFileReply(const SiteContext& site, const SiteRequest& request) {
    const std::string name = request.path.substr(std::string(kUpdateFilePathPrefix).size());
    if (!IsPlainFileName(name))
        return Reply::Status(404, "not found\n");
    return Reply::File(UpdateFile(site, name), kOctets);
}

}  // namespace

void AddUpdateListEndpoints(Routes& routes, SiteContext& site) {
    routes.Add(SiteHost::kMainSite, Method::kGet, "/video_ftp/TessalClient/TessalUpdata.xml",
               [&site](const SiteRequest&) { return Reply::Text(ClientList(site), kXml); });
    routes.Add(SiteHost::kMainSite, Method::kGet, "/video_ftp/TessalClient/Updata.xml",
               [&site](const SiteRequest&) { return Reply::Text(UpdaterList(site), kXml); });
    routes.AddPrefix(
        SiteHost::kMainSite, Method::kGet, kUpdateFilePathPrefix,
        [&site](const SiteRequest& request) { return UpdateFileReply(site, request); });
}

}  // namespace tessal::site
