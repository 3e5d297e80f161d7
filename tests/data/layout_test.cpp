// Every layout the client loads at start-up, in the settings window, in the course tree,
// in the download center and for push messages: it loads, and every element ID the client looks up
// is there exactly once with the widget class the client's code expects.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTreeView>
#include <map>
#include <utility>
#include <vector>

#include "tests/data/installation_data.h"

namespace tessal::test {
namespace {

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

const ElementTable kDownloadCenterElements = {
    {1, "QPushButton"}, {2, "QPushButton"}, {4, "QPushButton"},  {7, "QTreeView"},
    {8, "QTreeView"},   {9, "QPushButton"}, {10, "QPushButton"}, {11, "QPushButton"},
};

const ElementTable kDownloadingItemElements = {
    {1, "QPushButton"}, {2, "QLabel"},      {3, "QProgressBar"}, {4, "QLabel"},
    {5, "QPushButton"}, {6, "QPushButton"}, {8, "QLabel"},
};

const ElementTable kFinishedItemElements = {
    {1, "QPushButton"}, {2, "QLabel"},      {3, "QLabel"},      {4, "QLabel"},
    {5, "QLabel"},      {6, "QPushButton"}, {7, "QPushButton"}, {9, "QLabel"},
};

const ElementTable kClearListElements = {
    {1, "QPushButton"}, {2, "QPushButton"}, {3, "QPushButton"}};

const ElementTable kTextPopupElements = {{1, "QLabel"}, {2, "QLabel"}, {3, "QPushButton"}};

const ElementTable kPicturePopupElements = {
    {1, "QLabel"}, {2, "QLabel"}, {3, "QPushButton"}, {4, "QLabel"}};

const ElementTable kCustomPopupElements = {{3, "QPushButton"}, {4, "QWidget"}};

const ElementTable kMessageManagerElements = {
    {1, "QPushButton"}, {2, "QPushButton"}, {5, "QTreeView"}, {7, "QPushButton"},
    {8, "QPushButton"}, {9, "QCheckBox"},   {10, "QLabel"},
};

const ElementTable kManagerItemElements = {{1, "QLabel"}, {2, "QLabel"}, {3, "QLabel"}};

constexpr const char* kDownloadCenter = "Layout/DownLoad/Tessal_Download.xml";
constexpr const char* kDownloadingItem = "Layout/DownLoad/DownLoad_IsLoading.xml";
constexpr const char* kFinishedItem = "Layout/DownLoad/DownLoad_Finish.xml";
constexpr const char* kClearList = "Layout/DownLoad/CleanLoad.xml";

TEST(LayoutTest, EveryWindowHasEachElementOnceWithItsClass) {
    ExpectElements("Layout/layout.xml", kLoginElements);
    ExpectElements("Layout/layout_main.xml", kMainElements);
    ExpectElements("Layout/SetWnd.xml", kSettingsElements);
    ExpectElements("Layout/Tree_Item_Lesson.xml", kCourseItemElements);
    ExpectElements("Layout/Tree_Item_Lesson_sel.xml", kCourseItemElements);
    ExpectElements("Layout/Tree_Item_group.xml", kGroupItemElements);
    ExpectElements(kDownloadCenter, kDownloadCenterElements);
    ExpectElements(kDownloadingItem, kDownloadingItemElements);
    ExpectElements(kFinishedItem, kFinishedItemElements);
    ExpectElements(kClearList, kClearListElements);
    ExpectElements("Layout/Tessal_PushWindow1.xml", kTextPopupElements);
    ExpectElements("Layout/Tessal_PushWindow2.xml", kPicturePopupElements);
    ExpectElements("Layout/Tessal_PushWindow3.xml", kCustomPopupElements);
    ExpectElements("Layout/MessageManager.xml", kMessageManagerElements);
    ExpectElements("Layout/ManagerList.xml", kManagerItemElements);
}

// The client fills template objects from the tree's columns by this property: each
// column is shown by the object the client expects, and by no other.
TEST(LayoutTest, TemplateObjectsNameTheirColumns) {
    using Columns = std::map<int, QString>;
    const Columns course = {{2, "name2"}, {3, "name6"}, {4, "name3"},  {5, "name4"}, {6, "name5"},
                            {7, "name7"}, {8, "name8"}, {9, "name10"}, {10, "name9"}};
    const std::pair<const char*, Columns> templates[] = {
        {"Layout/Tree_Item_Lesson.xml", course},
        {"Layout/Tree_Item_Lesson_sel.xml", course},
        {kDownloadingItem, {{1, "name"}, {2, "name2"}, {4, "name3"}, {8, "rate"}}},
        {kFinishedItem, {{9, "name"}, {2, "name2"}, {3, "name3"}, {4, "name4"}, {5, "name5"}}},
        {"Layout/ManagerList.xml", {{1, "name"}, {2, "name2"}, {3, "name3"}}},
    };
    for (const auto& [layout, expected] : templates) {
        QString error;
        const std::unique_ptr<QWidget> item = LoadLayout(layout, error);
        ASSERT_NE(item, nullptr) << error.toStdString();
        Columns found;
        for (QWidget* object : item->findChildren<QWidget*>()) {
            const QString column = object->property("column").toString();
            if (!column.isEmpty())
                found[object->property("id").toInt()] = column;
        }
        EXPECT_EQ(found, expected) << layout;
    }
}

// A style sheet's relative image is read from the program folder; a misspelt one shows
// nothing and says nothing, so every name must be an installed file.
TEST(LayoutTest, StyleSheetImagesAreInstalled) {
    const QRegularExpression url(QStringLiteral(R"re(url\(\s*"?([^")]+)"?\s*\))re"));
    QDirIterator layouts(InstallationFile("Layout"), {"*.xml"}, QDir::Files,
                         QDirIterator::Subdirectories);
    int images = 0;
    while (layouts.hasNext()) {
        QFile file(layouts.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
        const QString text = QString::fromUtf8(file.readAll());
        for (const QRegularExpressionMatch& match : url.globalMatch(text)) {
            ++images;
            EXPECT_TRUE(QFileInfo(InstallationFile(match.captured(1))).isFile())
                << file.fileName().toStdString() << " names " << match.captured(1).toStdString();
        }
    }
    EXPECT_GT(images, 0);
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

std::unique_ptr<QWidget> Shown(const char* layout) {
    QString error;
    std::unique_ptr<QWidget> root = LoadLayout(layout, error);
    EXPECT_NE(root, nullptr) << error.toStdString();
    if (root) {
        root->show();
        root->layout()->activate();
    }
    return root;
}

TEST(LayoutTest, DownloadCenterTabsAreExclusiveAndTheDownloadingOneIsChosen) {
    const std::unique_ptr<QWidget> window = Shown(kDownloadCenter);
    ASSERT_NE(window, nullptr);
    auto* downloading = qobject_cast<QAbstractButton*>(Element(window.get(), 1));
    auto* finished = qobject_cast<QAbstractButton*>(Element(window.get(), 2));
    ASSERT_TRUE(downloading && finished);
    EXPECT_TRUE(downloading->isChecked());
    EXPECT_FALSE(finished->isChecked());
    // Clicked in turn, and clicked again, one tab stays chosen.
    const std::pair<QAbstractButton*, QAbstractButton*> clicks[] = {
        {finished, downloading}, {finished, downloading}, {downloading, finished}};
    for (const auto& [clicked, other] : clicks) {
        clicked->click();
        EXPECT_TRUE(clicked->isChecked()) << clicked->text().toStdString();
        EXPECT_FALSE(other->isChecked()) << other->text().toStdString();
    }
    // The client hides the window on close itself; a role would close it behind its back.
    EXPECT_FALSE(Element(window.get(), 4)->property("role").isValid());
    window->close();
}

// One list at a time takes the whole area, and the list buttons, hidden on the finished
// tab, leave the tabs and the list where they were.
TEST(LayoutTest, DownloadCenterListsTakeTheSamePlace) {
    const std::unique_ptr<QWidget> window = Shown(kDownloadCenter);
    ASSERT_NE(window, nullptr);
    QWidget* root = window.get();
    auto* downloading = qobject_cast<QTreeView*>(Element(root, 7));
    auto* finished = qobject_cast<QTreeView*>(Element(root, 8));
    ASSERT_TRUE(downloading && finished);
    EXPECT_TRUE(downloading->isVisibleTo(root));
    EXPECT_FALSE(finished->isVisibleTo(root));
    const QRect list_place = downloading->geometry();
    const QRect tab_place = Element(root, 2)->geometry();
    EXPECT_GT(list_place.height(), root->height() / 2);
    struct View {
        bool finished_tab;
        QTreeView* shown;
        QTreeView* hidden;
    };
    for (const View& view :
         {View{true, finished, downloading}, View{false, downloading, finished}}) {
        view.hidden->hide();
        view.shown->show();
        for (int id : {9, 10, 11})
            Element(root, id)->setVisible(!view.finished_tab);
        root->layout()->activate();
        EXPECT_EQ(view.shown->geometry(), list_place) << view.finished_tab;
        EXPECT_EQ(Element(root, 2)->geometry(), tab_place) << view.finished_tab;
    }
    for (QTreeView* tree : {downloading, finished}) {
        EXPECT_TRUE(tree->isHeaderHidden());
        EXPECT_FALSE(tree->rootIsDecorated());
    }
    window->close();
}

// Rows are as high as the tree makes them; a row whose layout needs more is cut off.
TEST(LayoutTest, DownloadRowsFitTheirHeight) {
    for (const char* layout : {kDownloadingItem, kFinishedItem}) {
        const std::unique_ptr<QWidget> row = Shown(layout);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->height(), 60) << layout;
        EXPECT_LE(row->minimumSizeHint().height(), 60) << layout;
        row->close();
    }
    const std::unique_ptr<QWidget> downloading = Shown(kDownloadingItem);
    auto* bar = qobject_cast<QProgressBar*>(Element(downloading.get(), 3));
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->isTextVisible());
    EXPECT_TRUE(qobject_cast<QAbstractButton*>(Element(downloading.get(), 5))->isCheckable());
}

// The client gives the finished row's button 1 an opaque frame image: the picture must
// lie over it, inside its rim.
TEST(LayoutTest, FinishedRowPictureLiesInsideItsFrame) {
    const std::unique_ptr<QWidget> row = Shown(kFinishedItem);
    ASSERT_NE(row, nullptr);
    QWidget* frame = Element(row.get(), 1);
    auto* picture = qobject_cast<QLabel*>(Element(row.get(), 9));
    ASSERT_TRUE(frame && picture);
    ASSERT_EQ(frame->parentWidget(), picture->parentWidget());
    EXPECT_EQ(frame->size(), QSize(80, 45));
    EXPECT_EQ(picture->geometry(), frame->geometry().marginsRemoved(QMargins(2, 2, 2, 2)));
    EXPECT_TRUE(picture->hasScaledContents());
    const QObjectList stack = frame->parentWidget()->children();
    EXPECT_GT(stack.indexOf(picture), stack.indexOf(frame));
}

// Cancel and the close button end the box by their role; confirm leaves it to the client.
TEST(LayoutTest, ClearListBoxClosesOnCancelOnly) {
    const std::pair<int, bool> buttons[] = {{1, false}, {2, true}, {3, true}};
    for (const auto& [id, closes] : buttons) {
        const std::unique_ptr<QWidget> box = Shown(kClearList);
        ASSERT_NE(box, nullptr);
        auto* button = qobject_cast<QAbstractButton*>(Element(box.get(), id));
        ASSERT_NE(button, nullptr) << id;
        button->click();
        EXPECT_EQ(box->isVisible(), !closes) << id;
        box->close();
    }
}

}  // namespace
}  // namespace tessal::test
