// The member's user information against the reference site's app API: the reply kept in
// the site code page, the head picture downloaded, each failure with its log line and
// nothing downloaded, a cut download that spares the earlier picture, and an end of the
// client that does not wait for the fetch.

#include "client/shell/user_profile.h"

#include <chrono>
#include <optional>
#include <thread>

#include "common/base/atomic_write.h"
#include "common/base/text_codec.h"
#include "site/model/media_files.h"
#include "tests/client/shell/session_fixture.h"

namespace tessal::client::test {
namespace {

using namespace std::chrono_literals;

class UserProfileTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        std::filesystem::create_directories(LogFolder());
        log_ = std::make_unique<DailyLog>(LogFolder());
    }
    void TearDown() override {
        log_.reset();
        SessionTest::TearDown();
    }

    std::filesystem::path LogFolder() const { return folder_.path() / "cache" / "technology"; }
    std::filesystem::path Member(const std::string& account) const {
        const auto folder = MemberFolder(folder_.path(), account);
        std::filesystem::create_directories(folder);
        return folder;
    }
    void Fetch(const std::filesystem::path& member, const std::string& uid,
               const std::atomic<bool>* abandon = nullptr) {
        FetchUserInformation({&settings_, member, uid, log_.get(), abandon});
    }
    std::string Log() {
        log_->Flush();
        std::string all;
        for (const auto& entry : std::filesystem::directory_iterator(LogFolder()))
            all += FileContents(entry.path());
        return all;
    }
    std::vector<site::RecordedRequest> PictureRequests() const {
        std::vector<site::RecordedRequest> found;
        for (const auto& request : site_->requests().All()) {
            if (request.path.starts_with(site::kHeadPicturePathPrefix))
                found.push_back(request);
        }
        return found;
    }
    static std::string Picture(const std::string& name) {
        return FileContents(site::PictureFile(site::DefaultSiteOptions().media_folder, name));
    }
    void Spoil(const std::string& path, site::FaultRule rule) {
        rule.host = "AppApi";
        rule.path = path;
        site_->faults().Add(rule);
    }

    std::unique_ptr<DailyLog> log_;
};

TEST_F(UserProfileTest, TheReplyIsKeptInTheSiteCodePageAndItsPictureDownloaded) {
    const auto member = Member("学员小李");
    Fetch(member, "10002");

    const auto posts = site_->requests().To("AppApi", kUserInfoPath);
    ASSERT_EQ(posts.size(), 1U);
    EXPECT_EQ(posts[0].method, "POST");
    EXPECT_EQ(posts[0].query, "uid=10002");
    EXPECT_EQ(posts[0].body, "");
    const std::string kept = FileContents(member / kUserJsonFileName);
    EXPECT_NE(kept.find(CodePageFromUtf8("\"truename\":\"李华\"")), std::string::npos) << kept;
    EXPECT_EQ(kept.find("李华"), std::string::npos) << "kept as UTF-8";
    // The site serves this member's picture as a JPEG; it is kept under the usual name.
    const std::string picture = Picture("head-10002.jpg");
    ASSERT_FALSE(picture.empty());
    EXPECT_EQ(FileContents(member / kDownloadedHeadPictureFileName), picture);
    EXPECT_EQ(Log(), "");
}

TEST(MemberFolderTest, AnAccountIsOneFolderBelowUserWhateverItHolds) {
    const std::pair<const char*, const char*> cases[] = {
        {"demo", "/p/User/demo"},
        {"学员小李", "/p/User/学员小李"},
        {"a/../../b", "/p/User/a_.._.._b"},
        {"/etc", "/p/User/_etc"},
        {"..", "/p/User/_.."},
        {"", "/p/User/_"},
    };
    for (const auto& [account, folder] : cases)
        EXPECT_EQ(MemberFolder("/p", account).string(), folder) << account;
}

TEST_F(UserProfileTest, AUidHoldingQueryMarksStaysOneValue) {
    Fetch(Member("demo"), "10001&uid=10002#x");
    const auto posts = site_->requests().To("AppApi", kUserInfoPath);
    ASSERT_EQ(posts.size(), 1U);
    EXPECT_EQ(posts[0].query, "uid=10001%26uid%3D10002%23x");
}

