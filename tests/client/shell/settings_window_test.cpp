// The settings window opened from the main window: what it shows, saving, browsing,
// closing without saving, and opening it again.

#include "client/shell/settings_window.h"

#include <QLineEdit>
#include <QPointer>

#include "tests/client/shell/client_fixture.h"

namespace tessal::client::test {
namespace {

class SettingsWindowTest : public ClientTest {
protected:
    QWidget* OpenSettings() {
        Click(gui::FindElement(Main(), 2));
        return client_->settings_window()->window();
    }
    QWidget* Element(int id) const {
        return gui::FindElement(client_->settings_window()->window(), id);
    }
    std::string DailyLog() const {
        std::string all;
        const auto folder = installation_->folder() / "cache" / "technology";
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            all += FileContents(entry.path());
        return all;
    }
};

TEST_F(SettingsWindowTest, SavingStoresTheFolderAndChannelAndTakesEffectAtOnce) {
    installation_->Write("UserSet.ini", "[Client]\nDownLoadChannel=7\n");
    ASSERT_TRUE(StartClient());
    EXPECT_EQ(client_->settings().download_channel, 7);  // as stored, until the window opens

    Main()->show();
    ExpectReachable(Main(), {2, 3, 4});
    QWidget* window = OpenSettings();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_LE((window->geometry().center() - Main()->geometry().center()).manhattanLength(), 2);
    ExpectReachable(window, {1, 2, 3, 4, 5, 6, 7});
    EXPECT_EQ(window->windowTitle(), kSettingsTitle);
    EXPECT_EQ(client_->settings().download_channel, 1);
    EXPECT_TRUE(gui::IsChecked(Element(1)));
    auto* folder = qobject_cast<QLineEdit*>(Element(7));
    ASSERT_NE(folder, nullptr);
    EXPECT_TRUE(folder->isReadOnly());
    EXPECT_EQ(folder->text().toStdString(), client_->settings().download_root);
    SaveShot(window, "settings_window");

    folder_choice_ = "/srv/课程";
    Click(Element(4));
    EXPECT_EQ(folder->text(), "/srv/课程/");
    EXPECT_EQ(UserSet("DownLoadFile"), "<none>");  // nothing saved yet
    Click(Element(2));
    Click(Element(5));
    EXPECT_TRUE(QTest::qWaitFor([&] { return client_->settings_window()->window() == nullptr; }));
    EXPECT_EQ(UserSet("DownLoadFile"), "/srv/课程/");
    EXPECT_EQ(UserSet("DownLoadChannel"), "2");
    EXPECT_EQ(client_->settings().download_root, "/srv/课程/");
    EXPECT_EQ(client_->settings().download_channel, 2);
}

TEST_F(SettingsWindowTest, ACancelledDialogIsLoggedAndCloseSavesNothing) {
    installation_->Write("UserSet.ini", "[Client]\nDownLoadFile=/old/\nDownLoadChannel=3\n");
    ASSERT_TRUE(StartClient());
    OpenSettings();
    EXPECT_TRUE(gui::IsChecked(Element(3)));
    folder_choice_.reset();
    Click(Element(4));
    EXPECT_EQ(gui::ElementText(Element(7)), "/old/");
    Click(Element(1));
    Click(Element(6));
    EXPECT_TRUE(QTest::qWaitFor([&] { return client_->settings_window()->window() == nullptr; }));
    EXPECT_EQ(UserSet("DownLoadChannel"), "3");
    EXPECT_EQ(client_->settings().download_channel, 3);
    client_->Shutdown();  // writes the log out
    EXPECT_NE(DailyLog().find("FolderDialogApi Fail"), std::string::npos);
}

TEST_F(SettingsWindowTest, OpeningAgainRaisesTheOpenWindowAndSavingUnchangedKeepsTheRoot) {
    ASSERT_TRUE(StartClient());
    QWidget* first = OpenSettings();
    const QPointer<QWidget> watched = first;
    first->hide();
    EXPECT_EQ(OpenSettings(), first);
    EXPECT_TRUE(first->isVisible());
    const std::string root = client_->settings().download_root;
    Click(Element(5));
    EXPECT_EQ(UserSet("DownLoadFile"), root);
    EXPECT_EQ(UserSet("DownLoadChannel"), "1");
    // Made anew once the closed one is gone, not the closing one handed out again.
    ASSERT_TRUE(QTest::qWaitFor([&] { return watched.isNull(); }));
    QWidget* again = OpenSettings();
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->isVisible());
    EXPECT_EQ(client_->settings_window()->window(), again);
}

TEST_F(SettingsWindowTest, AMissingLayoutOnlyLogs) {
    ASSERT_TRUE(StartClient());
    std::filesystem::remove(installation_->folder() / "Layout" / "SetWnd.xml");
    EXPECT_EQ(OpenSettings(), nullptr);
    client_->Shutdown();
    EXPECT_NE(DailyLog().find("CreatehWINDOW_SetWndFail"), std::string::npos);
}

}  // namespace
}  // namespace tessal::client::test
