// The push poller against a reference site of the test's own: what it asks, what it
// hands to the main window, which picture it fetches and what it stores.

#include "client/messages/push_poller.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "common/base/system_waits.h"
#include "site/server/reference_site.h"
#include "tests/client/messages/cache_file.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace tessal::client {
namespace {

using namespace std::chrono_literals;

constexpr const char* kAccount = "demo";
constexpr const char* kUid = "10001";
constexpr const char* kQuietUid = "20001";  // no message waits for it
constexpr const char* kPushPath = "/GetDiscuzPush.php";
constexpr const char* kOfferPicture = "PNG offer picture bytes";

struct HandOver {
    PopupKind kind;
    PopupData data;
};

class PushPollerTest : public ::testing::Test {
protected:
    void SetUp() override {
        media_.Write("pictures/push-offer.png", kOfferPicture);
        media_.Write("pictures/push-live.jpg", "JPEG live picture bytes");
        site::SiteOptions options = site::DefaultSiteOptions();
        options.base_port = 0;
        options.media_folder = media_.path();
        site_ = std::make_unique<site::ReferenceSite>(options);
        std::string error;
        ASSERT_TRUE(site_->Start(error)) << error;
        settings_ = SiteSettings::Load(folder_.Write("Site.ini", site_->SiteIniText()));
        test::MakeCacheFile(cache_file_);
    }
    void TearDown() override {
        poller_.reset();
        site_->Stop();
    }

    PushPoller& Poller() {
        if (!poller_) {
            PushPollerContext context{settings_,
                                      folder_.path(),
                                      &store_,
                                      &popups_,
                                      [this](PopupKind kind) { return Handle(kind); },
                                      [this](const std::string& line) { Record(log_, line); },
                                      [this](const std::string& text) { Record(boxes_, text); },
                                      [this] { return NextTime(); }};
            poller_ = std::make_unique<PushPoller>(std::move(context));
        }
        return *poller_;
    }

    // As the main window's handler does: takes the pending data of the kind.
    bool Handle(PopupKind kind) {
        if (throw_on_hand_over_)
            throw std::runtime_error("hand-over failed");
        const auto data = popups_.Take(kind);
        const std::lock_guard lock(mutex_);
        EXPECT_TRUE(data.has_value());
        handed_over_.push_back({kind, data.value_or(PopupData{})});
        changed_.notify_all();
        return true;
    }

    void Record(std::vector<std::string>& lines, const std::string& line) {
        const std::lock_guard lock(mutex_);
        lines.push_back(line);
    }

    // Arrival times one second apart, two-digit, so that text order is arrival order.
    std::tm NextTime() {
        std::tm local{};
        local.tm_year = 124;
        local.tm_mon = 4;
        local.tm_mday = 1;
        local.tm_hour = 10;
        local.tm_min = 10;
        local.tm_sec = 10 + arrivals_++;
        return local;
    }

    std::vector<HandOver> HandedOver() {
        const std::lock_guard lock(mutex_);
        return handed_over_;
    }
    bool WaitForHandOvers(std::size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 10s, [&] { return handed_over_.size() >= count; });
    }

    std::vector<StoredMessage> Stored() {
        std::vector<StoredMessage> rows;
        std::string error;
        if (store_.Open(error))
            store_.Page(kAccount, 1, 0, rows, error);
        return rows;
    }

    void Queue(const std::string& mode, const std::string& picture = "",
               const std::string& uid = kQuietUid) {
        site::PushMessage message;
        message.uid = uid;
        message.mode = mode;
        message.url = "{MainSite}/news/m" + mode + ".html";
        message.title = "标题" + mode;
        message.content = "内容" + mode;
        message.picture = picture;
        message.custom_url = "{MainSite}/push/diy/m" + mode + ".html";
        site_->state().QueuePush(message);
    }

    // The next poll gets `body` as its reply, whatever waits on the site.
    void ReplyOnce(const std::string& body) {
        site::FaultRule rule;
        rule.host = "ClientData";
        rule.path = kPushPath;
        rule.body = body;
        rule.times = 1;
        site_->faults().Add(rule);
    }

    std::string MainSite() const { return settings_.HostUrl(SiteHost::kMainSite); }
    std::filesystem::path PictureFile() const { return folder_.path() / "cache/PushImg.png"; }

    TempFolder media_;
    TempFolder folder_;
    std::unique_ptr<site::ReferenceSite> site_;
    SiteSettings settings_;
    const std::filesystem::path cache_file_ = folder_.path() / kCacheDatabaseFile;
    MessageStore store_{cache_file_};
    PendingPopups popups_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<HandOver> handed_over_;
    std::vector<std::string> log_;
    std::vector<std::string> boxes_;
    int arrivals_ = 0;
    bool throw_on_hand_over_ = false;
    std::unique_ptr<PushPoller> poller_;
};

