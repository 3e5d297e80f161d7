// The main window after a login with the demo catalogue: the tree as the member sees it,
// the course pictures arriving from the site, and the header's buttons.

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTreeView>
#include <algorithm>

#include "client/catalogue/picture_list.h"
#include "common/gui/element_events.h"
#include "common/gui/toolkit_codes.h"
#include "common/settings/ini_file.h"
#include "tests/client/shell/client_fixture.h"

namespace tessal::client::test {
namespace {

using gui::kNoItem;
using gui::kRootItem;

class MainWindowTest : public ClientTest {
protected:
    CourseTree& Tree() const { return *client_->main_window()->course_tree(); }
    int Groups() const {
        int count = 0;
        for (int group = Tree().tree().FirstChild(kRootItem); group != kNoItem;
             group = Tree().tree().NextSibling(group))
            ++count;
        return count;
    }
    bool LoginAsDemo() {
        if (!StartClient())
            return false;
        TypeAndLogin("demo", "demo123");
        return WaitForMainWindow();
    }
};

TEST_F(MainWindowTest, TheDemoCatalogueIsShownAndItsPicturesReplaceThePlaceholders) {
    const auto& data = installation_->site().data();
    // The first picture fetched (the first type's first course) comes late, so that the
    // member sees the placeholders first.
    const auto first = std::find_if(data.courses.begin(), data.courses.end(), [&](const auto& c) {
        return c.type == data.course_types.front();
    });
    ASSERT_NE(first, data.courses.end());
    site::FaultRule late;
    late.host = "MainSite";
    late.path = "/upload/course/" + first->picture;
    late.delay_ms = 3000;
    late.times = 1;
    installation_->site().faults().Add(late);
    ASSERT_TRUE(LoginAsDemo());
    EXPECT_EQ(Groups(), static_cast<int>(data.course_types.size()));
    // Built while the window was hidden, every group shows without a click.
    QTest::qWait(10);
    for (int group = Tree().tree().FirstChild(kRootItem); group != kNoItem;
         group = Tree().tree().NextSibling(group))
        EXPECT_NE(Tree().tree().RowWidget(group), nullptr) << group;
    const int first_group = Tree().tree().FirstChild(kRootItem);
    Tree().tree().Expand(first_group, true);
    const int first_course = Tree().tree().FirstChild(first_group);
    EXPECT_TRUE(Tree().PictureOf(first_course).endsWith("lessonpicIsloading.png"));
    SaveShot(Main(), "main_window_before_pictures");

    // Every course was listed; the thread fetches them one by one.
    const auto list = ReadPictureList(installation_->folder() / kPictureListFile);
    EXPECT_EQ(list.size(), data.courses.size());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return client_->main_window()->course_pictures()->finished(); }, 20000));
    QTest::qWait(50);
    for (int group = first_group; group != kNoItem; group = Tree().tree().NextSibling(group)) {
        for (int course = Tree().tree().FirstChild(group); course != kNoItem;
             course = Tree().tree().NextSibling(course))
            EXPECT_TRUE(Tree().PictureOf(course).contains("data/lesson/img/"))
                << Tree().tree().Text(course, "name2").toStdString();
    }
    SaveShot(Main(), "main_window_with_pictures");
}

TEST_F(MainWindowTest, TheMemberIsShownWithTheirPictureBadgeAndTrayIcon) {
    ASSERT_TRUE(LoginAsDemo());
    EXPECT_EQ(gui::ElementText(gui::FindElement(Main(), 6)), "张明");
    EXPECT_EQ(gui::FindElement(Main(), 7)->toolTip(), "金牌会员");
    const auto member = installation_->folder() / "User" / "demo";
    EXPECT_TRUE(std::filesystem::exists(member / "UserJson.json"));
    EXPECT_TRUE(std::filesystem::exists(member / "headpic.png"));
    ASSERT_NE(client_->member_tray(), nullptr);
    EXPECT_EQ(client_->member_tray()->tip(), "用户:张明\n等级:金牌会员");
    // Centred on the screen.
    const QRect screen = Main()->screen()->geometry();
    EXPECT_EQ(Main()->x(), (screen.width() - Main()->width()) / 2);
}

