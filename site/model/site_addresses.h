#pragma once

// Where the reference site lives: one loopback port per host of Site.ini (the base port
// plus the host's place in SiteHost) and a control port after them, and the URLs that
// the data set's lessons, pictures and files have there. The builders compute the same
// URLs from a Site.ini, so an installation and the site that wrote its Site.ini agree.

#include <array>
#include <string>

#include "common/settings/site_settings.h"
#include "site/model/demo_data.h"

namespace tessal::site {

inline constexpr int kDefaultBasePort = 18700;
inline constexpr int kPortCount = static_cast<int>(kSiteHostCount) + 1;
inline constexpr const char* kLoopbackAddress = "127.0.0.1";
inline constexpr const char* kDefaultHotline = "400-800-8266";

class SiteAddresses {
public:
    explicit SiteAddresses(int base_port, std::string address = kLoopbackAddress)
        : base_port_(base_port), address_(std::move(address)) {}

    int base_port() const { return base_port_; }
    int PortOf(SiteHost host) const { return base_port_ + static_cast<int>(host); }
    int ControlPort() const { return base_port_ + static_cast<int>(kSiteHostCount); }
    // "<address>:<port>" ("127.0.0.1:<port>" but in a benchmark), the host value of
    // Site.ini.
    std::string HostName(SiteHost host) const;
    std::string SiteIniText(const std::string& code_page, const std::string& hotline) const;

private:
    int base_port_;
    std::string address_;
};

class SiteUrls {
public:
    explicit SiteUrls(const SiteSettings& settings);
    explicit SiteUrls(const SiteAddresses& addresses);

    // "http://host[:port]" without a trailing "/".
    const std::string& HostUrl(SiteHost host) const;

    static std::string LessonPath(const Course& course, const Lesson& lesson);
    std::string LessonUrl(const Course& course, const Lesson& lesson) const;
    std::string LessonMediaUrl(const Lesson& lesson) const;
    std::string CoursePictureUrl(const Course& course) const;
    std::string HeadPictureUrl(const Member& member) const;
    std::string PushPictureUrl(const std::string& picture) const;
    std::string UpdateFileUrl(const std::string& file) const;
    // Replaces every "{HostKey}" (a Site.ini key such as "MainSite") by that host's URL.
    std::string Expand(std::string text) const;

private:
    std::array<std::string, kSiteHostCount> host_urls_;
};

inline constexpr const char* kLessonPathPrefix = "/lessons/";
inline constexpr const char* kLessonMediaPathPrefix = "/p/media/";
inline constexpr const char* kCoursePicturePathPrefix = "/upload/course/";
inline constexpr const char* kHeadPicturePathPrefix = "/upload/head/";
inline constexpr const char* kPushPicturePathPrefix = "/push/img/";
inline constexpr const char* kUpdateFilePathPrefix = "/video_ftp/TessalClient/files/";

}  // namespace tessal::site
