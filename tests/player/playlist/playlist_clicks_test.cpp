// The member's mouse on the playlist: courses open and close, double clicks start
// lessons, the right button selects a lesson and its menu acts on it.

#include <QAbstractButton>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTreeView>

#include "common/gui/elements.h"
#include "common/gui/state_images.h"
#include "common/gui/toolkit_codes.h"
#include "tests/player/playlist/playlist_fixture.h"

namespace tessal::player::test {
namespace {

using gui::kNoItem;
using gui::kRootItem;

class PlaylistClicksTest : public PlaylistTest {
protected:
    // Two courses: A with 1 and 2, B with 3; A open.
    void SetUp() override {
        PlaylistTest::SetUp();
        for (const char* lesson :
             {"lessons/A/1.tessal", "lessons/A/2.tessal", "lessons/B/3.tessal"})
            Write(lesson);
        AddFolder(folder_.path() / "lessons/A");
        AddFolder(folder_.path() / "lessons/B");
        Items().Expand(Course(0), true);
    }
    int Course(int k) { return Children(kRootItem)[k]; }
    int Lesson(int course, int k) { return Children(Course(course))[k]; }
    std::string PathText(int item) { return Panel().PathOf(item).toStdString(); }
    QWidget* Viewport() { return Panel().view()->viewport(); }
    QPoint RowCentre(int item) {
        Items().RefreshNow();
        QTest::qWait(1);  // rows take their places in the view
        QWidget* row = Items().RowWidget(item);
        return row != nullptr ? row->geometry().center() : QPoint();
    }
    bool MenuShown() { return Panel().menu() != nullptr && Panel().menu()->menu()->isVisible(); }
};

TEST_F(PlaylistClicksTest, ACourseOpensAndClosesWithEachClickAndItsRowShowsHow) {
    const int b = Course(1);
    QWidget* title = RowObject(b, 2);
    ASSERT_NE(title, nullptr);
    for (const bool open : {true, false, true}) {
        SCOPED_TRACE(open);
        QTest::mouseClick(RowObject(b, 2), Qt::LeftButton);
        EXPECT_EQ(Items().IsExpanded(b), open);
        EXPECT_EQ(Panel().Selected(), b);  // it stays the course a chosen file joins
        auto* button = qobject_cast<QAbstractButton*>(RowObject(b, 1));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->isChecked(), open);
        EXPECT_EQ(gui::StateImage(button, gui::kStateChecked),
                  Text(folder_.path() / "IMAGE/player/zhankai.png"));
        EXPECT_EQ(gui::StateImage(button, gui::kStateUnchecked),
                  Text(folder_.path() / "IMAGE/player/zhengchang.png"));
        QWidget* text = RowObject(b, 2);
        text->ensurePolished();
        const QColor colour = text->palette().color(QPalette::WindowText);
        EXPECT_EQ(colour, gui::ColourFromBgr(open ? 0xE4AF1D : 0xACACAC));
    }
}

// The first click selects the lesson, whose row then comes from the selected template:
// the double click arrives on that row's button.
TEST_F(PlaylistClicksTest, ADoubleClickOnALessonsButtonStartsItAndMakesItCurrent) {
    const int two = Lesson(0, 1);
    auto* button = qobject_cast<QAbstractButton*>(RowObject(two, 4));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->toolTip(), "2.tessal");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(Panel().Selected(), two);
    QWidget* selected = RowObject(two, 4);
    ASSERT_NE(selected, nullptr);
    EXPECT_NE(selected, button);
    QTest::mouseDClick(selected, Qt::LeftButton);
    EXPECT_EQ(opened_, std::vector<std::string>{PathText(two)});
    EXPECT_EQ(Panel().current_item(), two);
    EXPECT_EQ(Panel().Selected(), two);
}

TEST_F(PlaylistClicksTest, ADoubleClickElsewhereOnTheTreeStartsALessonButKeepsTheCurrentItem) {
    const int one = Lesson(0, 0);
    const int two = Lesson(0, 1);
    Panel().SetCurrentItem(one);
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, RowCentre(two));
    EXPECT_EQ(opened_, std::vector<std::string>{PathText(two)});
    EXPECT_EQ(Panel().current_item(), one);
    // On a course, or below the last row: nothing starts.
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, RowCentre(Course(1)));
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, QPoint(5, Viewport()->height() - 2));
    EXPECT_EQ(opened_.size(), 1U);
}

