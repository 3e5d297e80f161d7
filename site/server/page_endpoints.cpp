// Plain pages the client opens in the member's browser or a popup: registration,
// forgotten password, the news a push message links to, custom push pages, and an
// index of the site's hosts.

#include "site/server/endpoints.h"
#include "site/server/site_text.h"

namespace tessal::site {
namespace {

Reply Page(const std::string& title, const std::string& body) {
    return Reply::Text("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title +
                           "</title></head><body><h1>" + title + "</h1>" + body + "</body></html>",
                       kHtml);
}

Reply Registration(const SiteRequest& request) {
    return Page("注册 Tessal 会员",
                "<form><p>账号 <input name=\"account\"></p><p>密码 <input type=\"password\" "
                "name=\"pwd\"></p><p><button>注册</button></p></form><p class=\"ref\">来源: " +
                    EscapeHtml(request.Param("ref")) + "</p>");
}

Reply ForgottenPassword() {
    return Page("找回密码",
                "<form><p>请输入注册时的账号或邮箱 <input name=\"account\"></p>"
                "<p><button>下一步</button></p></form>");
}

Reply LinkedPage(const char* kind, const SiteRequest& request) {
    return Page(kind, "<p class=\"path\">" + EscapeHtml(request.path) + "</p><p class=\"query\">" +
                          EscapeHtml(request.query) + "</p>");
}

Reply Index(const SiteContext& site) {
    std::string list = "<ul>";
    for (std::size_t i = 0; i < kSiteHostCount; ++i) {
        const auto host = static_cast<SiteHost>(i);
        list += "<li>" + std::string(SiteSettings::KeyOf(host)) + ": " + site.urls.HostUrl(host) +
                "</li>";
    }
    return Page("Tessal 演示站点", list + "</ul>");
}

}  // namespace

void AddPageEndpoints(Routes& routes, SiteContext& site) {
    routes.Add(SiteHost::kPassport, Method::kGet, "/join", Registration);
    routes.Add(SiteHost::kMainSite, Method::kGet, "/forgotpw/find_pwd1.aspx",
               [](const SiteRequest&) { return ForgottenPassword(); });
    routes.AddPrefix(SiteHost::kMainSite, Method::kGet, "/news/",
                     [](const SiteRequest& request) { return LinkedPage("Tessal 资讯", request); });
    routes.AddPrefix(SiteHost::kMainSite, Method::kGet, "/push/diy/",
                     [](const SiteRequest& request) { return LinkedPage("Tessal 活动", request); });
    routes.Add(SiteHost::kMainSite, Method::kGet, "/",
               [&site](const SiteRequest&) { return Index(site); });
}

}  // namespace tessal::site