TEST_F(PushPollerTest, DemoMessagesAreHandedOverAndStoredInUtf8) {
    for (int poll = 0; poll < 4; ++poll)
        Poller().PollOnce(kAccount, kUid);
    const auto handed = HandedOver();
    ASSERT_EQ(handed.size(), 3u);
    EXPECT_EQ(handed[0].kind, PopupKind::kText);
    EXPECT_EQ(handed[0].data.title, "新学期开课通知");
    EXPECT_EQ(handed[0].data.content, "会计实务精讲班本周六开课,欢迎报名参加。");
    EXPECT_EQ(handed[0].data.link, MainSite() + "/news/new-term.html?uid=10001&from=client");
    EXPECT_EQ(handed[1].kind, PopupKind::kPicture);
    EXPECT_EQ(handed[1].data.link, MainSite() + "/news/offer.html?from=push&uid=10001&from=client");
    EXPECT_EQ(handed[1].data.picture_url, MainSite() + "/push/img/push-offer.png");
    EXPECT_TRUE(handed[1].data.picture_downloaded);
    EXPECT_EQ(FileContents(PictureFile()), kOfferPicture);
    EXPECT_EQ(handed[2].kind, PopupKind::kCustom);
    EXPECT_EQ(handed[2].data.custom_url, MainSite() + "/push/diy/survey.html");
    EXPECT_EQ(handed[2].data.link, MainSite() + "/news/survey.html?uid=10001&from=client");

    const auto rows = Stored();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].content, "请双击获取详情");
    EXPECT_EQ(rows[1].content, "白金会员续费八折,仅限本周。");
    EXPECT_EQ(rows[2].content, "会计实务精讲班本周六开课,欢迎报名参加。");
    EXPECT_EQ(rows[2].link, handed[0].data.link);
    EXPECT_EQ(rows[2].time, "2024-5-1    10:10:10");
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(PushPollerTest, OtherModeIsStoredWithoutPopupAndEmptyModeNotAtAll) {
    Queue("7");
    Poller().PollOnce(kAccount, kQuietUid);
    ReplyOnce("#mode=#url=http://h/#title=t#Con=c#");
    Poller().PollOnce(kAccount, kQuietUid);
    EXPECT_TRUE(HandedOver().empty());
    const auto rows = Stored();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].content, "");
    EXPECT_EQ(rows[0].link, MainSite() + "/news/m7.html?uid=20001&from=client");
}

TEST_F(PushPollerTest, SameMessageTwiceIsHandedOverAndStoredTwice) {
    Queue("1");
    Queue("1");
    Poller().PollOnce(kAccount, kQuietUid);
    Poller().PollOnce(kAccount, kQuietUid);
    const auto handed = HandedOver();
    ASSERT_EQ(handed.size(), 2u);
    EXPECT_EQ(handed[0].data.title, handed[1].data.title);
    const auto rows = Stored();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].content, rows[1].content);
}

TEST_F(PushPollerTest, PictureIsFetchedAgainForTheSameUrl) {
    Queue("2", "push-offer.png");
    Queue("2", "push-offer.png");
    Poller().PollOnce(kAccount, kQuietUid);
    ASSERT_EQ(FileContents(PictureFile()), kOfferPicture);
    folder_.Write("cache/PushImg.png", "stale");
    Poller().PollOnce(kAccount, kQuietUid);
    EXPECT_EQ(FileContents(PictureFile()), kOfferPicture);
    EXPECT_EQ(site_->requests().To("MainSite", "/push/img/push-offer.png").size(), 2u);
    const auto handed = HandedOver();
    ASSERT_EQ(handed.size(), 2u);
    EXPECT_TRUE(handed[1].data.picture_downloaded);
}

TEST_F(PushPollerTest, PictureThatCannotBeFetchedIsHandedOverWithoutIt) {
    folder_.Write("cache/PushImg.png", "previous");
    Queue("2", "missing.png");
    Poller().PollOnce(kAccount, kQuietUid);
    ReplyOnce("#mode=2#url=#title=t#Con=c#picUrl=file://" + cache_file_.string() + "#");
    Poller().PollOnce(kAccount, kQuietUid);
    const auto handed = HandedOver();
    ASSERT_EQ(handed.size(), 2u);
    EXPECT_FALSE(handed[0].data.picture_downloaded);
    EXPECT_FALSE(handed[1].data.picture_downloaded);
    EXPECT_EQ(FileContents(PictureFile()), "previous");
    EXPECT_EQ(Stored().size(), 2u);
}

