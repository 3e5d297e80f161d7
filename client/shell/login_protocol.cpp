#include "client/shell/login_protocol.h"

#include <algorithm>
#include <map>

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

namespace {

// The reply's fields by name, each decoded on its own after the raw reply was split, so
// an encoded "&" or "=" inside a value (a true name, a message) stays part of that value.
// Only fields followed by "&" count; the first of a name wins.
std::map<std::string, std::string, std::less<>> ReplyFields(std::string_view raw) {
    std::map<std::string, std::string, std::less<>> fields;
    for (std::size_t end = raw.find('&'); end != std::string_view::npos; end = raw.find('&')) {
        const std::string_view pair = raw.substr(0, end);
        raw.remove_prefix(end + 1);
        const std::size_t equals = pair.find('=');
        if (equals != std::string_view::npos)
            fields.emplace(UrlDecode(pair.substr(0, equals), true),
                           UrlDecode(pair.substr(equals + 1), true));
    }
    return fields;
}

}  // namespace

LoginReply ParseLoginReply(std::string_view raw) {
    const auto fields = ReplyFields(raw);
    const auto field = [&fields](std::string_view name) {
        const auto found = fields.find(name);
        return found != fields.end() ? found->second : std::string();
    };
    LoginReply reply;
    reply.msg = field("msg");
    reply.loginname = field("loginname");
    reply.truename = field("truename");
    reply.grade = field("grade");
    reply.email = field("email");
    reply.uid = field("uid");
    reply.hd = field("hd");
    reply.dqdate = field("dqdate");
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

bool IsPlainToken(std::string_view value) {
    const auto plain = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
               c == '-' || c == '_' || c == '.';
    };
    return !value.empty() && value.size() <= kPlainTokenLimit &&
           std::all_of(value.begin(), value.end(), plain);
}

bool IsSessionSign(std::string_view reply) {
    return reply.starts_with("sign") && IsPlainToken(reply);
}

HttpPost HeartbeatPost(const SiteSettings& site, std::string_view uid, std::string_view sign) {
    return {site.HostUrl(SiteHost::kClientData) + kClientDataPath,
            "Client=1&type=heart&uid=" + std::string(uid) + "&m=&sign=" + std::string(sign)};
}

}  // namespace tessal::client
