// The login window against the reference site: each channel, the failure views, the
// remembered and automatic logins, the channel panel, and an impatient member.

#include "client/shell/login_window.h"

#include <sys/stat.h>

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QSpontaneKeyEvent>

#include "common/files/account_mutex.h"
#include "common/gui/virtual_keys.h"
#include "tests/client/shell/client_fixture.h"

namespace tessal::client::test {
namespace {

class LoginWindowTest : public ClientTest {
protected:
    std::vector<site::RecordedRequest> LoginPosts() const {
        std::vector<site::RecordedRequest> posts;
        for (const auto& request : installation_->site().requests().All()) {
            if (request.path.find("LOGIN.aspx") != std::string::npos ||
                request.body.find("type=LoginChannel") != std::string::npos)
                posts.push_back(request);
        }
        return posts;
    }
    bool WaitForHeartbeats(int count) {
        return QTest::qWaitFor(
            [&] {
                const auto sessions = installation_->site().state().Sessions();
                return !sessions.empty() && sessions.front().heartbeats >= count;
            },
            10000);
    }
};

// What the member clicks is what gets the click: nothing lies over a control in any view.
TEST_F(LoginWindowTest, EveryControlInViewIsWhatAClickOnItReaches) {
    ASSERT_TRUE(StartClient());
    const auto reachable = [this](std::initializer_list<int> ids) {
        ExpectReachable(Login(), ids);
    };
    reachable({3, 4, 5, 6, 7, 8, 9, 10, 11, 17});
    Click(LoginElement(17));
    reachable({20, 21, 22, 23, 24});
    Click(LoginElement(24));
    Click(LoginElement(9));  // empty fields: the failure view
    ASSERT_TRUE(WaitForFailure());
    reachable({12, 13});
    Click(LoginElement(13));
    reachable({3, 4, 5, 6, 9});
}

TEST_F(LoginWindowTest, ALoginOnEachChannelOpensTheMainWindowAndReportsTheSession) {
    const std::vector<std::pair<std::string, std::pair<QString, QString>>> logins = {
        {"1", {"demo", "demo123"}}, {"2", {"学员小李", "学习123"}}, {"3", {"vip", "vip888"}}};
    for (const auto& [channel, member] : logins) {
        installation_->Write("UserSet.ini", "[Client]\nLoginChannel=" + channel + "\n");
        ASSERT_TRUE(StartClient());
        Click(LoginElement(5));  // remember the password
        TypeAndLogin(member.first, member.second);
        ASSERT_TRUE(WaitForMainWindow()) << channel << " " << LoginText(14).toStdString();
        EXPECT_FALSE(Login()->isVisible());
        EXPECT_FALSE(client_->login_tray()->visible());

        const SessionRecord record = client_->session().Snapshot();
        EXPECT_EQ(record.account, member.first.toStdString());
        EXPECT_EQ(UserInfo("userid"), record.uid);
        EXPECT_EQ(UserInfo("Acc"), member.first.toStdString());
        EXPECT_EQ(UserInfo("Pwd"), member.second.toStdString());
        EXPECT_EQ(UserInfo("RemPwd"), "1");
        EXPECT_EQ(UserInfo("AutoLogin"), "0");
        EXPECT_TRUE(std::filesystem::is_directory(installation_->folder() / "User" /
                                                  member.first.toStdString()));
        // The site gave a sign only for the right digest; heartbeats carry it.
        ASSERT_TRUE(WaitForHeartbeats(2)) << channel;
        const auto sessions = installation_->site().state().Sessions();
        EXPECT_EQ(sessions.back().uid, record.uid);
        EXPECT_EQ(client_->session().Snapshot().sign, sessions.back().sign);
        client_.reset();
        SetUp();  // a fresh installation and site for the next channel
    }
}

// The disk may keep a reader waiting for seconds: the identifier is read by each login on
// its own thread, never by start-up on the GUI thread.
TEST_F(LoginWindowTest, TheMachineIdentifierIsReadOnTheLoginThread) {
    ASSERT_TRUE(StartClient());
    EXPECT_TRUE(identifier_threads_.empty());
    TypeAndLogin("demo", "demo123");
    ASSERT_TRUE(WaitForMainWindow());
    const std::lock_guard lock(identifier_mutex_);
    ASSERT_EQ(identifier_threads_.size(), 1U);
    EXPECT_NE(identifier_threads_[0], std::this_thread::get_id());
    ASSERT_EQ(LoginPosts().size(), 1U);
    EXPECT_NE(LoginPosts()[0].body.find("&hd=TEST-MACHINE-1&"), std::string::npos);
}

// The file keeps the password: neither a file left readable by an earlier version nor a
// new one made under a permissive umask can be read by other local users.
TEST_F(LoginWindowTest, TheRememberedPasswordIsReadableByTheMemberAlone) {
    const auto owner_only = [this] {
        using std::filesystem::perms;
        const auto file = installation_->folder() / "UserInfo.ini";
        return (std::filesystem::status(file).permissions() & perms::all) ==
               (perms::owner_read | perms::owner_write);
    };
    struct PermissiveUmask {
        mode_t before = ::umask(0);
        ~PermissiveUmask() { ::umask(before); }
    } permissive;
    // Each login takes another account: this process holds every account it logged in.
    for (const auto& [left_by_earlier_version, account, password] :
         {std::tuple{true, "demo", "demo123"}, std::tuple{false, "vip", "vip888"}}) {
        if (left_by_earlier_version) {
            installation_->Write("UserInfo.ini", "[Login]\nRemPwd=0\n");
            std::filesystem::permissions(installation_->folder() / "UserInfo.ini",
                                         std::filesystem::perms(0644));
        }
        ASSERT_TRUE(StartClient());
        EXPECT_EQ(owner_only(), left_by_earlier_version);  // a new one is not made yet
        Click(LoginElement(5));
        TypeAndLogin(account, password);
        ASSERT_TRUE(WaitForMainWindow()) << LoginText(14).toStdString();
        EXPECT_EQ(UserInfo("Pwd"), password);
        EXPECT_TRUE(owner_only()) << left_by_earlier_version;
        client_.reset();
        SetUp();
    }
}

// A message from the site is shown as the text it is; markup in it does nothing.
TEST_F(LoginWindowTest, TheServersMessageIsShownAsPlainText) {
    site::FaultRule marked;
    marked.host = "MainSite";
    marked.path = "/pc_player/videoAPI/LOGIN.aspx";
    marked.body = "stata=0&msg=%3Cimg%20src%3Dx%3E%3Cb%3Eno%3C%2Fb%3E&dqdate=&";
    installation_->site().faults().Add(marked);
    ASSERT_TRUE(StartClient());
    TypeAndLogin("demo", "demo123");
    ASSERT_TRUE(WaitForFailure());
    EXPECT_EQ(LoginText(14), "<img src=x><b>no</b>");
    EXPECT_EQ(qobject_cast<QLabel*>(LoginElement(14))->textFormat(), Qt::PlainText);
}

TEST_F(LoginWindowTest, ARefusalShowsTheServersMessageAndBackRestoresTheForm) {
    ASSERT_TRUE(StartClient());
    TypeAndLogin("demo", "wrong");
    EXPECT_TRUE(client_->login_window()->attempt_running());
    ASSERT_TRUE(WaitForFailure());
    EXPECT_EQ(LoginText(14), "密码错误");
    const auto site = SiteSettings::Load(installation_->folder() / "Site.ini");
    EXPECT_EQ(LoginText(15), kHotlineText + QString::fromStdString(site.hotline()));
    EXPECT_FALSE(site.hotline().empty());
    for (int id : {3, 4, 5, 6, 7, 8, 9, 2})
        EXPECT_FALSE(LoginElement(id)->isVisible()) << id;
    EXPECT_TRUE(LoginElement(12)->isVisible());
    SaveShot(Login(), "login_failure");
    EXPECT_EQ(UserInfo("userid"), "<none>");

    Click(LoginElement(12));  // the password page
    ASSERT_EQ(pages_.size(), 1U);
    EXPECT_TRUE(pages_[0].endsWith("/forgotpw/find_pwd1.aspx#userconsent#"));
    Click(LoginElement(13));
    for (int id : {3, 4, 5, 6, 7, 8, 9, 2})
        EXPECT_TRUE(LoginElement(id)->isVisible()) << id;
    EXPECT_FALSE(LoginElement(12)->isVisible());
    EXPECT_EQ(LoginText(14), "");
    EXPECT_EQ(LoginText(3), "demo");  // the form keeps what was typed
}

TEST_F(LoginWindowTest, EmptyFieldsAndAnUnreachableSiteHaveTheirOwnMessages) {
    ASSERT_TRUE(StartClient());
    QTest::keyClicks(LoginElement(3), "demo");
    Click(LoginElement(9));
    ASSERT_TRUE(WaitForFailure());
    EXPECT_EQ(LoginText(14), kFieldsEmpty);
    EXPECT_TRUE(LoginPosts().empty());
    Click(LoginElement(13));

    installation_->site().Stop();
    QTest::keyClicks(LoginElement(4), "demo123");
    Click(LoginElement(9));
    ASSERT_TRUE(WaitForFailure());
    EXPECT_EQ(LoginText(14), kServerUnreachable);
}

TEST_F(LoginWindowTest, TheLoggingInViewSlidesTheHeadPictureAndIgnoresMoreClicks) {
    ASSERT_TRUE(StartClient());
    QTest::keyClicks(LoginElement(3), "basic");
    QTest::keyClicks(LoginElement(4), "basic1");
    Click(LoginElement(9));
    Click(LoginElement(9));
    QTest::keyClick(LoginElement(4), Qt::Key_Return);
    QTest::qWait(300);
    EXPECT_FALSE(LoginElement(3)->isVisible());
    EXPECT_TRUE(LoginElement(2)->isVisible());
    EXPECT_GT(LoginElement(16)->layout()->contentsMargins().left(), 0);
    SaveShot(Login(), "login_logging_in");
    ASSERT_TRUE(WaitForMainWindow());
    EXPECT_EQ(LoginPosts().size(), 1U);
}

TEST_F(LoginWindowTest, EnterStartsALogin) {
    ASSERT_TRUE(StartClient());
    QTest::keyClicks(LoginElement(3), "basic");
    QTest::keyClicks(LoginElement(4), "basic1");
    QTest::keyClick(LoginElement(4), Qt::Key_Return);
    ASSERT_TRUE(WaitForMainWindow());
}

TEST_F(LoginWindowTest, ADuplicateLoginIsRefusedAndReportsNothing) {
    ASSERT_TRUE(TryHoldAccountMutex("demo"));  // a running client holds the account
    ASSERT_TRUE(StartClient());
    TypeAndLogin("demo", "demo123");
    ASSERT_TRUE(WaitForFailure());
    EXPECT_EQ(LoginText(14), kAlreadyLoggedIn);
    EXPECT_FALSE(client_->session().LoggedIn());
    QTest::qWait(300);
    EXPECT_TRUE(installation_->site().state().Sessions().empty());
}

TEST_F(LoginWindowTest, AReplyWithoutMembershipDateLogsInWithoutAReport) {
    ASSERT_TRUE(StartClient());
    TypeAndLogin("nodate", "nodate1");
    ASSERT_TRUE(WaitForMainWindow());
    QTest::qWait(500);
    EXPECT_TRUE(installation_->site().state().Sessions().empty());
    EXPECT_EQ(client_->session().Snapshot().sign, "");
}

TEST_F(LoginWindowTest, ARememberedLoginFillsTheFormAndAnAutomaticOneLogsIn) {
    installation_->Write("UserInfo.ini",
                         "[Login]\nAcc=学员小李\nPwd=学习123\nRemPwd=1\nAutoLogin=1\n");
    ASSERT_TRUE(StartClient());
    EXPECT_TRUE(gui::IsChecked(LoginElement(5)));
    EXPECT_TRUE(gui::IsChecked(LoginElement(6)));
    EXPECT_EQ(LoginText(3), "学员小李");
    ASSERT_TRUE(WaitForMainWindow());
    EXPECT_EQ(client_->session().Snapshot().uid, "10002");
    EXPECT_EQ(UserInfo("AutoLogin"), "1");
}

TEST_F(LoginWindowTest, ARememberedLoginWithoutPasswordStillTriesAutomatically) {
    installation_->Write("UserInfo.ini", "[Login]\nAcc=demo\nPwd=\nRemPwd=1\nAutoLogin=1\n");
    ASSERT_TRUE(StartClient());
    EXPECT_TRUE(gui::IsChecked(LoginElement(5)));
    EXPECT_EQ(LoginText(3), "");
    ASSERT_TRUE(WaitForFailure());
    EXPECT_EQ(LoginText(14), kFieldsEmpty);
}

TEST_F(LoginWindowTest, UntickingAutomaticLoginIsStoredAndTickingItTicksRemember) {
    installation_->Write("UserInfo.ini", "[Login]\nRemPwd=0\nAutoLogin=1\n");
    ASSERT_TRUE(StartClient());
    Click(LoginElement(6));  // ticks it: the password is remembered too
    EXPECT_TRUE(gui::IsChecked(LoginElement(5)));
    Click(LoginElement(6));  // unticks it
    EXPECT_EQ(UserInfo("AutoLogin"), "0");
}

TEST_F(LoginWindowTest, TheChannelPanelStoresTheChosenChannelOrKeepsIt) {
    installation_->Write("UserSet.ini", "[Client]\nLoginChannel=2\n");
    ASSERT_TRUE(StartClient());
    EXPECT_TRUE(gui::IsChecked(LoginElement(21)));
    Click(LoginElement(17));
    EXPECT_TRUE(LoginElement(19)->isVisible());
    EXPECT_FALSE(LoginElement(18)->isVisible());
    SaveShot(Login(), "login_channel_panel");
    Click(LoginElement(22));
    Click(LoginElement(24));  // cancel
    EXPECT_EQ(client_->settings().login_channel, 2);
    EXPECT_EQ(UserSet("LoginChannel"), "2");
    EXPECT_TRUE(LoginElement(18)->isVisible());

    Click(LoginElement(17));
    Click(LoginElement(22));
    Click(LoginElement(23));  // OK
    EXPECT_EQ(client_->settings().login_channel, 3);
    EXPECT_EQ(UserSet("LoginChannel"), "3");
    EXPECT_FALSE(LoginElement(19)->isVisible());
}

TEST_F(LoginWindowTest, LinksOpenTheirPagesAndTheHideButtonsHide) {
    ASSERT_TRUE(StartClient());
    Click(LoginElement(7));
    Click(LoginElement(8));
    ASSERT_EQ(pages_.size(), 2U);
    EXPECT_EQ(
        pages_[0].toStdString(),
        "http://" +
            SiteSettings::Load(installation_->folder() / "Site.ini").HostName(SiteHost::kPassport) +
            "/join?ref=bofangqi");
    EXPECT_TRUE(pages_[1].endsWith("/forgotpw/find_pwd1.aspx#userconsent#"));
    Click(LoginElement(10));
    EXPECT_TRUE(!Login()->isVisible() || Login()->isMinimized());
}

// After a login no icon can bring a hidden window back: the main window's hide button
// minimises it, and the window manager's close of either window (a spontaneous close
// event, as the desktop sends it) ends the client through its shutdown routine instead
// of leaving it running unseen with the account held.
TEST_F(LoginWindowTest, NoWindowDisappearsWithoutAWayBack) {
    for (const bool close_main : {true, false}) {
        ASSERT_TRUE(StartClient());
        QWidget* closed = Login();
        if (close_main) {
            TypeAndLogin("demo", "demo123");
            ASSERT_TRUE(WaitForMainWindow());
            Click(gui::FindElement(Main(), 3));
            EXPECT_TRUE(Main()->isVisible() && Main()->isMinimized());
            closed = Main();
        }
        ASSERT_TRUE(started_.empty());
        QCloseEvent close;  // delivered as the window system delivers it: sendEvent
        QSpontaneKeyEvent::setSpontaneous(&close);  // would clear the mark
        QApplication::instance()->notify(closed, &close);
        EXPECT_TRUE(client_->shut_down()) << close_main;
        ASSERT_EQ(started_.size(), 1U) << close_main;
        EXPECT_EQ(started_[0].argument != "end##u##", close_main);
        client_.reset();
        started_.clear();
        SetUp();
    }
}

}  // namespace
}  // namespace tessal::client::test
