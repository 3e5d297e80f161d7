// The IP lookup service: a home page that embeds the address page by a frame, and the
// address page that names the caller's address and place, both in the site code page.

#include "common/base/text_codec.h"
#include "site/server/endpoints.h"

namespace tessal::site {
namespace {

constexpr const char* kAddressPagePath = "/ic.asp";
constexpr const char* kPlace = "本机 回环网络";

Reply CodePageHtml(const SiteContext& site, const std::string& html) {
    return Reply::Text(CodePageFromUtf8(html, site.code_page),
                       "text/html; charset=" + site.code_page);
}

}  // namespace

void AddIpLookupEndpoints(Routes& routes, SiteContext& site) {
    routes.Add(SiteHost::kIpLookup, Method::kGet, "/", [&site](const SiteRequest&) {
        const std::string frame = site.urls.HostUrl(SiteHost::kIpLookup) + kAddressPagePath;
        return CodePageHtml(site,
                            "<html><head><title>IP地址查询</title></head><body>"
                            "<h1>IP地址查询</h1><iframe src=\"" +
                                frame +
                                "\" rel=\"nofollow\" frameborder=\"0\" scrolling=\"no\" "
                                "width=\"100%\" height=\"30\"></iframe></body></html>");
    });
    routes.Add(SiteHost::kIpLookup, Method::kGet, kAddressPagePath,
               [&site](const SiteRequest& request) {
                   return CodePageHtml(site, "<html><body style=\"margin:0\"><center>您的IP是：[" +
                                                 request.http.remote_addr + "] 来自：" + kPlace +
                                                 "</center></body></html>");
               });
}

}  // namespace tessal::site
