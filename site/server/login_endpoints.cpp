// Login on all three channels and the client data interface: a login is answered with
// URL-encoded UTF-8 pairs each followed by "&"; the report of a login gets a session
// sign when its m digest is right; heartbeats and logouts are checked against it.

#include <string>

#include "common/files/md5.h"
#include "common/net/url.h"
#include "site/server/endpoints.h"

namespace tessal::site {
namespace {

constexpr const char* kLoginSuccess = "登陆成功";
// The one client version the site knows; the report's digest is made with it.
constexpr const char* kClientVersion = "1.4";

std::string Pair(const std::string& name, const std::string& value) {
    return name + "=" + UrlEncode(value, true) + "&";
}

const Member* RefusedOrMember(const DemoData& data, const FormFields& form, std::string& refusal) {
    const Member* member = data.MemberByAccount(form.Utf8("loginname"));
    if (member == nullptr) {
        refusal = data.refusals.unknown_account;
    } else if (member->password != form.Utf8("pwd")) {
        refusal = data.refusals.wrong_password;
    } else {
        refusal = member->refusal;
    }
    return refusal.empty() ? member : nullptr;
}

std::string LoginReplyText(const DemoData& data, const FormFields& form) {
    std::string refusal;
    const Member* member = RefusedOrMember(data, form, refusal);
    if (member == nullptr) {
        return "stata=0&" + Pair("loginname", "") + Pair("truename", "") + Pair("grade", "") +
               Pair("email", "") + Pair("uid", "") + Pair("hd", "") + Pair("dqdate", "") +
               Pair("msg", refusal);
    }
    const std::string hd = member->hd.empty() ? form.Utf8("hd") : member->hd;
    return "stata=1&" + Pair("loginname", member->loginname) + Pair("truename", member->truename) +
           Pair("grade", member->grade) + Pair("email", member->email) + Pair("uid", member->uid) +
           Pair("hd", hd) + Pair("dqdate", member->dqdate) + Pair("msg", kLoginSuccess);
}

Reply LoginReport(SiteContext& site, const FormFields& form) {
    const std::string uid = form.Utf8("uid");
    const std::string expected = TextMd5("t=loginu=" + uid + "v=" + kClientVersion);
    if (site.data.MemberByUid(uid) == nullptr || form.Raw("m") != expected ||
        form.Raw("version") != kClientVersion) {
        return Reply::Text("0");
    }
    return Reply::Text(site.state.StartSession(uid, form.Utf8("ip")));
}

Reply ClientData(SiteContext& site, const SiteRequest& request) {
    const FormFields& form = request.form;
    const std::string type = form.Raw("type");
    if (type == "LoginChannel") {
        // The login form travels inside "data" with "#" in place of "&".
        return Reply::Text(LoginReplyText(site.data, FormFields::Parse(form.Raw("data"), '#')));
    }
    if (type == "login")
        return LoginReport(site, form);
    const std::string uid = form.Utf8("uid");
    const std::string sign = form.Utf8("sign");
    if (type == "heart")
        return Reply::Text(site.state.Heartbeat(uid, sign) ? "1" : "0");
    if (type == "LoginOut")
        return Reply::Text(site.state.LogOut(uid, sign) ? "1" : "0");
    return Reply::Text("0");
}

}  // namespace

void AddLoginEndpoints(Routes& routes, SiteContext& site) {
    auto login = [&site](const SiteRequest& request) {
        return Reply::Text(LoginReplyText(site.data, request.form));
    };
    routes.Add(SiteHost::kMainSite, Method::kPost, "/pc_player/videoAPI/LOGIN.aspx", login);
    routes.Add(SiteHost::kVideoApi, Method::kPost, "/videoAPI/LOGIN.aspx", login);
    routes.Add(SiteHost::kClientData, Method::kPost, "/ClientDataInterFace.php",
               [&site](const SiteRequest& request) { return ClientData(site, request); });
}

}  // namespace tessal::site
