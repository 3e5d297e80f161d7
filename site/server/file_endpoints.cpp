// Files the programs download: lesson files (the same on all three download hosts, byte
// ranges honoured so that a download resumes), course, head and push pictures, and the
// codec host's engine and decoder files.

#include "common/base/text_codec.h"
#include "site/server/codec_files.h"
#include "site/server/endpoints.h"
#include "site/server/site_text.h"

namespace tessal::site {
namespace {

constexpr SiteHost kDownloadHosts[] = {SiteHost::kDownload1, SiteHost::kDownload2,
                                       SiteHost::kDownload3};

// A lesson URL may carry a query; the client sends it percent-encoded inside the path,
// a browser or curl as a real query. Both find the lesson. A name escaped in the site
// code page rather than UTF-8 finds it too.
Reply LessonFile(const SiteContext& site, const SiteRequest& request) {
    const std::string path =
        IsUtf8(request.path) ? request.path : Utf8FromCodePage(request.path, site.code_page);
    const std::string with_query = path + "?" + request.query;
    for (const Course& course : site.data.courses) {
        for (const Lesson& lesson : course.lessons) {
            const std::string lesson_path = SiteUrls::LessonPath(course, lesson);
            if (lesson_path == path || (!request.query.empty() && lesson_path == with_query)) {
                return Reply::File(site.ClipFile(lesson.clip), kOctets);
            }
        }
    }
    const auto extra = site.extra_files.find(path);
    if (extra != site.extra_files.end())
        return Reply::File(extra->second, kOctets);
    return Reply::Status(404, "not found\n");
}

std::string PictureType(const std::string& name) {
    return name.ends_with(".png") ? "image/png" : "image/jpeg";
}

Handler PictureHandler(const SiteContext& site, std::string prefix) {
    return [&site, prefix](const SiteRequest& request) {
        const std::string name = request.path.substr(prefix.size());
        for (const std::string& picture : site.data.PictureNames()) {
            if (picture == name)
                return Reply::File(site.PictureFile(name), PictureType(name));
        }
        return Reply::Status(404, "not found\n");
    };
}

}  // namespace

void AddFileEndpoints(Routes& routes, SiteContext& site) {
    for (SiteHost host : kDownloadHosts) {
        routes.AddPrefix(host, Method::kGet, kLessonPathPrefix,
                         [&site](const SiteRequest& request) { return LessonFile(site, request); });
    }
    routes.AddPrefix(SiteHost::kMainSite, Method::kGet, kCoursePicturePathPrefix,
                     PictureHandler(site, kCoursePicturePathPrefix));
    routes.AddPrefix(SiteHost::kAppApi, Method::kGet, kHeadPicturePathPrefix,
                     PictureHandler(site, kHeadPicturePathPrefix));
    routes.AddPrefix(SiteHost::kMainSite, Method::kGet, kPushPicturePathPrefix,
                     PictureHandler(site, kPushPicturePathPrefix));
    for (const std::string& path : CodecFilePaths()) {
        routes.Add(SiteHost::kCodec, Method::kGet, path, [path, &site](const SiteRequest&) {
            if (path == kEnginePath && !site.engine_file.empty())
                return Reply::File(site.engine_file, kOctets);
            return Reply::Text(CodecFileContent(path), kOctets);
        });
    }
}

}  // namespace tessal::site
