// The course tree built from a course database of the test's own, in a tree view on the
// offscreen platform with the installation's templates and images: what each item
// shows, where a build stops, the picture list, and the member's clicks.

#include "client/catalogue/course_tree.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QAbstractButton>
#include <QLabel>
#include <QTest>
#include <QTreeView>

#include "client/catalogue/picture_list.h"
#include "common/gui/elements.h"
#include "tests/support/temp_folder.h"

namespace tessal::client {
namespace {

using gui::kNoItem;
using gui::kRootItem;

constexpr const char* kCourseTable =
    "CREATE TABLE t_course (FCourseid INTEGER, Fcoursename TEXT, Fcourseimg TEXT, Ftype TEXT,"
    " Fiscomplete TEXT, Flevel TEXT, Fnumoflikes REAL, Fnumofclick REAL);"
    "CREATE TABLE t_lesontype (Fname TEXT);";

constexpr const char* kCourses =
    "INSERT INTO t_course VALUES"
    " (7, '会计入门', 'http://pictures/c/kj.png', '财会', '1', '初级', 0, 0),"
    " (8, 'O''Reilly; DROP', 'http://pictures/c/or.png', '财会', '0', '高级', 0, 0),"
    " (9, '色彩', 'x\\pictures\\sc.png', '设计', '2', '专家', 0, 0);";
const std::string kTwoTypes =
    std::string("INSERT INTO t_lesontype VALUES ('财会'), ('设计');") + kCourses;

class CourseTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::filesystem::path data = TESSAL_INSTALLATION_DATA_DIR;
        for (const char* item : {"Layout", "IMAGE"})
            std::filesystem::copy(data / item, folder_.path() / item,
                                  std::filesystem::copy_options::recursive);
    }

