// Every layout the client loads at start-up, in the settings window and in the course
// tree: it loads, and every element ID the client looks up is there exactly once with
// the widget class the client's code expects.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLayout>
#include <QLineEdit>
#include <QTreeView>
#include <utility>
#include <vector>

#include "tests/data/installation_data.h"

namespace tessal::test {
namespace {

struct ExpectedElement {
    int id;
    const char* widget_class;
};

using ElementTable = std::vector<ExpectedElement>;

const ElementTable kLoginElements = {
    {2, "QLabel"},        {3, "QLineEdit"},    {4, "QLineEdit"},     {5, "QCheckBox"},
    {6, "QCheckBox"},     {7, "QLabel"},       {8, "QLabel"},        {9, "QPushButton"},
    {10, "QPushButton"},  {11, "QPushButton"}, {12, "QPushButton"},  {13, "QPushButton"},
    {14, "QLabel"},       {15, "QLabel"},      {16, "QWidget"},      {17, "QPushButton"},
    {18, "QWidget"},      {19, "QWidget"},     {20, "QRadioButton"}, {21, "QRadioButton"},
    {22, "QRadioButton"}, {23, "QPushButton"}, {24, "QPushButton"},  {25, "QPushButton"},
    {26, "QPushButton"},
};

const ElementTable kMainElements = {
    {1, "QLabel"},       {2, "QPushButton"},  {3, "QPushButton"},  {4, "QPushButton"},
    {5, "QLabel"},       {6, "QLabel"},       {7, "QPushButton"},  {8, "QLabel"},
    {9, "QLabel"},       {12, "QPushButton"}, {13, "QPushButton"}, {16, "QTreeView"},
    {17, "QPushButton"}, {18, "QPushButton"}, {19, "QPushButton"}, {22, "QWidget"},
};

const ElementTable kSettingsElements = {
    {1, "QRadioButton"}, {2, "QRadioButton"}, {3, "QRadioButton"}, {4, "QPushButton"},
    {5, "QPushButton"},  {6, "QPushButton"},  {7, "QLineEdit"},
};

const ElementTable kCourseItemElements = {
    {1, "QWidget"}, {2, "QLabel"}, {3, "QLabel"}, {4, "QLabel"}, {5, "QLabel"},
    {6, "QLabel"},  {7, "QLabel"}, {8, "QLabel"}, {9, "QLabel"}, {10, "QLabel"},
};

const ElementTable kGroupItemElements = {{1, "QPushButton"}, {2, "QLabel"}};

void ExpectElements(const QString& layout, const ElementTable& expected) {
    QString error;
    const std::unique_ptr<QWidget> root = LoadLayout(layout, error);
    ASSERT_NE(root, nullptr) << error.toStdString();
    const auto found = WidgetsById(root.get());
    for (const ExpectedElement& element : expected) {
        const auto it = found.find(element.id);
        ASSERT_NE(it, found.end()) << layout.toStdString() << ": no element " << element.id;
        ASSERT_EQ(it->second.size(), 1u)
            << layout.toStdString() << ": element " << element.id << " is there more than once";
        EXPECT_STREQ(it->second.front()->metaObject()->className(), element.widget_class)
            << layout.toStdString() << ": element " << element.id;
    }
}

TEST(LayoutTest, EveryWindowHasEachElementOnceWithItsClass) {
    ExpectElements("Layout/layout.xml", kLoginElements);
    ExpectElements("Layout/layout_main.xml", kMainElements);
    ExpectElements("Layout/SetWnd.xml", kSettingsElements);
    ExpectElements("Layout/Tree_Item_Lesson.xml", kCourseItemElements);
    ExpectElements("Layout/Tree_Item_Lesson_sel.xml", kCourseItemElements);
    ExpectElements("Layout/Tree_Item_group.xml", kGroupItemElements);
}

// The client fills template objects from the tree's columns by this property.
TEST(LayoutTest, CourseItemObjectsNameTheirColumns) {
    const std::vector<std::pair<int, const char*>> columns = {
        {2, "name2"}, {3, "name6"}, {4, "name3"},  {5, "name4"}, {6, "name5"},
        {7, "name7"}, {8, "name8"}, {9, "name10"}, {10, "name9"}};
    for (const char* layout : {"Layout/Tree_Item_Lesson.xml", "Layout/Tree_Item_Lesson_sel.xml"}) {
        QString error;
        const std::unique_ptr<QWidget> item = LoadLayout(layout, error);
        ASSERT_NE(item, nullptr) << error.toStdString();
        for (const auto& [id, column] : columns) {
            QWidget* object = Element(item.get(), id);
            ASSERT_NE(object, nullptr) << layout << ": object " << id;
            EXPECT_EQ(object->property("column").toString(), column) << layout << ": " << id;
        }
    }
}

TEST(LayoutTest, LoginHeadPictureStartsWhereTheSlideBegins) {
    QString error;
    const std::unique_ptr<QWidget> login = LoadLayout("Layout/layout.xml", error);
    ASSERT_NE(login, nullptr) << error.toStdString();
    EXPECT_EQ(login->size(), QSize(430, 330));
    login->show();
    QWidget* head = Element(login.get(), 2);
    QWidget* slider = Element(login.get(), 16);
    ASSERT_NE(head, nullptr);
    ASSERT_NE(slider, nullptr);
    // The logging-in animation widens 16 and pads it on the left: 2 must move with it.
    EXPECT_EQ(head->parentWidget(), slider);
    ASSERT_NE(slider->layout(), nullptr);
    EXPECT_EQ(slider->layout()->contentsMargins(), QMargins());
    EXPECT_EQ(QRect(head->mapTo(login.get(), QPoint()), head->size()), QRect(22, 185, 80, 80));
    slider->resize(500, 80);
    slider->layout()->setContentsMargins(129, 0, 0, 0);
    slider->layout()->activate();
    EXPECT_EQ(head->geometry(), QRect(129, 0, 80, 80));
    login->close();
}

TEST(LayoutTest, FieldsAndChoicesBehaveAsTheClientNeeds) {
    QString error;
    const std::unique_ptr<QWidget> login = LoadLayout("Layout/layout.xml", error);
    const std::unique_ptr<QWidget> settings = LoadLayout("Layout/SetWnd.xml", error);
    ASSERT_NE(login, nullptr) << error.toStdString();
    ASSERT_NE(settings, nullptr) << error.toStdString();
    auto* password = qobject_cast<QLineEdit*>(Element(login.get(), 4));
    ASSERT_NE(password, nullptr);
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    // Radio buttons exclude each other only among siblings: one choice per group.
    for (const auto& [root, first] : {std::pair{login.get(), 20}, std::pair{settings.get(), 1}}) {
        QWidget* parent = Element(root, first)->parentWidget();
        for (int id = first; id < first + 3; ++id) {
            auto* choice = qobject_cast<QAbstractButton*>(Element(root, id));
            ASSERT_NE(choice, nullptr);
            EXPECT_EQ(choice->parentWidget(), parent) << id;
            EXPECT_TRUE(choice->autoExclusive()) << id;
        }
    }
    // The channel panel replaces the form only when asked for.
    EXPECT_FALSE(Element(login.get(), 19)->isVisibleTo(login.get()));
    EXPECT_TRUE(Element(login.get(), 18)->isVisibleTo(login.get()));
    EXPECT_EQ(settings->windowTitle(), QStringLiteral("客户端设置"));
}

TEST(LayoutTest, MainWindowResizesAndHostsTheWebViewWithoutMargins) {
    QString error;
    const std::unique_ptr<QWidget> main_window = LoadLayout("Layout/layout_main.xml", error);
    ASSERT_NE(main_window, nullptr) << error.toStdString();
    EXPECT_EQ(main_window->size(), QSize(1000, 680));
    EXPECT_LT(main_window->minimumWidth(), main_window->maximumWidth());
    EXPECT_LT(main_window->minimumHeight(), main_window->maximumHeight());
    QWidget* holder = Element(main_window.get(), 22);
    ASSERT_NE(holder, nullptr);
    ASSERT_NE(qobject_cast<QVBoxLayout*>(holder->layout()), nullptr);
    EXPECT_EQ(holder->layout()->contentsMargins(), QMargins());
    auto* tree = qobject_cast<QTreeView*>(Element(main_window.get(), 16));
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    // The tree takes the height the window gains.
    main_window->show();
    const int tree_height = tree->height();
    main_window->resize(1000, 800);
    main_window->layout()->activate();
    EXPECT_EQ(tree->height(), tree_height + 120);
    main_window->close();
}

}  // namespace
}  // namespace tessal::test
