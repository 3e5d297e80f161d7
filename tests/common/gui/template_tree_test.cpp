// A tree of templated rows builds only the rows in view, fills them from their columns,
// follows scrolling, expanding and selection, and lets its window choose and finish rows.

#include "common/gui/template_tree.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QScrollBar>
#include <QTreeView>
#include <set>
#include <vector>

#include "common/gui/element_events.h"
#include "common/gui/elements.h"
#include "common/gui/toolkit_codes.h"
#include "tests/support/temp_folder.h"

namespace tessal::gui {
namespace {

std::string RowTemplate(const std::string& name) {
    return R"(<?xml version="1.0" encoding="UTF-8"?><ui version="4.0"><widget class="QWidget" name=")" +
           name + R"("><layout class="QHBoxLayout" name="l">
  <item><widget class="QLabel" name="title"><property name="id" stdset="0"><number>2</number></property>
   <property name="column" stdset="0"><string>name2</string></property></widget></item>
  <item><widget class="QLabel" name="picture"><property name="column" stdset="0"><string>name9</string></property></widget></item>
 </layout></widget></ui>)";
}

class TemplateTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        view_.resize(400, 300);
        tree_ = new TemplateTree(&view_);
        for (const char* column : {"name", "name2", "name9", "id"})
            tree_->AddColumn(column);
        tree_->SetItemTemplate(Template("item.xml", "item"));
        tree_->SetSelectedItemTemplate(Template("selected.xml", "selected"));
        tree_->SetItemHeights(30, 48);
        view_.show();
    }
    QString Template(const char* file, const std::string& name) {
        return QString::fromStdString(folder_.Write(file, RowTemplate(name)).string());
    }
    QString Title(int item) const {
        QWidget* row = tree_->RowWidget(item);
        auto* label = row ? row->findChild<QLabel*>("title") : nullptr;
        return label ? label->text() : "<no row>";
    }
    std::vector<int> AddCourses(int parent, int count) {
        std::vector<int> items;
        for (int i = 1; i <= count; ++i) {
            items.push_back(tree_->InsertItem(parent));
            tree_->SetText(items.back(), "name2", QString("课程 %1").arg(i));
        }
        return items;
    }

    TempFolder folder_;
    QTreeView view_;
    TemplateTree* tree_ = nullptr;
};

TEST_F(TemplateTreeTest, OnlyTheRowsInViewAreBuiltAndScrollingMovesThem) {
    const auto items = AddCourses(kRootItem, 1000);
    std::set<int> finished;
    RegisterEvent(&view_, kEventTreeTemplateCreated, [&](EventArgs& args) {
        EXPECT_NE(args.object, nullptr);
        finished.insert(args.key);
    });
    tree_->RefreshNow();
    const int in_view = view_.viewport()->height() / 30 + 1;
    EXPECT_LE(tree_->BuiltRows(), in_view);
    EXPECT_GE(tree_->BuiltRows(), in_view - 1);
    EXPECT_EQ(Title(items.front()), "课程 1");
    EXPECT_EQ(Title(items[500]), "<no row>");

    view_.verticalScrollBar()->setValue(view_.verticalScrollBar()->maximum());
    tree_->RefreshNow();
    EXPECT_EQ(Title(items.back()), "课程 1000");
    EXPECT_EQ(Title(items.front()), "<no row>");
    EXPECT_LE(tree_->BuiltRows(), in_view);
    EXPECT_TRUE(finished.count(items.back()));
    EXPECT_LT(finished.size(), 30U);
}

// Rows reuse the small ids of their window's own elements: a lookup from the window
// finds the window's element, one from the row finds the row's.
TEST_F(TemplateTreeTest, AWindowsElementIsFoundPastTheRowsThatReuseItsId) {
    const auto items = AddCourses(kRootItem, 3);
    tree_->RefreshNow();
    QWidget window;
    view_.setParent(&window);  // the view comes first in the window's children
    auto* own = new QLabel(&window);
    own->setProperty("id", 2);
    EXPECT_EQ(FindElement(&window, 2), own);
    QWidget* row = tree_->RowWidget(items.front());
    EXPECT_NE(row, nullptr);
    EXPECT_NE(FindElement(row, 2), nullptr);
    EXPECT_NE(FindElement(row, 2), own);
    view_.setParent(nullptr);  // the fixture's own, not the window's to delete
}

