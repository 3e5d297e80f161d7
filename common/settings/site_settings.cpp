#include "common/settings/site_settings.h"

#include "common/base/text_codec.h"
#include "common/settings/ini_file.h"

namespace tessal {
namespace {

struct HostDefault {
    SiteHost host;
    std::string_view key;
    std::string_view name;
};

// The production hosts; an installation overrides them in Site.ini.
constexpr HostDefault kHostDefaults[kSiteHostCount] = {
    {SiteHost::kMainSite, "MainSite", "www.tessal.com"},
    {SiteHost::kVideoApi, "VideoApi", "video.tessal.com"},
    {SiteHost::kClientData, "ClientData", "client.tessal.com"},
    {SiteHost::kAppApi, "AppApi", "app.tessal.com"},
    {SiteHost::kCourse, "Course", "course.tessal.com"},
    {SiteHost::kPassport, "Passport", "passport.tessal.com"},
    {SiteHost::kDownload1, "Download1", "down1.tessal.com"},
    {SiteHost::kDownload2, "Download2", "down2.tessal.com"},
    {SiteHost::kDownload3, "Download3", "down3.tessal.com"},
    {SiteHost::kCodec, "Codec", "codec.tessal.com"},
    {SiteHost::kIpLookup, "IpLookup", "ip.tessal.com"},
};

constexpr std::string_view kCodecPort = "81";
constexpr std::string_view kDefaultHotline = "400-800-8266";

std::size_t IndexOf(SiteHost host) {
    return static_cast<std::size_t>(host);
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

SiteSettings::SiteSettings() : code_page_(kDefaultSiteCodePage), hotline_(kDefaultHotline) {
    for (const HostDefault& entry : kHostDefaults) {
        SetHost(entry.host, entry.name);
    }
}

SiteSettings SiteSettings::Load(const std::filesystem::path& site_ini) {
    SiteSettings settings;
    const IniDocument document = LoadProfile(site_ini);
    for (const HostDefault& entry : kHostDefaults) {
        const std::string value = document.Value("Hosts", entry.key).value_or("");
        if (!value.empty()) {
            settings.SetHost(entry.host, value);
        }
    }
    const std::string code_page = document.Value("Site", "CodePage").value_or("");
    if (!code_page.empty()) {
        settings.code_page_ = code_page;
    }
    const std::string hotline = document.Value("Site", "Hotline").value_or("");
    if (!hotline.empty()) {
        settings.hotline_ = hotline;
    }
    settings.questions_ = document.Value("Features", "Questions").value_or("") == "1";
    return settings;
}

void SiteSettings::SetHost(SiteHost host, std::string_view value) {
    bool secure = false;
    if (StartsWith(value, "https://")) {
        secure = true;
        value.remove_prefix(8);
    } else if (StartsWith(value, "http://")) {
        value.remove_prefix(7);
    }
    while (!value.empty() && value.back() == '/') {
        value.remove_suffix(1);
    }
    std::string name(value);
    if (host == SiteHost::kCodec && name.find(':') == std::string::npos) {
        name.append(":").append(kCodecPort);
    }
    names_[IndexOf(host)] = std::move(name);
    secure_[IndexOf(host)] = secure;
}

std::string SiteSettings::HostName(SiteHost host) const {
    return names_[IndexOf(host)];
}

bool SiteSettings::IsSecure(SiteHost host) const {
    return secure_[IndexOf(host)];
}

std::string SiteSettings::HostUrl(SiteHost host) const {
    return (IsSecure(host) ? "https://" : "http://") + HostName(host);
}

std::string_view SiteSettings::KeyOf(SiteHost host) {
    return kHostDefaults[IndexOf(host)].key;
}

}  // namespace tessal
