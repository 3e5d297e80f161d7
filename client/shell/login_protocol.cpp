#include "client/shell/login_protocol.h"

#include "common/base/text_helpers.h"
#include "common/files/md5.h"
#include "common/net/url.h"

namespace tessal::client {

std::string LoginFormText(const LoginForm& form) {
    return "loginname=" + UrlEncode(form.account, true) + "&pwd=" + UrlEncode(form.password, true) +
           "&hd=" + form.machine_id + "&Version=" + kClientVersion + "&System=" + form.os_name +
           "&Screen_Heigh=" + std::to_string(form.screen_height) +
           "&Screen_Width=" + std::to_string(form.screen_width);
}

HttpPost LoginPost(const SiteSettings& site, int channel, const std::string& form_text) {
    switch (channel) {
        case 2:
            return {site.HostUrl(SiteHost::kVideoApi) + "/videoAPI/LOGIN.aspx?", form_text};
        case 3:
            // The form travels inside "data", its "&" turned into "#".
            return {site.HostUrl(SiteHost::kClientData) + kClientDataPath,
                    "Client=1&type=LoginChannel&uid=&m=&data=" + ReplaceAll(form_text, "&", "#")};
        default:
            return {site.HostUrl(SiteHost::kMainSite) + "/pc_player/videoAPI/LOGIN.aspx",
                    form_text};
    }
}

bool IsLoginReply(std::string_view raw) {
    return !raw.empty() && raw.find("stata") != std::string_view::npos &&
           raw.find("&dqdate=") != std::string_view::npos;
}

LoginReply ParseLoginReply(std::string_view raw) {
    const std::string text = UrlDecode(raw, true);
    LoginReply reply;
    reply.msg = TextBetween(text, "&msg=", "&");
    reply.loginname = TextBetween(text, "loginname=", "&");
    reply.truename = TextBetween(text, "&truename=", "&");
    reply.grade = TextBetween(text, "&grade=", "&");
    reply.email = TextBetween(text, "&email=", "&");
    reply.uid = TextBetween(text, "&uid=", "&");
    reply.hd = TextBetween(text, "&hd=", "&");
    reply.dqdate = TextBetween(text, "&dqdate=", "&");
    return reply;
}

std::string LoginReportDigest(std::string_view uid) {
    return TextMd5("t=loginu=" + std::string(uid) + "v=" + kClientVersion);
}

HttpPost LoginReportPost(const SiteSettings& site, std::string_view uid, std::string_view ip) {
    const std::string id(uid);
    return {site.HostUrl(SiteHost::kClientData) + kClientDataPath,
            "Client=1&type=login&uid=" + id + "&m=" + LoginReportDigest(uid) +
                "&ip=" + std::string(ip) + "&version=" + kClientVersion};
}

bool IsSessionSign(std::string_view reply) {
    return !reply.empty() && reply != "0" && reply.starts_with("sign");
}

HttpPost HeartbeatPost(const SiteSettings& site, std::string_view uid, std::string_view sign) {
    return {site.HostUrl(SiteHost::kClientData) + kClientDataPath,
            "Client=1&type=heart&uid=" + std::string(uid) + "&m=&sign=" + std::string(sign)};
}

}  // namespace tessal::client
