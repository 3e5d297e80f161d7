// The delete dialog: what leaves the list, and which file, if any, leaves the disk.

#include <QAbstractButton>
#include <QTest>

#include "common/gui/elements.h"
#include "tests/player/playlist/playlist_fixture.h"

namespace tessal::player::test {
namespace {

using gui::kNoItem;
using gui::kRootItem;

class PlaylistDeleteTest : public PlaylistTest {
protected:
    // Two courses: A with 1 and 2, B with 3.
    void SetUp() override {
        PlaylistTest::SetUp();
        one_ = Write("lessons/A/1.tessal");
        two_ = Write("lessons/A/2.tessal");
        three_ = Write("lessons/B/3.tessal");
        AddFolder(folder_.path() / "lessons/A");
        AddFolder(folder_.path() / "lessons/B");
    }

    // Opens the dialog on `item` through button 17 and answers it.
    void Delete(int item, bool with_file) {
        Panel().Select(item);
        ClickButton(17);
        QWidget* dialog = Panel().delete_dialog();
        ASSERT_NE(dialog, nullptr);
        gui::SetChecked(gui::FindElement(dialog, 3), with_file);
        Confirm();
    }
    void Confirm() {
        QWidget* dialog = Panel().delete_dialog();
        ASSERT_NE(dialog, nullptr);
        auto* confirm = qobject_cast<QAbstractButton*>(gui::FindElement(dialog, 1));
        ASSERT_NE(confirm, nullptr);
        confirm->click();
        Settle();
        EXPECT_EQ(Panel().delete_dialog(), nullptr);
    }
    int Course(int k) { return Children(kRootItem)[k]; }

    std::filesystem::path one_, two_, three_;
};

TEST_F(PlaylistDeleteTest, TheCheckButtonDecidesWhetherTheLessonsFileGoesAndNoOtherFileDoes) {
    for (const bool with_file : {false, true}) {
        SCOPED_TRACE(with_file);
        const auto lesson = Write("lessons/A/x.tessal");
        folder_answer_.clear();
        file_answer_ = Text(lesson);
        Panel().Select(Course(0));
        ClickButton(16);
        const int item = LessonItem("A", "x.tessal");
        ASSERT_NE(item, kNoItem);
        Delete(item, with_file);
        EXPECT_FALSE(Items().Exists(item));
        EXPECT_EQ(std::filesystem::exists(lesson), !with_file);
        for (const auto& other : {one_, two_, three_})
            EXPECT_TRUE(std::filesystem::exists(other));
        EXPECT_EQ(Shown()[0].lessons, (std::vector<QString>{"1.tessal", "2.tessal"}));
    }
}

TEST_F(PlaylistDeleteTest, TheLastLessonTakesItsCourseAlong) {
    const int b = Course(1);
    const int three = Children(b)[0];
    Panel().SetCurrentItem(three);
    Delete(three, false);
    EXPECT_FALSE(Items().Exists(b));
    EXPECT_EQ(Shown().size(), 1U);
    // Nothing advances from a lesson that is gone.
    EXPECT_EQ(Panel().current_item(), kNoItem);
}

TEST_F(PlaylistDeleteTest, ACourseGoesWithItsLessonsButNeverWithTheirFiles) {
    Delete(Course(0), true);
    ASSERT_EQ(Shown().size(), 1U);
    EXPECT_EQ(Shown()[0].name, "B");
    for (const auto& file : {one_, two_, three_})
        EXPECT_TRUE(std::filesystem::exists(file));
}

// A path that names no regular file is never deleted; the entry goes all the same.
TEST_F(PlaylistDeleteTest, OnlyARegularFileIsDeleted) {
    const auto folder = folder_.path() / "lessons/A";
    const auto link = folder_.path() / "link.tessal";
    std::filesystem::create_directory_symlink(folder, link);
    const auto lessons = Children(Course(0));
    const std::filesystem::path paths[] = {folder, link};
    for (std::size_t k = 0; k < lessons.size(); ++k) {
        SCOPED_TRACE(paths[k]);
        log_.clear();
        Items().SetText(lessons[k], "path", Text(paths[k]));
        Delete(lessons[k], true);
        EXPECT_FALSE(Items().Exists(lessons[k]));
        EXPECT_EQ(log_, std::vector<std::string>{"DeleteLessonFile refused:" + paths[k].string()});
        EXPECT_TRUE(std::filesystem::is_symlink(link));
        EXPECT_TRUE(std::filesystem::exists(one_));
        EXPECT_TRUE(std::filesystem::exists(two_));
    }
}

TEST_F(PlaylistDeleteTest, TheDialogActsOnTheEntryThatWasSelectedWhenItOpened) {
    const int one = Children(Course(0))[0];
    Panel().Select(one);
    ClickButton(17);
    // The next lesson starts by itself and becomes selected while the dialog shows.
    const int two = Children(Course(0))[1];
    Panel().Select(two);
    Confirm();
    EXPECT_FALSE(Items().Exists(one));
    EXPECT_TRUE(Items().Exists(two));
}

TEST_F(PlaylistDeleteTest, TheDialogOpensCentredOverTheMainWindowAndOnlyWithASelection) {
    Panel().Select(kNoItem);
    ClickButton(17);
    EXPECT_EQ(Panel().delete_dialog(), nullptr);

    Panel().Select(Course(1));
    ClickButton(17);
    QWidget* dialog = Panel().delete_dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isWindow());
    EXPECT_EQ(dialog->parentWidget(), window_.get());
    const QRect main = window_->frameGeometry();
    EXPECT_EQ(dialog->pos(), QPoint(main.left() + main.width() / 2 - dialog->width() / 2,
                                    main.top() + main.height() / 2 - dialog->height() / 2));
    // Esc closes it, as its cancel does; the list stays.
    QTest::keyClick(dialog, Qt::Key_Escape);
    Settle();
    EXPECT_EQ(Panel().delete_dialog(), nullptr);
    EXPECT_EQ(Shown().size(), 2U);
}

TEST_F(PlaylistDeleteTest, WithoutItsLayoutTheDialogShowsTheBoxAndNothingGoes) {
    std::filesystem::remove(folder_.path() / "Layout/Player/DeleteWnd.xml");
    const auto before = Shown();
    Panel().Select(Children(Course(0))[0]);
    ClickButton(17);
    EXPECT_EQ(Panel().delete_dialog(), nullptr);
    EXPECT_EQ(boxes_.shown,
              std::vector<QString>{"CreatehWINDOW_ClaenWndFail|CreatehWINDOW_ClaenWndFail"});
    EXPECT_EQ(log_, std::vector<std::string>{"CreatehWINDOW_ClaenWndFail"});
    EXPECT_EQ(Shown(), before);
}

}  // namespace
}  // namespace tessal::player::test
