// The three login channels and the client data interface, as the client posts them.

#include <gtest/gtest.h>

#include "common/base/text_helpers.h"
#include "common/files/md5.h"
#include "common/net/url.h"
#include "tests/site/server/site_fixture.h"

namespace tessal::site::test {
namespace {

std::string LoginForm(const std::string& account, const std::string& password,
                      const std::string& hd = "MACHINE42") {
    return "loginname=" + UrlEncode(account, true) + "&pwd=" + UrlEncode(password, true) +
           "&hd=" + hd +
           "&Version=1.4&System=Debian GNU/Linux 12 (bookworm)&Screen_Heigh=1080&Screen_Width=1920";
}

// The client's own reading of a reply: decoded, then each field up to its "&".
std::string Field(const std::string& reply, const std::string& name) {
    return TextBetween(UrlDecode(reply, true), "&" + name + "=", "&");
}

class LoginTest : public SiteTest {
protected:
    std::string Channel3(const std::string& form) {
        return Post(SiteHost::kClientData, "/ClientDataInterFace.php",
                    "Client=1&type=LoginChannel&uid=&m=&data=" + ReplaceAll(form, "&", "#"));
    }
    std::string Report(const std::string& uid, const std::string& m) {
        return Post(SiteHost::kClientData, "/ClientDataInterFace.php",
                    "Client=1&type=login&uid=" + uid + "&m=" + m + "&ip=127.0.0.1&version=1.4");
    }
    std::string Session(const std::string& type, const std::string& uid, const std::string& sign) {
        return Post(SiteHost::kClientData, "/ClientDataInterFace.php",
                    "Client=1&type=" + type + "&uid=" + uid + "&m=&sign=" + sign);
    }
};

TEST_F(LoginTest, EveryChannelAnswersASuccessInTheSameForm) {
    const std::string form = LoginForm("学员小李", "学习123");
    const std::string replies[] = {
        Post(SiteHost::kMainSite, "/pc_player/videoAPI/LOGIN.aspx", form),
        Post(SiteHost::kVideoApi, "/videoAPI/LOGIN.aspx?", form), Channel3(form)};
    for (const std::string& reply : replies) {
        ASSERT_NE(reply.find("stata"), std::string::npos) << reply;
        ASSERT_NE(reply.find("&dqdate="), std::string::npos) << reply;
        EXPECT_EQ(reply.back(), '&');
        EXPECT_EQ(Field(reply, "msg"), "登陆成功");
        EXPECT_EQ(Field(reply, "truename"), "李华");
        EXPECT_EQ(Field(reply, "grade"), "白金会员");
        EXPECT_EQ(Field(reply, "uid"), "10002");
        EXPECT_EQ(Field(reply, "hd"), "MACHINE42");  // no hd of its own: the one sent
        EXPECT_EQ(Field(reply, "dqdate"), "20270630");
        EXPECT_EQ(TextBetween(UrlDecode(reply, true), "loginname=", "&"), "xiaoli");
    }
    EXPECT_EQ(replies[0], replies[2]);
}

TEST_F(LoginTest, RefusalsCarryTheirTextInMsg) {
    const auto login = [&](const std::string& account, const std::string& password) {
        return Post(SiteHost::kMainSite, "/pc_player/videoAPI/LOGIN.aspx",
                    LoginForm(account, password));
    };
    EXPECT_EQ(Field(login("nobody", "x"), "msg"), "账号不存在");
    EXPECT_EQ(Field(login("demo", "wrong"), "msg"), "密码错误");
    EXPECT_EQ(Field(login("frozen", "frozen1"), "msg"), "账号已冻结,请联系客服");
    EXPECT_EQ(Field(Channel3(LoginForm("demo", "demo12")), "msg"), "密码错误");
    const std::string refused = login("demo", "wrong");
    EXPECT_NE(refused.find("stata"), std::string::npos);
    EXPECT_EQ(Field(refused, "uid"), "");
}

TEST_F(LoginTest, DataSetReachesTheClientsEdgePaths) {
    const auto login = [&](const std::string& account, const std::string& password) {
        return Post(SiteHost::kMainSite, "/pc_player/videoAPI/LOGIN.aspx",
                    LoginForm(account, password));
    };
    const std::string no_uid = login("nouid", "nouid1");
    EXPECT_EQ(Field(no_uid, "msg"), "登陆成功");
    EXPECT_NE(no_uid.find("&uid=&"), std::string::npos);
    const std::string no_date = login("nodate", "nodate1");
    EXPECT_EQ(Field(no_date, "msg"), "登陆成功");
    EXPECT_NE(no_date.find("&dqdate=&"), std::string::npos);
    EXPECT_EQ(Field(login("vip", "vip888"), "hd"), "SITEHD10003");
}

TEST_F(LoginTest, ReportHeartbeatAndLogoutFollowTheSign) {
    const std::string m = TextMd5("t=loginu=10001v=1.4");
    EXPECT_EQ(Report("10001", TextMd5("t=loginu=10001v=1.5")), "0");
    EXPECT_EQ(Report("99999", TextMd5("t=loginu=99999v=1.4")), "0");
    EXPECT_EQ(
        Post(SiteHost::kClientData, "/ClientDataInterFace.php",
             "Client=1&type=login&uid=10001&m=" + TextMd5("t=loginu=10001v=") + "&ip=&version="),
        "0");  // a digest made without the client's version
    const std::string sign = Report("10001", m);
    ASSERT_EQ(sign.rfind("sign", 0), 0u) << sign;
    EXPECT_NE(Report("10001", m), sign);  // every report opens its own session

    EXPECT_EQ(Session("heart", "10001", sign), "1");
    EXPECT_EQ(Session("heart", "10001", sign), "1");
    EXPECT_EQ(Session("heart", "10002", sign), "0");
    EXPECT_EQ(Session("LoginOut", "10001", sign), "1");
    EXPECT_EQ(Session("LoginOut", "10001", sign), "0");
    EXPECT_EQ(Session("heart", "10001", sign), "0");

    const auto sessions = site_->state().Sessions();
    ASSERT_EQ(sessions.size(), 2u);
    EXPECT_EQ(sessions[0].heartbeats, 2);
    EXPECT_TRUE(sessions[0].logged_out);
    EXPECT_EQ(sessions[0].ip, "127.0.0.1");
}

TEST_F(LoginTest, EveryRequestIsRecordedAsSent) {
    const std::string form = LoginForm("demo", "demo123");
    Post(SiteHost::kMainSite, "/pc_player/videoAPI/LOGIN.aspx", form);
    Session("heart", "10001", "nosign");
    const auto logins = site_->requests().To("MainSite", "/pc_player/videoAPI/LOGIN.aspx");
    ASSERT_EQ(logins.size(), 1u);
    EXPECT_EQ(logins[0].method, "POST");
    EXPECT_EQ(logins[0].body, form);
    EXPECT_EQ(logins[0].Header("user-agent"), HttpUserAgent());
    EXPECT_EQ(logins[0].Header("Content-Type"), "application/x-www-form-urlencoded");
    const auto all = site_->requests().All();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1].host, "ClientData");
    EXPECT_EQ(all[1].body, "Client=1&type=heart&uid=10001&m=&sign=nosign");
    EXPECT_GT(all[1].sequence, all[0].sequence);
    EXPECT_TRUE(all[1].Header("REMOTE_ADDR").empty());
}

}  // namespace
}  // namespace tessal::site::test
