// The member's messages through the whole client: the start-up's update check, the
// poller started by the login, the popups on the main window's messages, the rows in
// the cache database and the message manager of button 19, and an end that does not
// wait out a poll interval.

#include <sqlite3.h>

#include <chrono>

#include "client/messages/pending_popups.h"
#include "common/files/file_helpers.h"
#include "tests/client/shell/client_fixture.h"

namespace tessal::client::test {
namespace {

std::vector<std::string> StoredTexts(const std::filesystem::path& database) {
    sqlite3* db = nullptr;
    std::vector<std::string> texts;
    if (sqlite3_open_v2(database.string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT FContent FROM t_Message WHERE FAccount='demo' ORDER BY rowid",
                           -1, &statement, nullptr);
        while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW)
            texts.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return texts;
}

site::PushMessage Push(const char* mode, const char* title, const char* content) {
    site::PushMessage message;
    message.uid = "10001";
    message.mode = mode;
    message.url = "{MainSite}/news/new-term.html";
    message.title = title;
    message.content = content;
    message.picture = "push-offer.png";
    return message;
}

std::size_t Polls(tessal::test::TestInstallation& installation) {
    std::size_t polls = 0;
    for (const auto& request : installation.site().requests().All())
        polls += request.path == "/GetDiscuzPush.php" ? 1 : 0;
    return polls;
}

TEST_F(ClientTest, StartUpChecksTheClientListAndThenStartsTessalUpdata) {
    ASSERT_TRUE(StartClient());
    ASSERT_TRUE(QTest::qWaitFor([&] { return updates_checked_ == 1; }, 10000));
    const std::string copy =
        tessal::FileContents(installation_->folder() / "cache" / "TessalUpdata.xml");
    EXPECT_NE(copy.find("Progarm"), std::string::npos) << copy;
    EXPECT_TRUE(started_.empty());
}

TEST_F(ClientTest, PushMessagesPopUpAreStoredAndListedAndTheEndDoesNotWaitForThePoller) {
    installation_->site().state().QueuePush(Push("1", "开课通知", "周六开课,欢迎'报名'"));
    installation_->site().state().QueuePush(Push("2", "限时优惠", "八折"));
    ASSERT_TRUE(StartClient());
    TypeAndLogin("demo", "demo123");
    ASSERT_TRUE(WaitForMainWindow());
    PushWindows& popups = client_->messages()->popups();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return popups.window(PopupKind::kText) != nullptr &&
                   popups.window(PopupKind::kPicture) != nullptr;
        },
        10000));
    QWidget* text = popups.window(PopupKind::kText);
    QWidget* picture = popups.window(PopupKind::kPicture);
    EXPECT_TRUE(text->isVisible() && picture->isVisible());
    EXPECT_EQ(gui::ElementText(gui::FindElement(text, 2)), "周六开课,欢迎'报名'");
    // The picture popup came second, so it stands one popup height above the text one.
    EXPECT_EQ(picture->y() + picture->height(), text->y());
    SaveShot(picture, "client_push_popup");
    const auto database = installation_->folder() / "cache" / "cache.dll";
    ASSERT_TRUE(QTest::qWaitFor([&] { return StoredTexts(database).size() == 2; }, 5000));
    EXPECT_EQ(StoredTexts(database), (std::vector<std::string>{"周六开课,欢迎'报名'", "八折"}));

    Click(gui::FindElement(Main(), 19));
    MessageManager& manager = client_->messages()->manager();
    ASSERT_NE(manager.window(), nullptr);
    EXPECT_TRUE(manager.window()->isVisible());
    EXPECT_EQ(manager.total_count(), 2);
    EXPECT_EQ(manager.list()->ItemCount(), 2);

    // Polls go on (every 0.3 s in tests); the end comes during a wait or a poll.
    const std::size_t polls = Polls(*installation_);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Polls(*installation_) > polls + 1; }, 5000));
    const auto begin = std::chrono::steady_clock::now();
    client_->Shutdown();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(3));
    EXPECT_EQ(popups.window(PopupKind::kText), nullptr);
    EXPECT_EQ(manager.window(), nullptr);
    const std::size_t after = Polls(*installation_);
    QTest::qWait(700);
    EXPECT_EQ(Polls(*installation_), after);
}

// A box of a popup (its layout is missing) waits in an event loop of its own; the end
// that comes then (a SIGTERM, a window manager's close) joins the poller, which must not
// be waiting for that popup any more.
TEST_F(ClientTest, TheEndThatComesWhileAPopupsBoxWaitsJoinsThePollerAndLogsOut) {
    std::filesystem::remove(installation_->folder() / "Layout" / "Tessal_PushWindow1.xml");
    installation_->site().state().QueuePush(Push("1", "开课通知", "周六开课"));
    boxes_.while_shown = [this](const QString& caption) {
        if (caption == "CreatePushWndFail")
            client_->Shutdown();
    };
    ASSERT_TRUE(StartClient());
    TypeAndLogin("demo", "demo123");
    ASSERT_TRUE(WaitForMainWindow());
    ASSERT_TRUE(QTest::qWaitFor([&] { return client_->shut_down(); }, 10000));
    ASSERT_EQ(started_.size(), 1U);
    EXPECT_EQ(started_[0].argument.rfind("end#", 0), 0U);
    EXPECT_EQ(StoredTexts(installation_->folder() / "cache" / "cache.dll"),
              std::vector<std::string>{"周六开课"});
}

}  // namespace
}  // namespace tessal::client::test
