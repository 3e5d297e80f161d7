// Push messages: each poll of a member takes the next message waiting for that uid,
// written as "#"-marked fields in the site code page; "0" when none is waiting.

#include "common/base/text_codec.h"
#include "site/server/endpoints.h"

namespace tessal::site {
namespace {

std::string PushText(const SiteUrls& urls, const PushMessage& message) {
    return "#mode=" + message.mode + "#url=" + urls.Expand(message.url) +
           "#title=" + message.title + "#Con=" + message.content +
           "#picUrl=" + urls.PushPictureUrl(message.picture) +
           "#FDiyUrl=" + urls.Expand(message.custom_url) + "#";
}

}  // namespace

void AddPushEndpoint(Routes& routes, SiteContext& site) {
    routes.Add(SiteHost::kClientData, Method::kPost, "/GetDiscuzPush.php",
               [&site](const SiteRequest& request) {
                   const auto message = site.state.NextPush(request.form.Utf8("uid"));
                   const std::string type = "text/plain; charset=" + site.code_page;
                   if (!message)
                       return Reply::Text("0", type);
                   return Reply::Text(
                       CodePageFromUtf8(PushText(site.urls, *message), site.code_page), type);
               });
}

}  // namespace tessal::site