TEST_F(UserProfileTest, AFailedOrUselessReplyIsLoggedAndDownloadsNothing) {
    struct Case {
        const char* what;
        std::string uid;
        std::optional<std::string> body;
        std::int64_t cut_after_bytes;
        std::string line;
        bool kept;  // "UserJson.json" holds the reply
    };
    const std::string json_line =
        "UpdateHeadjson fail sJsonPath:" +
        (MemberFolder(folder_.path(), "demo") / "UserJson.json").generic_string() +
        "  sJson:" + settings_.HostUrl(SiteHost::kAppApi) + kUserInfoPath + "?uid=10001";
    const Case cases[] = {
        {"empty reply", "10001", "", -1, json_line, false},
        {"cut reply", "10001", std::nullopt, 10, json_line, false},
        {"not JSON", "10001", "<html>busy</html>", -1, "UpdateHeadPic parse is false", true},
        {"no img", "10001", R"({"code":200,"msg":"ok"})", -1, "UpdateHeadPic img is null", true},
        {"member without picture", "10004", std::nullopt, -1, "UpdateHeadPic img is null", true},
        {"img not a text", "10001", R"({"img":123})", -1, "UpdateHeadPic img is null", true},
        {"not an object", "10001", R"(["img","x"])", -1, "UpdateHeadPic img is null", true},
        {"too deep for the parser", "10001", std::string(5000, '['), -1,
         "catch Fail  UpdateHeadPic", true},
    };
    for (const Case& c : cases) {
        const auto member = Member("demo");
        site_->faults().Clear();
        if (c.body || c.cut_after_bytes >= 0) {
            site::FaultRule rule;
            rule.body = c.body;
            rule.cut_after_bytes = c.cut_after_bytes;
            Spoil(kUserInfoPath, rule);
        }
        Fetch(member, c.uid);
        EXPECT_NE(Log().find(c.line), std::string::npos) << c.what << "\n" << Log();
        EXPECT_EQ(std::filesystem::exists(member / kUserJsonFileName), c.kept) << c.what;
        EXPECT_FALSE(std::filesystem::exists(member / kDownloadedHeadPictureFileName)) << c.what;
        EXPECT_TRUE(PictureRequests().empty()) << c.what;
        std::filesystem::remove_all(member);
        std::filesystem::remove_all(LogFolder());
        std::filesystem::create_directories(LogFolder());
    }
}

TEST_F(UserProfileTest, AFailedDownloadKeepsTheEarlierPictureWhole) {
    const auto member = Member("demo");
    const std::string url = site_->urls().HeadPictureUrl(*site_->data().MemberByUid("10001"));
    const std::string earlier = Picture("head-10003.png");
    for (const int status : {0, 404}) {
        site_->faults().Clear();
        site::FaultRule rule;
        rule.status = status;
        rule.cut_after_bytes = status == 0 ? 100 : -1;
        Spoil("/upload/head/head-10001.png", rule);
        ASSERT_TRUE(WriteFileAtomically(member / kDownloadedHeadPictureFileName, earlier));
        Fetch(member, "10001");
        EXPECT_EQ(FileContents(member / kDownloadedHeadPictureFileName), earlier) << status;
        EXPECT_NE(Log().find("UpdateHeadPic fail Spath:" +
                             (member / "headpic2.png").generic_string() + "img:" + url),
                  std::string::npos)
            << status << "\n"
            << Log();
        // No part of the cut picture stays beside it: only the JSON file and the picture.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(member), {}), 2) << status;
    }
}

TEST_F(UserProfileTest, AnEndingClientStopsTheFetchAtOnceAndLogsNothing) {
    const std::string paths[] = {kUserInfoPath, "/upload/head/head-10001.png"};
    for (const std::string& path : paths) {
        site_->faults().Clear();
        site::FaultRule slow;
        slow.delay_ms = 20000;
        Spoil(path, slow);
        const auto member = Member("demo");
        std::atomic<bool> abandon{false};
        std::thread ender([&] {
            std::this_thread::sleep_for(300ms);
            abandon = true;
        });
        const auto started = std::chrono::steady_clock::now();
        Fetch(member, "10001", &abandon);
        const auto took = std::chrono::steady_clock::now() - started;
        ender.join();
        EXPECT_LT(took, 5s) << path;
        EXPECT_FALSE(std::filesystem::exists(member / kDownloadedHeadPictureFileName)) << path;
        EXPECT_EQ(Log(), "") << path;
    }
}

TEST_F(UserProfileTest, ALoginFetchesIntoTheMembersFolderAndAnEndDoesNotWaitForIt) {
    ASSERT_EQ(Service().Login("demo", "demo123", 1), kLoginSuccess);
    const auto member = folder_.path() / "User" / "demo";
    EXPECT_FALSE(FileContents(member / kUserJsonFileName).empty());
    EXPECT_EQ(FileContents(member / kDownloadedHeadPictureFileName), Picture("head-10001.png"));

    site::FaultRule slow;
    slow.delay_ms = 20000;
    Spoil(kUserInfoPath, slow);
    StopSignal stop;
    LoginContext context{settings_, folder_.path(), {}, "", 0, 0, log_.get(), {}, &stop};
    std::string result;
    std::thread login(
        [&] { result = LoginService(context, session_, *reporter_).Login("vip", "vip888", 1); });
    // The site records a request before it holds the reply back.
    for (int i = 0; i < 500 && site_->requests().To("AppApi", kUserInfoPath).size() < 2; ++i)
        std::this_thread::sleep_for(10ms);
    const auto started = std::chrono::steady_clock::now();
    stop.Raise();
    const auto raise_took = std::chrono::steady_clock::now() - started;
    login.join();
    EXPECT_LT(raise_took, 1s);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_EQ(result, kLoginSuccess);
}

}  // namespace
}  // namespace tessal::client::test