TEST_F(TemplateTreeTest, RowsThatLeaveTheViewAreReusedAndShowNothingOfTheirLastItem) {
    const auto items = AddCourses(kRootItem, 200);
    tree_->SetImageFile(items[0], "name9", "nothing-here.png");
    tree_->RefreshNow();
    const std::size_t first_page = static_cast<std::size_t>(tree_->BuiltRows());
    QWidget* first_row = tree_->RowWidget(items[0]);
    auto* first_picture = first_row->findChild<QLabel*>("picture");
    first_picture->setText("left over");
    std::set<QWidget*> made{first_row};
    std::vector<int> finished;
    std::vector<QString> first_row_shown;  // title and picture text, as each item came
    RegisterEvent(&view_, kEventTreeTemplateCreated, [&](EventArgs& args) {
        made.insert(args.object);
        finished.push_back(args.key);
        EXPECT_EQ(args.object->property(kRowItemProperty).toInt(), args.key);
        if (args.object == first_row)
            first_row_shown.push_back(Title(args.key) + "|" + first_picture->text());
    });
    QApplication::processEvents();  // the view lays its items out

    // Page by page to the end: a few pages of rows carry every later one.
    QScrollBar* bar = view_.verticalScrollBar();
    const int page = std::max(1, bar->pageStep() - 1);  // no row skipped
    for (int value = 0; value < bar->maximum() + page; value += page) {
        bar->setValue(value);
        tree_->RefreshNow();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(Title(items.back()), "课程 200");
    EXPECT_EQ(finished.size() + first_page, items.size());
    EXPECT_LT(made.size(), 4U * static_cast<std::size_t>(page) + 4);
    // The first row came back for other courses and showed nothing of the first one.
    ASSERT_FALSE(first_row_shown.empty());
    for (const QString& shown : first_row_shown) {
        EXPECT_FALSE(shown.startsWith("课程 1|")) << shown.toStdString();
        EXPECT_TRUE(shown.endsWith("|")) << shown.toStdString();
    }
}

TEST_F(TemplateTreeTest, AHugePictureIsShownFromASmallCopy) {
    const auto items = AddCourses(kRootItem, 2);
    QImage huge(3000, 1500, QImage::Format_RGB32);
    huge.fill(Qt::darkGreen);
    const QString file = QString::fromStdString((folder_.path() / "huge.png").string());
    ASSERT_TRUE(huge.save(file));
    for (const int item : items)
        tree_->SetImageFile(item, "name9", file);
    tree_->RefreshNow();
    for (const int item : items) {
        const QPixmap shown = tree_->RowWidget(item)->findChild<QLabel*>("picture")->pixmap();
        EXPECT_EQ(shown.size(), QSize(512, 256));
    }
}

TEST_F(TemplateTreeTest, GroupsChooseTheirTemplateAndChildrenAreBuiltOnlyWhenExpanded) {
    const QString group_template = Template("group.xml", "group");
    const int group = tree_->InsertItem(kRootItem);
    tree_->SetText(group, "name2", "编程开发[3门课程]");
    const auto courses = AddCourses(group, 3);
    RegisterEvent(&view_, kEventTreeTemplateChoose, [&](EventArgs& args) {
        if (tree_->FirstChild(args.key) != kNoItem)
            args.text = group_template;
    });
    tree_->RefreshNow();
    EXPECT_EQ(tree_->RowWidget(group)->objectName(), "group");
    EXPECT_EQ(Title(group), "编程开发[3门课程]");
    EXPECT_EQ(tree_->BuiltRows(), 1);

    tree_->Expand(group, true);
    tree_->RefreshNow();
    EXPECT_TRUE(tree_->IsExpanded(group));
    EXPECT_EQ(tree_->BuiltRows(), 4);
    EXPECT_EQ(tree_->RowWidget(courses[0])->objectName(), "item");

    EXPECT_EQ(tree_->FirstChild(kRootItem), group);
    EXPECT_EQ(tree_->FirstChild(group), courses[0]);
    EXPECT_EQ(tree_->NextSibling(courses[0]), courses[1]);
    EXPECT_EQ(tree_->NextSibling(courses[2]), kNoItem);
    EXPECT_EQ(tree_->FirstChild(courses[0]), kNoItem);

    tree_->Expand(group, false);
    tree_->RefreshNow();
    EXPECT_EQ(tree_->BuiltRows(), 1);
}

TEST_F(TemplateTreeTest, TheSelectedRowUsesItsOwnTemplateAndHeight) {
    const auto items = AddCourses(kRootItem, 5);
    std::vector<int> selected;
    RegisterEvent(&view_, kEventTreeSelect, [&](EventArgs& args) { selected.push_back(args.key); });
    tree_->RefreshNow();
    tree_->Select(items[1]);
    tree_->RefreshNow();
    EXPECT_EQ(tree_->Selected(), items[1]);
    EXPECT_EQ(tree_->RowWidget(items[1])->objectName(), "selected");
    EXPECT_EQ(tree_->RowWidget(items[0])->objectName(), "item");
    QApplication::processEvents();
    EXPECT_EQ(tree_->HitTest(QPoint(5, 30 + 47)), items[1]);  // 48 high from y 30
    EXPECT_EQ(tree_->HitTest(QPoint(5, 30 + 48)), items[2]);

    tree_->Select(items[2]);
    tree_->RefreshNow();
    EXPECT_EQ(tree_->RowWidget(items[1])->objectName(), "item");
    EXPECT_EQ(tree_->RowWidget(items[2])->objectName(), "selected");
    EXPECT_EQ(selected, (std::vector<int>{items[1], items[2]}));
}

TEST_F(TemplateTreeTest, CellsChangedLaterReachABuiltRowAtOnce) {
    const auto items = AddCourses(kRootItem, 2);
    tree_->RefreshNow();
    tree_->SetText(items[0], "name2", "Python 数据分析实战");
    EXPECT_EQ(Title(items[0]), "Python 数据分析实战");
    EXPECT_EQ(tree_->Text(items[0], "name2"), "Python 数据分析实战");
    QPixmap picture(16, 16);
    picture.fill(Qt::red);
    tree_->SetImage(items[0], "name9", picture);
    auto* label = tree_->RowWidget(items[0])->findChild<QLabel*>("picture");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->pixmap().toImage().pixelColor(2, 2), QColor(Qt::red));
    tree_->SetText(items[0], "unknown", "x");  // not a column: ignored
    EXPECT_EQ(tree_->Text(items[0], "unknown"), "");
    EXPECT_EQ(tree_->InsertItem(9999), kNoItem);
}

}  // namespace
}  // namespace tessal::gui