TEST_F(PlaylistClicksTest, ALessonWithoutAPathStartsNothingAndLogs) {
    const int one = Lesson(0, 0);
    Items().SetText(one, "path", "");
    struct Case {
        const char* name;
        bool on_button;
        const char* log;
    };
    const Case cases[] = {{"its button", true, "OnLButtonDBClick path is null"},
                          {"its row", false, "OnTerrLButtonDBClick path is null"}};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        log_.clear();
        if (test.on_button)
            QTest::mouseDClick(RowObject(one, 4), Qt::LeftButton);
        else
            QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, RowCentre(one));
        EXPECT_EQ(log_, std::vector<std::string>{test.log});
    }
    EXPECT_TRUE(opened_.empty());
    EXPECT_EQ(Panel().current_item(), kNoItem);
}

TEST_F(PlaylistClicksTest, ARightClickSelectsTheLessonUnderTheCursorAndTheMenuActsOnIt) {
    const int one = Lesson(0, 0);
    const int two = Lesson(0, 1);
    Panel().Select(one);
    QWidget* button = RowObject(two, 4);
    ASSERT_NE(button, nullptr);
    QTest::mousePress(button, Qt::RightButton);
    QTest::mouseRelease(button, Qt::RightButton);
    EXPECT_EQ(Panel().Selected(), two);
    EXPECT_TRUE(MenuShown());
    Panel().menu()->menu()->hide();

    ASSERT_TRUE(Panel().menu()->Choose(kMenuShowLessonFile));
    EXPECT_EQ(shown_files_, std::vector<QString>{Panel().PathOf(two)});
    EXPECT_TRUE(opened_.empty());
    ASSERT_TRUE(Panel().menu()->Choose(kMenuStartLesson));
    EXPECT_EQ(opened_, std::vector<std::string>{PathText(two)});
    EXPECT_EQ(Panel().current_item(), two);
}

TEST_F(PlaylistClicksTest, ARightClickOnACourseNeitherSelectsNorTogglesIt) {
    const int a = Course(0);
    QTest::mousePress(Viewport(), Qt::RightButton, {}, RowCentre(a));
    QTest::mouseRelease(Viewport(), Qt::RightButton, {}, RowCentre(a));
    EXPECT_EQ(Panel().Selected(), kNoItem);
    EXPECT_TRUE(Items().IsExpanded(a));
    EXPECT_FALSE(MenuShown());
    // The menu's commands find no lesson to act on.
    Panel().Select(a);
    Panel().RunMenuCommand(kMenuStartLesson);
    Panel().RunMenuCommand(kMenuShowLessonFile);
    EXPECT_TRUE(opened_.empty());
    EXPECT_TRUE(shown_files_.empty());
}

// The player lets its panel go before its window: what the member does to the window
// afterwards reaches no panel. The other order leaves the panel a tree that is gone.
TEST_F(PlaylistClicksTest, APanelAndItsWindowMayGoInEitherOrder) {
    const int one = Lesson(0, 0);
    Panel().Select(one);
    ClickButton(17);
    QWidget* lesson = RowObject(Lesson(0, 1), 4);
    ASSERT_NE(lesson, nullptr);
    panel_.reset();
    Settle();
    folder_dialogs_ = 0;
    folder_answer_ = Text(folder_.path() / "lessons");
    for (const int id : {15, 16, 17})
        qobject_cast<QAbstractButton*>(gui::FindElement(window_.get(), id))->click();
    QTest::mouseClick(lesson, Qt::LeftButton);
    QTest::mouseDClick(lesson, Qt::LeftButton);
    QTest::mousePress(lesson, Qt::RightButton);
    QTest::mouseRelease(lesson, Qt::RightButton);
    auto* view = gui::FindElementAs<QTreeView>(window_.get(), 18);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    Settle();
    EXPECT_EQ(folder_dialogs_ + file_dialogs_, 0);
    EXPECT_TRUE(opened_.empty());
    EXPECT_TRUE(log_.empty());

    MakePanel();
    window_.reset();
    EXPECT_FALSE(Panel().Save());  // the list on disk stays as it was
}

TEST_F(PlaylistClicksTest, Screenshot) {
    Write("lessons/会计基础/第01课 总论.tessal");
    Write("lessons/会计基础/第02课 会计要素.tessal");
    Write("lessons/会计基础/第03课 复式记账.tessal");
    AddFolder(folder_.path() / "lessons/会计基础");
    const int accounting = Course(2);
    Panel().Select(accounting);
    Panel().Select(Children(accounting)[1]);
    Items().RefreshNow();
    QTest::qWait(20);
    ASSERT_NE(Items().RowWidget(Children(accounting)[1]), nullptr);
    SaveScreenshot("playlist_panel");
}

}  // namespace
}  // namespace tessal::player::test
