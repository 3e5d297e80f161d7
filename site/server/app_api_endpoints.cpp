// The app API host: a member's user information (the client reads only "img", the URL
// of the head picture) and the server's clock as a string "timestamp".

#include <json/json.h>

#include <chrono>

#include "site/server/endpoints.h"
#include "site/server/site_text.h"

namespace tessal::site {
namespace {

Reply UserInfo(const SiteContext& site, const SiteRequest& request) {
    const std::string uid =
        !request.Param("uid").empty() ? request.Param("uid") : request.form.Utf8("uid");
    const Member* member = site.data.MemberByUid(uid);
    Json::Value reply;
    if (member == nullptr) {
        reply["code"] = 404;
        reply["msg"] = "用户不存在";
        return Reply::Text(CompactJson(reply), kJson);
    }
    reply["code"] = 200;
    reply["msg"] = "ok";
    reply["uid"] = member->uid;
    reply["truename"] = member->truename;
    reply["grade"] = member->grade;
    reply["img"] = site.urls.HeadPictureUrl(*member);
    return Reply::Text(CompactJson(reply), kJson);
}

Reply Timestamp() {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::system_clock::now().time_since_epoch());
    Json::Value reply;
    reply["code"] = 200;
    reply["timestamp"] = std::to_string(seconds.count());
    return Reply::Text(CompactJson(reply), kJson);
}

}  // namespace

void AddAppApiEndpoints(Routes& routes, SiteContext& site) {
    routes.Add(SiteHost::kAppApi, Method::kAny, "/app_client_api_v2/userinfo",
               [&site](const SiteRequest& request) { return UserInfo(site, request); });
    routes.Add(SiteHost::kAppApi, Method::kAny, "/app_client_api_v2/timestamp",
               [](const SiteRequest&) { return Timestamp(); });
}

}  // namespace tessal::site
