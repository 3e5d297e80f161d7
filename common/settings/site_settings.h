#pragma once

// Site.ini beside the programs: which hosts play the site's parts and how the site
// encodes text. Read once at start-up; a missing file or key keeps the built-in value.

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace tessal {

enum class SiteHost {
    kMainSite,
    kVideoApi,
    kClientData,
    kAppApi,
    kCourse,
    kPassport,
    kDownload1,
    kDownload2,
    kDownload3,
    kCodec,
    kIpLookup,
};
inline constexpr std::size_t kSiteHostCount = 11;

class SiteSettings {
public:
    SiteSettings();  // the built-in values

    static SiteSettings Load(const std::filesystem::path& site_ini);

    // Host name with its ":port" when one is set (the codec host always has one,
    // 81 unless the value names another), without any scheme.
    std::string HostName(SiteHost host) const;
    // "http://" or "https://" followed by the host name; no trailing "/".
    std::string HostUrl(SiteHost host) const;
    bool IsSecure(SiteHost host) const;

    const std::string& code_page() const { return code_page_; }
    const std::string& hotline() const { return hotline_; }
    // [Features] Questions=1: the lesson window shows its question button.
    bool questions() const { return questions_; }

    // The Site.ini key of a host ("MainSite", "Download1", ...).
    static std::string_view KeyOf(SiteHost host);

private:
    void SetHost(SiteHost host, std::string_view value);

    std::array<std::string, kSiteHostCount> names_;
    std::array<bool, kSiteHostCount> secure_{};
    std::string code_page_;
    std::string hotline_;
    bool questions_ = false;
};

}  // namespace tessal