TEST_F(PushPollerTest, ReplyOverOneMebibyteIsRefused) {
    const std::string head = "#mode=1#url=#title=t#Con=";
    const std::size_t limit = 1024 * 1024;
    const struct {
        std::size_t size;
        bool accepted;
    } cases[] = {{limit, true}, {limit + 1, false}};
    for (const auto& entry : cases) {
        const std::size_t handed_before = HandedOver().size();
        ReplyOnce(head + std::string(entry.size - head.size() - 1, 'x') + "#");
        Poller().PollOnce(kAccount, kQuietUid);
        EXPECT_EQ(HandedOver().size() - handed_before, entry.accepted ? 1u : 0u) << entry.size;
    }
    EXPECT_EQ(Stored().size(), 1u);
    ASSERT_EQ(log_.size(), 1u);
    EXPECT_NE(log_[0].find("GetDiscuzPush fail"), std::string::npos) << log_[0];
}

TEST_F(PushPollerTest, UnopenableDatabaseIsReportedAndPopupStillShown) {
    std::filesystem::remove(cache_file_);
    Queue("1");
    Poller().PollOnce(kAccount, kQuietUid);
    EXPECT_EQ(HandedOver().size(), 1u);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0], "Open cachedatabase fail:unable to open database file");
    EXPECT_EQ(log_, boxes_);
    EXPECT_FALSE(std::filesystem::exists(cache_file_));
}

TEST_F(PushPollerTest, FailedInsertLogsTheStatement) {
    std::string error;
    ASSERT_TRUE(store_.Open(error)) << error;
    test::RunSql(cache_file_, "DROP TABLE t_Message");
    ReplyOnce("#mode=1#url=http://h/a#title=t#Con=it's#");
    Poller().PollOnce(kAccount, kQuietUid);
    ASSERT_EQ(log_.size(), 1u);
    EXPECT_EQ(log_[0],
              "sqlfail:INSERT INTO t_Message (FAccount,FContent,Furl,Ftype,Ftime) VALUES "
              "('demo','it's','http://h/a?uid=20001&from=client','1','2024-5-1    10:10:10')");
}

TEST_F(PushPollerTest, ClosedStoreStoresNothingAndReportsNothing) {
    store_.Close();
    Queue("1");
    Poller().PollOnce(kAccount, kQuietUid);
    EXPECT_EQ(HandedOver().size(), 1u);
    EXPECT_TRUE(boxes_.empty());
}

// With the real five-minute wait: the first poll runs at once, then Stop ends the wait.
TEST_F(PushPollerTest, PollsAtOnceAndStopEndsTheWait) {
    ScopedEnvironment environment;
    environment.Unset(kWaitDivisorVariable);
    ASSERT_TRUE(Poller().Start(kAccount, kUid));
    ASSERT_TRUE(WaitForHandOvers(1));
    std::this_thread::sleep_for(200ms);
    const auto before = std::chrono::steady_clock::now();
    Poller().Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);

    const auto polls = site_->requests().To("ClientData", kPushPath);
    ASSERT_EQ(polls.size(), 1u);
    EXPECT_EQ(polls[0].method, "POST");
    EXPECT_EQ(polls[0].body, "mode=2&uid=10001");
    EXPECT_EQ(Stored().size(), 1u);
}

TEST_F(PushPollerTest, StopEndsAPollInFlight) {
    site::FaultRule slow;
    slow.host = "ClientData";
    slow.path = kPushPath;
    slow.delay_ms = 30000;
    site_->faults().Add(slow);
    ASSERT_TRUE(Poller().Start(kAccount, kUid));
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (site_->requests().To("ClientData", kPushPath).empty() &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    const auto before = std::chrono::steady_clock::now();
    Poller().Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 3s);
    EXPECT_TRUE(HandedOver().empty());
    EXPECT_TRUE(log_.empty());
}

TEST_F(PushPollerTest, StartsOnceAndNeverAfterStop) {
    EXPECT_TRUE(Poller().Start(kAccount, kQuietUid));
    EXPECT_FALSE(Poller().Start(kAccount, kQuietUid));
    Poller().Stop();
    EXPECT_FALSE(Poller().Start(kAccount, kQuietUid));

    PushPollerContext bare;
    bare.site = settings_;
    PushPoller never_started(bare);
    never_started.Stop();
    EXPECT_FALSE(never_started.Start(kAccount, kQuietUid));
}

TEST_F(PushPollerTest, ExceptionEndsThePollerQuietly) {
    throw_on_hand_over_ = true;
    Queue("1");
    ASSERT_TRUE(Poller().Start(kAccount, kQuietUid));
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (site_->requests().To("ClientData", kPushPath).empty() &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    std::this_thread::sleep_for(300ms);
    Poller().Stop();
    EXPECT_TRUE(Stored().empty());
}

}  // namespace
}  // namespace tessal::client