    void Build(const std::string& rows, const char* table = kCourseTable) {
        const auto file = folder_.path() / "Course.dll";
        sqlite3* made = nullptr;
        ASSERT_EQ(sqlite3_open(file.c_str(), &made), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(made, (table + rows).c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(made);
        std::string error;
        ASSERT_TRUE(database_.Open(file, error)) << error;
        view_ = std::make_unique<QTreeView>();
        view_->resize(640, 400);
        view_->show();
        CourseTreeHooks hooks;
        hooks.open_course = [this](const std::string& id) { opened_.push_back(id); };
        hooks.queue_course = [this](int id) { queued_.push_back(id); };
        hooks.show_box = [this](const QString& text, const QString& caption) {
            boxes_.push_back(caption + "|" + text);
        };
        hooks.log = [this](const std::string& line) { log_.push_back(line); };
        hooks.show_menu = [this](QPoint) { ++menus_; };
        tree_ = new CourseTree(view_.get(), folder_.path(), queries_, std::move(hooks));
        built_ = tree_->Build();
    }

    gui::TemplateTree& Items() const { return tree_->tree(); }
    std::vector<int> Children(int parent) const {
        std::vector<int> items;
        for (int item = Items().FirstChild(parent); item != kNoItem;
             item = Items().NextSibling(item))
            items.push_back(item);
        return items;
    }
    QString Image(const char* relative) const {
        return QString::fromStdString((folder_.path() / relative).string());
    }
    // The label of `item`'s row that shows `column`, after the rows in view were built.
    QWidget* RowObject(int item, const char* column) {
        Items().RefreshNow();
        QTest::qWait(1);  // rows take their places in the view
        QWidget* row = Items().RowWidget(item);
        if (row == nullptr)
            return nullptr;
        for (QWidget* object : row->findChildren<QWidget*>()) {
            if (object->property("column").toString() == column)
                return object;
        }
        return nullptr;
    }

    TempFolder folder_;
    std::unique_ptr<QTreeView> view_;
    CourseDatabase database_;
    CatalogueQueries queries_{database_, [this](const std::string& label, const std::string&) {
                                  boxes_.push_back(QString::fromStdString(label) + "|db");
                              }};
    CourseTree* tree_ = nullptr;  // owned by the view
    bool built_ = false;
    std::vector<std::string> opened_;
    std::vector<int> queued_;
    std::vector<QString> boxes_;
    std::vector<std::string> log_;
    int menus_ = 0;
};

TEST_F(CourseTreeTest, EachCourseShowsItsNameLevelStarsAndCompletionUnderItsTypesGroup) {
    Build(kTwoTypes);
    ASSERT_TRUE(built_);
    const auto groups = Children(kRootItem);
    ASSERT_EQ(groups.size(), 2U);
    EXPECT_EQ(Items().Text(groups[0], "name"), "财会[2门课程]");
    EXPECT_EQ(Items().Text(groups[1], "name"), "设计[1门课程]");
    const auto courses = Children(groups[0]);
    ASSERT_EQ(courses.size(), 2U);
    ASSERT_EQ(Children(groups[1]).size(), 1U);

    struct Expected {
        int item;
        const char* name;
        const char* id;
        int lit;  // stars lit; an unknown level lights none
        const char* completion;
        const char* completion_image;
    };
    const Expected expected[] = {
        {courses[0], "会计入门", "7", 1, "已完结", "IMAGE/MainW/Finish.png"},
        {courses[1], "O'Reilly; DROP", "8", 3, "未完结", "IMAGE/MainW/unFinish.png"},
        {Children(groups[1])[0], "色彩", "9", 0, "未完结", "IMAGE/MainW/unFinish.png"},
    };
    for (const Expected& course : expected) {
        SCOPED_TRACE(course.name);
        EXPECT_EQ(Items().Text(course.item, "name2"), course.name);
        EXPECT_EQ(Items().Text(course.item, "id"), course.id);
        EXPECT_EQ(Items().Text(course.item, "name6"), "级别:");
        EXPECT_EQ(Items().Text(course.item, "name10"), course.completion);
        EXPECT_EQ(Items().ImagePath(course.item, "name8"), Image(course.completion_image));
        const char* stars[] = {"name3", "name4", "name5"};
        for (int star = 0; star < 3; ++star) {
            EXPECT_EQ(
                Items().ImagePath(course.item, stars[star]),
                Image(star < course.lit ? "IMAGE/MainW/grade_2.png" : "IMAGE/MainW/grade_1.png"));
        }
    }
    EXPECT_EQ(Items().Text(courses[0], "name7"), "初级");
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(CourseTreeTest, ABuildEndsWhereTheCatalogueFailsAndKeepsTheGroupsFilledBefore) {
    struct Case {
        const char* name;
        std::string table;
        std::string rows;
        std::vector<QString> boxes;
        std::string log;
        std::size_t groups;
    };
    const std::string full_table = kCourseTable;
    const Case cases[] = {
        {"a type without courses",
         full_table,
         std::string("INSERT INTO t_lesontype VALUES ('财会'), ('空'), ('设计');") + kCourses,
         {"读取列表失败|读取列表失败1"},
         "SELECT FCourseid FROM t_course WHERE Ftype='空'",
         1},
        {"no course types",
         full_table,
         "",
         {"读取列表失败|读取列表失败"},
         "读取Coruse列表失败 需要回调数据库",
         0},
        {"a picture column the table lacks",
         "CREATE TABLE t_course (FCourseid INTEGER, Fcoursename TEXT, Ftype TEXT,"
         " Fiscomplete TEXT, Flevel TEXT); CREATE TABLE t_lesontype (Fname TEXT);",
         "INSERT INTO t_lesontype VALUES ('财会');"
         "INSERT INTO t_course VALUES (7, '会计入门', '财会', '1', '初级');",
         {"SqlTY|db", "读取列表失败|读取列表失败2"},
         "SELECT Fcourseimg FROM t_course WHERE Ftype='财会'",
         0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        boxes_.clear();
        log_.clear();
        database_.Close();
        std::filesystem::remove(folder_.path() / "Course.dll");
        Build(test.rows, test.table.c_str());
        EXPECT_FALSE(built_);
        EXPECT_EQ(boxes_, test.boxes);
        ASSERT_EQ(log_.size(), 1U);
        EXPECT_EQ(log_[0], test.log);
        EXPECT_EQ(Children(kRootItem).size(), test.groups);
    }
}

TEST_F(CourseTreeTest, ThePictureListNamesTheUncachedCoursesFromOneAndIsRebuiltEachBuild) {
    folder_.Write("data/lesson/Updata.ini", "[Courselist]\n1=old course\n9=stale\n");
    folder_.Write("data/lesson/img/or.png", "a cached picture");
    Build(kTwoTypes);
    const auto groups = Children(kRootItem);
    const int first = Children(groups[0])[0];
    const int cached = Children(groups[0])[1];
    const int third = Children(groups[1])[0];

    const auto list = ReadPictureList(folder_.path() / kPictureListFile);
    ASSERT_EQ(list.size(), 2U);
    EXPECT_EQ(list[0].name, "会计入门");
    EXPECT_EQ(list[0].item, first);
    EXPECT_EQ(list[1].name, "色彩");
    EXPECT_EQ(list[1].item, third);
    EXPECT_EQ(tree_->PictureOf(first), Image("IMAGE/MainW/lessonpicIsloading.png"));
    EXPECT_EQ(tree_->PictureOf(cached), Image("data/lesson/img/or.png"));
}

TEST_F(CourseTreeTest, SelectingAGroupTogglesItAndLeavesNothingSelected) {
    Build(kTwoTypes);
    const int group = Children(kRootItem)[0];
    Items().RefreshNow();
    for (const bool expanded : {true, false, true}) {
        Items().Select(group);
        EXPECT_EQ(Items().IsExpanded(group), expanded);
        EXPECT_EQ(Items().Selected(), kNoItem);
        Items().RefreshNow();
        // The group's arrow shows its state.
        const auto* arrow =
            qobject_cast<QAbstractButton*>(gui::FindElement(Items().RowWidget(group), 1));
        ASSERT_NE(arrow, nullptr);
        EXPECT_EQ(arrow->isChecked(), expanded);
    }
}

TEST_F(CourseTreeTest, ARightClickSelectsTheCourseUnderTheCursorAndTheMenuActsOnIt) {
    Build(kTwoTypes);
    const int group = Children(kRootItem)[0];
    Items().Expand(group, true);
    const auto courses = Children(group);
    Items().Select(courses[0]);
    QWidget* name = RowObject(courses[1], "name2");
    ASSERT_NE(name, nullptr);
    QTest::mousePress(name, Qt::RightButton);
    QTest::mouseRelease(name, Qt::RightButton);
    EXPECT_EQ(Items().Selected(), courses[1]);
    EXPECT_EQ(menus_, 1);
    tree_->RunMenuCommand(kMenuCacheCourse);
    tree_->RunMenuCommand(kMenuWatchOnline);
    EXPECT_EQ(queued_, std::vector<int>{8});
    EXPECT_EQ(opened_, std::vector<std::string>{"8"});

    // On a group or below the last row: no menu, and the group does not toggle.
    const QPoint below(10, view_->viewport()->height() - 2);
    for (QWidget* target : {RowObject(group, "name"), view_->viewport()}) {
        const QPoint at = target == view_->viewport() ? below : QPoint(2, 2);
        QTest::mousePress(target, Qt::RightButton, {}, at);
        QTest::mouseRelease(target, Qt::RightButton, {}, at);
    }
    EXPECT_EQ(menus_, 1);
    EXPECT_TRUE(Items().IsExpanded(group));
    EXPECT_EQ(Items().Selected(), courses[1]);
}

TEST_F(CourseTreeTest, MenuCommandsOnACourseWithoutAUsableIdOnlyLog) {
    Build(kTwoTypes);
    const int group = Children(kRootItem)[0];
    const int course = Children(group)[0];
    Items().Expand(group, true);
    Items().Select(course);
    struct Case {
        const char* id;
        int command;
        const char* log;
    };
    const Case cases[] = {
        {"0", kMenuCacheCourse, "OnMainWndMenuSelect202  id erro"},
        {"abc", kMenuCacheCourse, "OnMainWndMenuSelect202  id erro"},
        {"", kMenuCacheCourse, "OnMainWndMenuSelect202  id erro"},
        {"", kMenuWatchOnline, "OnMainWndMenuSelect201 id erro"},
    };
    for (const Case& test : cases) {
        log_.clear();
        Items().SetText(course, "id", test.id);
        tree_->RunMenuCommand(test.command);
        EXPECT_EQ(log_, std::vector<std::string>{test.log}) << test.id;
    }
    EXPECT_TRUE(queued_.empty());
    EXPECT_TRUE(opened_.empty());
}

TEST_F(CourseTreeTest, ADoubleClickOnACourseOpensItOnceAndOnAGroupNothing) {
    Build(kTwoTypes);
    const int group = Children(kRootItem)[0];
    Items().Expand(group, true);
    const int course = Children(group)[1];
    QTest::mouseDClick(RowObject(course, "name2"), Qt::LeftButton);
    EXPECT_EQ(opened_, std::vector<std::string>{"8"});
    QTest::mouseDClick(RowObject(group, "name"), Qt::LeftButton);
    EXPECT_EQ(opened_.size(), 1U);
}

TEST_F(CourseTreeTest, AFetchedPictureIsShownOnlyOnACourseThatStillExists) {
    Build(kTwoTypes);
    const int group = Children(kRootItem)[0];
    const int course = Children(group)[0];
    const auto picture = folder_.Write("data/lesson/img/kj.png", "picture");
    tree_->ShowPicture(group, picture);
    tree_->ShowPicture(99999, picture);
    EXPECT_TRUE(Items().ImagePath(group, "name9").isEmpty());
    tree_->ShowPicture(course, picture);
    EXPECT_EQ(tree_->PictureOf(course), QString::fromStdString(picture.string()));
}

}  // namespace
}  // namespace tessal::client
