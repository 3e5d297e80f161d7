// Logins against the reference site on each channel, the failures a member can meet,
// and the session reports that follow a login.

#include <gtest/gtest.h>

#include <thread>

#include "client/shell/user_info.h"
#include "common/base/system_waits.h"
#include "common/base/text_helpers.h"
#include "common/files/md5.h"
#include "common/settings/ini_file.h"
#include "tests/client/shell/session_fixture.h"

namespace tessal::client::test {
namespace {

using namespace std::chrono_literals;

// Heartbeats every 180 ms instead of 180 s: the divisor is read once, at the first wait.
const bool kShortWaits = ::setenv(kWaitDivisorVariable, "1000", 1) == 0;

class LoginServiceTest : public SessionTest {
protected:
    std::string UserId() const {
        return ReadProfileString(folder_.path() / kUserInfoFileName, kLoginSection, "userid", "");
    }
    // A fault on the next reply of the client data host, where the reports go.
    void SpoilNextReport(site::FaultRule rule) {
        rule.host = "ClientData";
        rule.path = kClientDataPath;
        rule.times = 1;
        site_->faults().Add(std::move(rule));
    }
    // A new reporter and an empty session, for the next round of a test.
    void StartAfresh() {
        reporter_ = std::make_unique<SessionReporter>(settings_, session_);
        session_.Fill({});
        site_->requests().Clear();
    }
    // Waits until `done` holds, for at most five seconds.
    template <typename Done>
    static bool Eventually(Done done) {
        for (int i = 0; i < 500 && !done(); ++i)
            std::this_thread::sleep_for(10ms);
        return done();
    }
};

TEST_F(LoginServiceTest, EachChannelLogsInAndFillsTheSession) {
    const std::vector<std::pair<int, std::pair<std::string, std::string>>> channels = {
        {1, {"MainSite", "/pc_player/videoAPI/LOGIN.aspx"}},
        {2, {"VideoApi", "/videoAPI/LOGIN.aspx"}},
        {3, {"ClientData", "/ClientDataInterFace.php"}}};
    for (const auto& [channel, where] : channels) {
        EXPECT_EQ(Service().Login("学员小李", "学习123", channel), kLoginSuccess) << channel;
        std::string body;
        for (const auto& request : site_->requests().To(where.first, where.second)) {
            if (!request.body.starts_with("Client=1&type=login&"))  // the login report
                body = request.body;
        }
        ASSERT_FALSE(body.empty()) << channel;
        // The account as percent-escaped UTF-8; the system name with its blanks.
        const std::string account = "loginname=%E5%AD%A6%E5%91%98%E5%B0%8F%E6%9D%8E";
        const std::string separator = channel == 3 ? "#" : "&";
        EXPECT_NE(body.find(account + separator + "pwd="), std::string::npos) << body;
        EXPECT_NE(body.find("System=Debian GNU/Linux 12" + separator + "Screen_Heigh=1080"),
                  std::string::npos)
            << body;
        if (channel == 3) {
            EXPECT_TRUE(body.starts_with("Client=1&type=LoginChannel&uid=&m=&data=")) << body;
        }
    }
    const SessionRecord record = session_.Snapshot();
    EXPECT_EQ(record.account, "学员小李");
    EXPECT_EQ(record.password, "学习123");
    EXPECT_EQ(record.truename, "李华");
    EXPECT_EQ(record.grade, "白金会员");
    EXPECT_EQ(record.uid, "10002");
    EXPECT_EQ(record.hd, "MACHINE-ID-1");  // the site answered with the one sent
    EXPECT_EQ(record.dqdate, "20270630");
    EXPECT_EQ(UserId(), "10002");
    EXPECT_TRUE(std::filesystem::is_directory(folder_.path() / "User" / "学员小李"));
}

TEST_F(LoginServiceTest, RefusalsAndUnreachableSitesLeaveNoSession) {
    EXPECT_EQ(Service().Login("demo", "wrong", 1), "密码错误");
    EXPECT_EQ(Service().Login("nobody", "x", 2), "账号不存在");

    site::FaultRule broken;
    broken.host = "MainSite";
    broken.path = "/pc_player/videoAPI/LOGIN.aspx";
    broken.body = "<html>busy</html>";
    site_->faults().Add(broken);
    EXPECT_EQ(Service().Login("demo", "demo123", 1), "");

    site_->Stop();  // nothing listens any more
    EXPECT_EQ(Service().Login("demo", "demo123", 1), "");

    EXPECT_FALSE(session_.LoggedIn());
    EXPECT_EQ(UserId(), "");
    EXPECT_FALSE(std::filesystem::exists(folder_.path() / "User"));
}

// A uid that would add fields to the reports or cut TessalUpdata's argument is no uid;
// nothing of that login is stored or reported.
TEST_F(LoginServiceTest, AUidThatIsNoPlainTokenIsRefusedAsMissing) {
    for (const char* uid : {"10001%26type%3DLoginOut", "10001%23u%2310003", "10001%20x"}) {
        site::FaultRule hostile;
        hostile.host = "MainSite";
        hostile.path = "/pc_player/videoAPI/LOGIN.aspx";
        hostile.body = std::string("stata=1&loginname=demo&truename=x&grade=g&email=e&uid=") + uid +
                       "&hd=h&dqdate=20271231&msg=%E7%99%BB%E9%99%86%E6%88%90%E5%8A%9F&";
        hostile.times = 1;
        site_->faults().Add(hostile);
        EXPECT_EQ(Service().Login("demo", "demo123", 1), kUidMissing) << uid;
    }
    EXPECT_FALSE(session_.LoggedIn());
    EXPECT_EQ(UserId(), "");
    EXPECT_FALSE(std::filesystem::exists(folder_.path() / "User"));
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(ClientData().empty());
}

TEST_F(LoginServiceTest, ADuplicateLoginIsRefusedBeforeAnythingIsReported) {
    EXPECT_EQ(Service([](const std::string&) { return false; }).Login("demo", "demo123", 1),
              kAlreadyLoggedIn);
    EXPECT_FALSE(session_.LoggedIn());
    EXPECT_FALSE(reporter_->running());
    EXPECT_EQ(UserId(), "");
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(ClientData().empty());
}

TEST_F(LoginServiceTest, TheReportBringsTheSignAndHeartbeatsFollowUntilStopped) {
    ASSERT_TRUE(kShortWaits);
    ASSERT_EQ(Service().Login("demo", "demo123", 1), kLoginSuccess);
    ASSERT_TRUE(Eventually([&] { return !session_.Snapshot().sign.empty(); }));
    const std::string sign = session_.Snapshot().sign;
    EXPECT_TRUE(sign.starts_with("sign")) << sign;

    const auto reports = ClientData();
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front().body,
              "Client=1&type=login&uid=10001&m=" + LoginReportDigest("10001") +
                  "&ip=" + TextBetween(reports.front().body, "&ip=", "&") + "&version=1.4");
    EXPECT_EQ(LoginReportDigest("10001"), TextMd5("t=loginu=10001v=1.4"));
    EXPECT_FALSE(TextBetween(reports.front().body, "&ip=", "&").empty());

