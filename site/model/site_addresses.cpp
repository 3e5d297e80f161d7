#include "site/model/site_addresses.h"

#include <sstream>

#include "common/base/text_helpers.h"

namespace tessal::site {

std::string SiteAddresses::HostName(SiteHost host) const {
    return address_ + ":" + std::to_string(PortOf(host));
}

std::string SiteAddresses::SiteIniText(const std::string& code_page,
                                       const std::string& hotline) const {
    std::ostringstream out;
    out << "; Written by tessal-site: every host of the site on " << address_ << ".\n[Hosts]\n";
    for (std::size_t i = 0; i < kSiteHostCount; ++i) {
        const auto host = static_cast<SiteHost>(i);
        out << SiteSettings::KeyOf(host) << "=" << HostName(host) << "\n";
    }
    out << "[Site]\nCodePage=" << code_page << "\nHotline=" << hotline << "\n";
    // The reference site takes questions.
    out << "[Features]\nQuestions=1\n";
    return out.str();
}

SiteUrls::SiteUrls(const SiteSettings& settings) {
    for (std::size_t i = 0; i < kSiteHostCount; ++i) {
        host_urls_[i] = settings.HostUrl(static_cast<SiteHost>(i));
    }
}

SiteUrls::SiteUrls(const SiteAddresses& addresses) {
    for (std::size_t i = 0; i < kSiteHostCount; ++i) {
        host_urls_[i] = "http://" + addresses.HostName(static_cast<SiteHost>(i));
    }
}

const std::string& SiteUrls::HostUrl(SiteHost host) const {
    return host_urls_[static_cast<std::size_t>(host)];
}

std::string SiteUrls::LessonPath(const Course& course, const Lesson& lesson) {
    return kLessonPathPrefix + std::to_string(course.id) + "/" + lesson.file;
}

std::string SiteUrls::LessonUrl(const Course& course, const Lesson& lesson) const {
    const auto host = static_cast<int>(SiteHost::kDownload1) + lesson.download_host - 1;
    return HostUrl(static_cast<SiteHost>(host)) + LessonPath(course, lesson);
}

std::string SiteUrls::LessonMediaUrl(const Lesson& lesson) const {
    return HostUrl(SiteHost::kCourse) + kLessonMediaPathPrefix + std::to_string(lesson.id) +
           ".webm";
}

std::string SiteUrls::CoursePictureUrl(const Course& course) const {
    return HostUrl(SiteHost::kMainSite) + kCoursePicturePathPrefix + course.picture;
}

std::string SiteUrls::HeadPictureUrl(const Member& member) const {
    if (member.head_picture.empty())
        return {};
    return HostUrl(SiteHost::kAppApi) + kHeadPicturePathPrefix + member.head_picture;
}

std::string SiteUrls::PushPictureUrl(const std::string& picture) const {
    if (picture.empty())
        return {};
    return HostUrl(SiteHost::kMainSite) + kPushPicturePathPrefix + picture;
}

std::string SiteUrls::UpdateFileUrl(const std::string& file) const {
    return HostUrl(SiteHost::kMainSite) + kUpdateFilePathPrefix + file;
}

std::string SiteUrls::Expand(std::string text) const {
    for (std::size_t i = 0; i < kSiteHostCount; ++i) {
        const std::string key =
            "{" + std::string(SiteSettings::KeyOf(static_cast<SiteHost>(i))) + "}";
        text = ReplaceAll(text, key, host_urls_[i]);
    }
    return text;
}

}  // namespace tessal::site
