// The main window after a login with the demo catalogue: the tree as the member sees it,
// the course pictures arriving from the site, and the header's buttons.

#include <QLabel>
#include <QTreeView>

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
    ASSERT_TRUE(LoginAsDemo());
    const auto& data = installation_->site().data();
    EXPECT_EQ(Groups(), static_cast<int>(data.course_types.size()));
    const int first_group = Tree().tree().FirstChild(kRootItem);
    Tree().tree().Expand(first_group, true);
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

}  // namespace
}  // namespace tessal::client::test
