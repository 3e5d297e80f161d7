// User information, timestamp, the online lesson page and the IP lookup pages.

#include <gtest/gtest.h>
#include <json/json.h>

#include <chrono>

#include "common/base/text_helpers.h"
#include "common/files/md5.h"
#include "common/net/public_ip.h"
#include "tests/site/server/site_fixture.h"

namespace tessal::site::test {
namespace {

Json::Value ParseJson(const std::string& text) {
    Json::Value value;
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string error;
    EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &value, &error)) << text;
    return value;
}

class AppApiTest : public SiteTest {
protected:
    Json::Value UserInfo(const std::string& uid) {
        return ParseJson(Post(SiteHost::kAppApi, "/app_client_api_v2/userinfo?uid=" + uid, ""));
    }
    std::string Miniplayer(const std::string& uid, const std::string& time,
                           const std::string& token, const std::string& course,
                           const std::string& lesson) {
        return Url(SiteHost::kCourse, "/p/miniplayer?token=" + token + "&uid=" + uid +
                                          "&courseid=" + course + "&lessonid=" + lesson +
                                          "&time=" + time);
    }
};

TEST_F(AppApiTest, UserInformationNamesAHeadPictureThatIsServed) {
    const Json::Value member = UserInfo("10002");
    const Fetched picture = Fetch(member["img"].asString());
    EXPECT_EQ(picture.status, 200);
    EXPECT_EQ(picture.content_type, "image/jpeg");
    EXPECT_EQ(picture.body.substr(0, 3), "\xFF\xD8\xFF");
    EXPECT_EQ(UserInfo("10004")["img"].asString(), "");  // a member without a picture
    EXPECT_FALSE(UserInfo("99999").isMember("img"));
}

TEST_F(AppApiTest, TimestampIsTheServersClockAsText) {
    const Json::Value reply = ParseJson(Get(SiteHost::kAppApi, "/app_client_api_v2/timestamp"));
    ASSERT_TRUE(reply["timestamp"].isString());
    const long long now = std::chrono::duration_cast<std::chrono::seconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count();
    EXPECT_NEAR(std::stoll(reply["timestamp"].asString()), now, 5);
}

TEST_F(AppApiTest, MiniplayerChecksTokenAndCourseThenPlaysTheLesson) {
    const std::string time = "1796600000";
    const std::string token = TextMd5("10001" + time + "qorvanel");
    const Fetched page = Fetch(Miniplayer("10001", time, token, "101", "10103"));
    ASSERT_EQ(page.status, 200);
    EXPECT_NE(page.body.find("<video"), std::string::npos);
    const std::string media = TextBetween(page.body, "src=\"", "\"");
    const Fetched video = Fetch(media);
    EXPECT_EQ(video.status, 200);
    EXPECT_EQ(video.content_type, "video/webm");
    EXPECT_EQ(video.body.substr(0, 4), "\x1A\x45\xDF\xA3");  // EBML, the WebM header

    EXPECT_EQ(Fetch(Miniplayer("10001", time, TextMd5("10001" + time), "101", "10103")).status,
              403);
    EXPECT_EQ(Fetch(Miniplayer("10002", time, token, "101", "10103")).status, 403);
    EXPECT_EQ(Fetch(Miniplayer("10001", time, token, "102", "10103")).status, 404);
    EXPECT_EQ(Fetch(Miniplayer("10001", time, token, "101", "55555")).status, 404);
}

TEST_F(AppApiTest, IpLookupPagesGiveTheCallersAddressAndPlace) {
    std::string ip;
    std::string place;
    EXPECT_TRUE(LookupPublicIp(site_->urls().HostUrl(SiteHost::kIpLookup) + "/", ip, place, "GBK"));
    EXPECT_EQ(ip, "127.0.0.1");
    EXPECT_EQ(place, "本机 回环网络");
}

TEST_F(AppApiTest, RegistrationAndPasswordPagesExist) {
    const Fetched join = Fetch(Url(SiteHost::kPassport, "/join?ref=bofangqi"));
    EXPECT_EQ(join.status, 200);
    EXPECT_NE(join.body.find("bofangqi"), std::string::npos);
    EXPECT_EQ(Fetch(Url(SiteHost::kMainSite, "/forgotpw/find_pwd1.aspx#userconsent#")).status, 200);
    EXPECT_EQ(Fetch(Url(SiteHost::kMainSite, "/no/such/page")).status, 404);
}

}  // namespace
}  // namespace tessal::site::test
