#include "site/builders/installation_builder.h"

#include "common/files/file_helpers.h"
#include "common/settings/site_settings.h"
#include "site/builders/cache_database_builder.h"
#include "site/builders/course_database_builder.h"
#include "site/builders/media_builder.h"
#include "site/builders/shipped_files.h"
#include "site/model/site_addresses.h"

namespace tessal::site {
namespace fs = std::filesystem;
namespace {

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool CopySiteIni(const fs::path& site_ini, const fs::path& folder, std::string& error) {
    const fs::path target = folder / "Site.ini";
    std::error_code ignored;
    // The site may have written its Site.ini straight into the installation.
    if (fs::equivalent(site_ini, target, ignored)) {
        return true;
    }
    if (!CopyFile(site_ini, target)) {
        error = target.string() + ": cannot copy " + site_ini.string() + " there";
        return false;
    }
    return true;
}

// A lesson the client would store under another name, or outside its course folder,
// is left for the client to download.
bool IsDownloadableFile(const std::string& file) {
    return file.find('/') == std::string::npos && EndsWith(file, kLessonFileExtension);
}

bool CopyFirstCourse(const DemoData& data, const fs::path& media, const fs::path& folder,
                     std::string& error) {
    if (data.courses.empty()) {
        return true;
    }
    const Course& course = data.courses.front();
    if (!IsPlainFileName(course.type) || !IsPlainFileName(course.name)) {
        error = "course " + std::to_string(course.id) +
                ": its type and name must be plain folder names to be downloaded";
        return false;
    }
    const fs::path course_folder = folder / kDownloadFolder / course.type / course.name;
    std::error_code failure;
    fs::create_directories(course_folder, failure);
    if (failure) {
        error = course_folder.string() + ": cannot be created: " + failure.message();
        return false;
    }
    for (const Lesson& lesson : course.lessons) {
        const MediaClip* clip = data.ClipByName(lesson.clip);
        if (!IsDownloadableFile(lesson.file) || clip == nullptr) {
            continue;
        }
        const fs::path source = ClipFile(media, clip->name);
        if (!fs::is_regular_file(source, failure)) {
            error = source.string() + ": missing; make the media first (tessal-demo-data media)";
            return false;
        }
        if (!CopyFile(source, course_folder / lesson.file)) {
            error = (course_folder / lesson.file).string() + ": cannot copy " + source.string();
            return false;
        }
    }
    return true;
}

}  // namespace

bool AssembleInstallation(const DemoData& data, const fs::path& site_ini, const fs::path& media,
                          const fs::path& folder, std::string& error) {
    std::error_code ignored;
    // Without this check a mistyped path would quietly give the production hosts.
    if (!fs::is_regular_file(site_ini, ignored)) {
        error = site_ini.string() + ": no such Site.ini";
        return false;
    }
    const SiteUrls urls(SiteSettings::Load(site_ini));
    return CreateShippedFolders(folder, error) && CopySiteIni(site_ini, folder, error) &&
           BuildCourseDatabase(data, urls, folder / kCourseDatabaseFile, error) &&
           BuildCacheDatabase(folder / kCacheDatabaseFile, error) &&
           CopyFirstCourse(data, media, folder, error);
}

}  // namespace tessal::site
