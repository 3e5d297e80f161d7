// The online lesson page: a signed query (token = MD5 of uid, time and the shared key)
// opens a small HTML5 page whose video element plays the lesson's media from the
// course host. The page tells the host once its video plays ("/p/playing?lessonid="),
// so that tests and benchmarks see playback from outside the client.

#include <cstdlib>

#include "common/files/md5.h"
#include "site/server/endpoints.h"
#include "site/server/site_text.h"

namespace tessal::site {
namespace {

constexpr const char* kTokenKey = "qorvanel";

Reply ErrorPage(int status, const std::string& message) {
    Reply reply =
        Reply::Text("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + message +
                        "</title></head><body><p class=\"error\">" + message + "</p></body></html>",
                    kHtml);
    reply.status = status;
    return reply;
}

std::string PlayerPage(const SiteUrls& urls, const Course& course, const Lesson& lesson) {
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + EscapeHtml(lesson.name) +
           "</title><style>html,body{margin:0;height:100%;background:#000}"
           "video{display:block;width:100%;height:100%;object-fit:contain}</style></head><body>"
           "<video id=\"lesson\" controls autoplay data-course=\"" +
           std::to_string(course.id) + "\" data-lesson=\"" + std::to_string(lesson.id) +
           "\" src=\"" + EscapeHtml(urls.LessonMediaUrl(lesson)) +
           "\"></video><script>document.getElementById('lesson').addEventListener('playing',"
           "()=>fetch('/p/playing?lessonid=" +
           std::to_string(lesson.id) + "'),{once:true});</script></body></html>";
}

Reply Miniplayer(const SiteContext& site, const SiteRequest& request) {
    const std::string uid = request.Param("uid");
    const std::string time = request.Param("time");
    if (uid.empty() || time.empty() || request.Param("token") != TextMd5(uid + time + kTokenKey)) {
        return ErrorPage(403, "播放验证失败,请重新登录后观看");
    }
    const int course_id = std::atoi(request.Param("courseid").c_str());
    const int lesson_id = std::atoi(request.Param("lessonid").c_str());
    const Course* course = site.data.CourseOfLesson(lesson_id);
    if (course == nullptr || course->id != course_id) {
        return ErrorPage(404, "课时不存在或不属于该课程");
    }
    return Reply::Text(PlayerPage(site.urls, *course, *site.data.LessonById(lesson_id)), kHtml);
}

Reply LessonMedia(const SiteContext& site, const SiteRequest& request) {
    std::string name = request.path.substr(std::string(kLessonMediaPathPrefix).size());
    if (!name.ends_with(".webm"))
        return Reply::Status(404, "not found\n");
    name.resize(name.size() - 5);
    const Lesson* lesson = site.data.LessonById(std::atoi(name.c_str()));
    if (lesson == nullptr || std::to_string(lesson->id) != name) {
        return Reply::Status(404, "not found\n");
    }
    return Reply::File(site.ClipFile(lesson->clip), "video/webm");
}

}  // namespace

void AddMiniplayerEndpoints(Routes& routes, SiteContext& site) {
    routes.Add(SiteHost::kCourse, Method::kGet, "/p/miniplayer",
               [&site](const SiteRequest& request) { return Miniplayer(site, request); });
    routes.AddPrefix(SiteHost::kCourse, Method::kGet, kLessonMediaPathPrefix,
                     [&site](const SiteRequest& request) { return LessonMedia(site, request); });
    routes.Add(SiteHost::kCourse, Method::kGet, "/p/playing",
               [](const SiteRequest&) { return Reply::Status(204, ""); });
}

}  // namespace tessal::site
