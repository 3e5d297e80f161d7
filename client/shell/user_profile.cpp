#include "client/shell/user_profile.h"

#include <json/json.h>

#include <algorithm>
#include <memory>

#include "common/base/atomic_write.h"
#include "common/base/text_codec.h"
#include "common/files/file_helpers.h"
#include "common/net/file_download.h"
#include "common/net/http_client.h"
#include "common/net/url.h"

namespace tessal::client {
namespace {

// A head picture is small: a line that cannot bring it in a minute will not bring it.
constexpr long kHeadPictureTotalMs = 60000;

class ProfileFetch {
public:
    explicit ProfileFetch(const UserProfileFetch& fetch) : fetch_(fetch) {}
    void Run();

private:
    bool Abandoned() const { return fetch_.abandon != nullptr && fetch_.abandon->load(); }
    void Log(const std::string& line) const {
        if (fetch_.log != nullptr)
            fetch_.log->Write(line);
    }
    std::string PathText(const std::filesystem::path& path) const { return path.generic_string(); }
    std::string Request(const std::string& url) const;
    std::string KeepAndReadBack(const std::string& reply) const;
    std::string PictureUrl(const std::string& json_text) const;
    void DownloadPicture(const std::string& url) const;

    const UserProfileFetch& fetch_;
};

std::string ProfileFetch::Request(const std::string& url) const {
    HttpTimeouts timeouts;
    timeouts.abandon = fetch_.abandon;
    return SendRequest(url, "", "", HttpMethod::kPost, timeouts);
}

// The file holds the reply in the site code page; it is read back as internal text. A
// file that could not be written is not read: an older reply left there would be taken
// for this one.
std::string ProfileFetch::KeepAndReadBack(const std::string& reply) const {
    const std::string& code_page = fetch_.site->code_page();
    const auto json_path = fetch_.member_folder / kUserJsonFileName;
    if (!WriteFileAtomically(json_path, CodePageFromUtf8(reply, code_page)))
        return {};
    const std::string kept = ReadWholeFile(json_path);
    return kept.empty() ? kept : Utf8FromCodePage(kept, code_page);
}

// "img" as a string; anything else there, or no object at all, is no picture. Parsing
// failures are logged here, so an empty result alone means "no picture".
std::string ProfileFetch::PictureUrl(const std::string& json_text) const {
    const auto url = HeadPictureUrl(json_text);
    if (!url) {
        Log("UpdateHeadPic parse is false");
        return {};
    }
    if (url->empty())
        Log("UpdateHeadPic img is null");
    return *url;
}

void ProfileFetch::DownloadPicture(const std::string& url) const {
    const auto target = fetch_.member_folder / kDownloadedHeadPictureFileName;
    DownloadOptions options;
    options.total_timeout_ms = kHeadPictureTotalMs;
    options.abandon = fetch_.abandon;
    if (!DownloadToFile(url, target, options) && !Abandoned())
        Log("UpdateHeadPic fail Spath:" + PathText(target) + "img:" + url);
}

void ProfileFetch::Run() {
    // The uid comes from the site's reply: whatever it holds stays one query value.
    const std::string url = fetch_.site->HostUrl(SiteHost::kAppApi) + kUserInfoPath +
                            "?uid=" + UrlEncode(fetch_.uid, true);
    const std::string reply = Request(url);
    if (Abandoned())
        return;
    if (reply.empty()) {
        Log("UpdateHeadjson fail sJsonPath:" + PathText(fetch_.member_folder / kUserJsonFileName) +
            "  sJson:" + url);
        return;
    }
    const std::string json_text = KeepAndReadBack(reply);
    if (json_text.empty()) {
        Log("UpdateHeadPic json is null");
        return;
    }
    const std::string picture = PictureUrl(json_text);
    if (!picture.empty() && !Abandoned())
        DownloadPicture(picture);
}

}  // namespace

std::optional<std::string> HeadPictureUrl(std::string_view json_text) {
    Json::CharReaderBuilder builder;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    if (!reader->parse(json_text.data(), json_text.data() + json_text.size(), &root, &errors))
        return std::nullopt;
    const Json::Value img = root.isObject() ? root.get("img", Json::Value()) : Json::Value();
    return img.isString() ? img.asString() : std::string();
}

// The account is one folder below "User", whatever it holds: a "/" would reach into
// other folders and "." or ".." would leave it.
std::filesystem::path MemberFolder(const std::filesystem::path& program_folder,
                                   std::string_view account) {
    std::string name(account);
    std::replace(name.begin(), name.end(), '/', '_');
    if (name.empty() || name == "." || name == "..")
        name = "_" + name;
    return program_folder / "User" / name;
}

void FetchUserInformation(const UserProfileFetch& fetch) {
    if (fetch.site == nullptr)
        return;
    try {
        ProfileFetch(fetch).Run();
    } catch (...) {
        // A reply that breaks the parser, a full memory: the login goes on without it.
        if (fetch.log != nullptr)
            fetch.log->Write("catch Fail  UpdateHeadPic");
    }
}

}  // namespace tessal::client