    // Heartbeats every 180 ms here (the interval divided for the test).
    ASSERT_TRUE(Eventually([&] { return site_->state().Sessions().front().heartbeats >= 2; }));
    EXPECT_EQ(ClientData().back().body, "Client=1&type=heart&uid=10001&m=&sign=" + sign);
    reporter_->Stop();
    const int heartbeats = site_->state().Sessions().front().heartbeats;
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(site_->state().Sessions().front().heartbeats, heartbeats);
}

TEST_F(LoginServiceTest, ASuccessWithoutMembershipDateOrUidStartsNoReport) {
    EXPECT_EQ(Service().Login("nodate", "nodate1", 1), kLoginSuccess);
    EXPECT_EQ(session_.Snapshot().dqdate, "00000000");
    EXPECT_FALSE(reporter_->running());
    // A success without a uid is no login: nothing is stored for the player.
    EXPECT_EQ(Service().Login("nouid", "nouid1", 1), kUidMissing);
    EXPECT_EQ(session_.Snapshot().account, "nodate");
    EXPECT_FALSE(std::filesystem::exists(folder_.path() / "User" / "nouid"));
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(ClientData().empty());
}

// An older UserInfo.ini readable by all is closed at start; a link's target, which may
// lie outside the installation, is never changed.
TEST_F(LoginServiceTest, ReadingTheRememberedLoginClosesOnlyTheInstallationsOwnFile) {
    const auto own = folder_.Write(kUserInfoFileName, "[Login]\nAcc=demo\n");
    const auto target = folder_.Write("elsewhere.ini", "[Login]\nAcc=vip\n");
    const auto link = folder_.path() / "linked" / kUserInfoFileName;
    std::filesystem::create_directories(link.parent_path());
    std::filesystem::create_symlink(target, link);
    for (const auto& file : {own, target})
        std::filesystem::permissions(file, std::filesystem::perms(0644));
    EXPECT_EQ(ReadRememberedLogin(own).account, "demo");
    EXPECT_EQ(ReadRememberedLogin(link).account, "vip");
    const auto mode = [](const std::filesystem::path& file) {
        return static_cast<unsigned>(std::filesystem::status(file).permissions());
    };
    EXPECT_EQ(mode(own), 0600u);
    EXPECT_EQ(mode(target), 0644u);
}

// An end while the login report is on its way: a site that answers soon has its sign
// kept for the logout, so no session stays open there; a hung one is given up after
// the grace.
TEST_F(LoginServiceTest, AnEndWaitsBrieflyForTheReportOnItsWay) {
    for (const int delay_ms : {600, 8000}) {
        site::FaultRule slow;
        slow.delay_ms = delay_ms;
        SpoilNextReport(slow);
        ASSERT_EQ(Service().Login("demo", "demo123", 1), kLoginSuccess);
        ASSERT_TRUE(Eventually([&] { return !ClientData().empty(); }));
        const auto started = std::chrono::steady_clock::now();
        reporter_->Stop();
        const auto waited = std::chrono::steady_clock::now() - started;
        if (delay_ms < SessionReporter::kReportGrace.count()) {
            ASSERT_FALSE(site_->state().Sessions().empty());
            EXPECT_EQ(session_.Snapshot().sign, site_->state().Sessions().back().sign);
        } else {
            EXPECT_EQ(session_.Snapshot().sign, "");
            EXPECT_LT(waited, SessionReporter::kReportGrace + 1s);
        }
        StartAfresh();
    }
}

// A sign reply ending in a line break (a site script's last newline) is still the sign.
TEST_F(LoginServiceTest, ASignReplyEndingInALineBreakStillBringsHeartbeats) {
    ASSERT_TRUE(kShortWaits);
    for (const char* reply : {"sign0123abcd\n", "sign0123abcd\r\n"}) {
        site::FaultRule sign;
        sign.body = reply;
        SpoilNextReport(sign);
        ASSERT_EQ(Service().Login("demo", "demo123", 1), kLoginSuccess);
        ASSERT_TRUE(Eventually([&] { return ClientData().size() >= 2; }));
        EXPECT_EQ(session_.Snapshot().sign, "sign0123abcd");
        EXPECT_EQ(ClientData().back().body, "Client=1&type=heart&uid=10001&m=&sign=sign0123abcd");
        StartAfresh();
    }
}

// The client's end stops the reports for good: a login finishing later starts none.
TEST_F(LoginServiceTest, AStoppedReporterNeverStartsAgain) {
    reporter_->Stop();
    EXPECT_FALSE(reporter_->Start("10001"));
    EXPECT_FALSE(reporter_->running());
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(ClientData().empty());
}

TEST(LoginReplyTest, OnlyRepliesWithStataAndDqdateCountAndEveryValueEndsAtAnAmpersand) {
    EXPECT_FALSE(IsLoginReply(""));
    EXPECT_FALSE(IsLoginReply("stata=1&uid=1&"));
    EXPECT_FALSE(IsLoginReply("uid=1&dqdate=2&"));
    EXPECT_TRUE(IsLoginReply("stata=1&dqdate=&msg=x&"));

    const LoginReply last =
        ParseLoginReply("stata=1&uid=7&dqdate=1&msg=%E7%99%BB%E9%99%86%E6%88%90%E5%8A%9F");
    EXPECT_EQ(last.uid, "7");
    EXPECT_EQ(last.msg, "");  // not followed by "&": the site counts as unreachable
    const LoginReply full = ParseLoginReply(
        "stata=1&loginname=a&truename=%E5%BC%A0&grade=g&email=e&uid=9&hd=h&dqdate=d&msg=%E7%99%BB%"
        "E9%99%86%E6%88%90%E5%8A%9F&");
    EXPECT_EQ(full.msg, kLoginSuccess);
    EXPECT_EQ(full.truename, "张");
    EXPECT_EQ(full.hd, "h");
    EXPECT_EQ(full.dqdate, "d");
}

TEST(LoginReplyTest, OnlyPlainTokensAreTakenAsUidOrSign) {
    const std::pair<const char*, bool> tokens[] = {
        {"10001", true},    {"a-b_c.9", true}, {"", false},      {"1&type=x", false},
        {"1#u#2", false},   {"1 2", false},    {"1%262", false}, {"1+2", false},
        {"10001\n", false}, {"学员", false},   {"1=2", false},   {"1/2", false}};
    for (const auto& [token, plain] : tokens)
        EXPECT_EQ(IsPlainToken(token), plain) << token;
    EXPECT_TRUE(IsPlainToken(std::string(kPlainTokenLimit, '7')));
    EXPECT_FALSE(IsPlainToken(std::string(kPlainTokenLimit + 1, '7')));
    EXPECT_FALSE(IsSessionSign("sign" + std::string(1 << 20, 'A')));
    const std::pair<const char*, bool> signs[] = {{"sign0123abcd", true}, {"sign", true},
                                                  {"0", false},           {"", false},
                                                  {"Sign12", false},      {"sign12&uid=1", false},
                                                  {"sign12#u#1", false},  {"sign12\r\n", false}};
    for (const auto& [reply, sign] : signs)
        EXPECT_EQ(IsSessionSign(reply), sign) << reply;
}

// Values are decoded only after the reply is split: an encoded "&" or "=" is part of its
// value and can never set another field.
TEST(LoginReplyTest, EncodedSeparatorsStayInsideTheirValue) {
    struct Case {
        const char* raw;
        const char* truename;
        const char* uid;
        const char* msg;
    };
    const Case cases[] = {
        {"stata=1&truename=%26uid%3D99999%26&uid=9&dqdate=d&msg=m&", "&uid=99999&", "9", "m"},
        {"stata=1&uid=9&truename=x%26uid%3D1&dqdate=d&msg=m&", "x&uid=1", "9", "m"},
        {"stata=1&truename=a%3Db&uid=9&dqdate=d&msg=%E5%AF%86%3D%26&", "a=b", "9", "密=&"},
        {"uid=5&uid=6&truename=&dqdate=d&msg=m&", "", "5", "m"},  // the first of a name wins
        {"stata=1&uid=%26msg%3Dok&dqdate=d&", "", "&msg=ok", ""},
    };
    for (const Case& c : cases) {
        const LoginReply reply = ParseLoginReply(c.raw);
        EXPECT_EQ(reply.truename, c.truename) << c.raw;
        EXPECT_EQ(reply.uid, c.uid) << c.raw;
        EXPECT_EQ(reply.msg, c.msg) << c.raw;
    }
}

}  // namespace
}  // namespace tessal::client::test