TEST_F(MainWindowTest, TheHeaderButtonsDoWhatTheySay) {
    ASSERT_TRUE(LoginAsDemo());
    ExpectReachable(Main(), {2, 3, 4, 12, 13, 17, 18, 19});
    for (const int soon : {12, 13}) {
        boxes_.shown.clear();
        Click(gui::FindElement(Main(), soon));
        ASSERT_EQ(boxes_.shown.size(), 1U);
        EXPECT_EQ(boxes_.shown[0].text, "敬请期待");
        EXPECT_EQ(boxes_.shown[0].caption, "");
    }
    started_.clear();
    Click(gui::FindElement(Main(), 18));
    ASSERT_EQ(started_.size(), 1U);
    EXPECT_EQ(started_[0].program, installation_->folder() / "TessalPlayer");
    EXPECT_EQ(started_[0].argument, "");

    // Without a notification area the minimise button minimises: the taskbar brings the
    // window back. The tray icon's clicks show it again too.
    Click(gui::FindElement(Main(), 3));
    EXPECT_TRUE(Main()->isMinimized() || !Main()->isVisible());
    EXPECT_FALSE(Main()->windowFlags().testFlag(Qt::Tool));
    client_->member_tray()->icon()->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(Main()->isVisible());
    EXPECT_FALSE(Main()->isMinimized());
}

// A double click on a course opens its lesson window, one at a time, with the question
// button the site's Site.ini switches on; the shutdown routine closes the last one. The
// site's time is refused here, so no page (and no web engine) is loaded.
TEST_F(MainWindowTest, ADoubleClickedCourseOpensItsLessonWindowOneAtATime) {
    ASSERT_TRUE(LoginAsDemo());
    site::FaultRule no_time;
    no_time.host = "AppApi";
    no_time.path = "/app_client_api_v2/timestamp";
    no_time.body = "{}";
    installation_->site().faults().Add(no_time);
    const auto double_click = [this](const QString& course) {
        gui::TemplateTree& tree = Tree().tree();
        for (int group = tree.FirstChild(kRootItem); group != kNoItem;
             group = tree.NextSibling(group)) {
            for (int item = tree.FirstChild(group); item != kNoItem;
                 item = tree.NextSibling(item)) {
                if (tree.Text(item, "name2") != course)
                    continue;
                tree.Expand(group, true);
                tree.RefreshNow();
                QWidget* row = tree.RowWidget(item);
                ASSERT_NE(row, nullptr);
                QTest::mouseDClick(gui::FindElement(row, 1), Qt::LeftButton);
                return;
            }
        }
        FAIL() << course.toStdString();
    };
    double_click("会计基础入门");
    LessonWindows& windows = *client_->lesson_windows();
    QPointer<LessonWindow> first = windows.current();
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first->course_id(), "101");
    EXPECT_TRUE(first->window()->isVisible());
    QWidget* question = gui::FindElement(first->window(), 11);
    EXPECT_TRUE(question->isVisible());
    Click(question);
    QWidget* asking = QApplication::activeModalWidget();
    ASSERT_NE(asking, nullptr);
    EXPECT_EQ(asking->parentWidget(), first->window());
    asking->close();

    double_click("Python 编程基础");
    EXPECT_TRUE(first.isNull());
    QPointer<LessonWindow> second = windows.current();
    ASSERT_FALSE(second.isNull());
    EXPECT_EQ(second->course_id(), "201");
    client_->Shutdown();
    EXPECT_TRUE(second.isNull());
    EXPECT_TRUE(boxes_.shown.empty());
}

}  // namespace
}  // namespace tessal::client::test
