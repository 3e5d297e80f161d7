// Renders every view of the client's windows, with their images set as the client sets
// them, into rendered/ in the build folder for review, and checks that no text of a
// visible element is cut off.

#include "tests/data/window_render.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QStandardItemModel>
#include <QTreeView>
#include <functional>
#include <map>

#include "tests/data/installation_data.h"

namespace tessal::test {
namespace {

void SetLoginImages(QWidget* login) {
    const QString dir = QStringLiteral("IMAGE/LOGIN/");
    SetButtonImages(Element(login, 9), dir + "login_1.PNG", dir + "login_2.PNG",
                    dir + "login_3.PNG");
    SetButtonImages(Element(login, 10), dir + "min1.jpg", dir + "min2.png", dir + "min3.png");
    SetButtonImages(Element(login, 11), dir + "close1.png", dir + "close2.png", dir + "close3.png");
    for (int id : {12, 13}) {
        SetButtonImages(Element(login, id), dir + "confirm_1.png", dir + "confirm_2.png",
                        dir + "confirm_1.png");
    }
    SetPicture(Element(login, 2), "IMAGE/MainW/headpic_default.png");
}

TEST(WindowRenderTest, LoginWindowViews) {
    const std::unique_ptr<QWidget> login = Load("Layout/layout.xml");
    ASSERT_NE(login, nullptr);
    QWidget* root = login.get();
    SetLoginImages(root);
    qobject_cast<QLineEdit*>(Element(root, 3))->setText(QStringLiteral("学员小李"));
    qobject_cast<QLineEdit*>(Element(root, 4))->setText(QStringLiteral("secret"));
    SaveRender(Render(root, "IMAGE/LOGIN/1.png"), "login_form");
    ExpectTextsFit(root, "login form");

    SetVisible(root, {19}, true);
    SetVisible(root, {18}, false);
    SaveRender(Render(root, "IMAGE/LOGIN/3.png"), "login_channel");
    ExpectTextsFit(root, "login channel panel");
    SetVisible(root, {19}, false);
    SetVisible(root, {18}, true);

    SetVisible(root, {3, 4, 7, 8, 6, 5, 12, 13}, false);
    SetButtonImages(Element(root, 9), "IMAGE/LOGIN/cancel_1.png", "IMAGE/LOGIN/cancel_2.png",
                    "IMAGE/LOGIN/cancel_1.png");
    QWidget* slider = Element(root, 16);
    slider->resize(500, slider->height());
    slider->layout()->setContentsMargins(129, 0, 0, 0);
    slider->layout()->activate();
    SaveRender(Render(root, "IMAGE/LOGIN/1.png"), "login_logging_in");

    SetVisible(root, {9, 2}, false);
    SetVisible(root, {12, 13}, true);
    SetText(Element(root, 14), QStringLiteral("uid获取失败,请联系Tessal技术人员"));
    SetText(Element(root, 15),
            QStringLiteral("如果您遇到无法解决的问题,请拨打Tessal热线: 400-800-1234"));
    SaveRender(Render(root, "IMAGE/LOGIN/2.png"), "login_failure");
    ExpectTextsFit(root, "login failure view");
    login->close();
}

void FillCourseItem(QWidget* item);

// Rows drawn from the item templates, as the tree shows them once the catalogue is built.
void FillSampleTree(QTreeView* tree) {
    auto* model = new QStandardItemModel(tree);
    tree->setModel(model);
    const QString groups[] = {QStringLiteral("编程开发[3门课程]"),
                              QStringLiteral("设计创意[2门课程]")};
    for (const QString& group : groups) {
        auto* group_item = new QStandardItem();
        group_item->setSizeHint(QSize(0, 32));
        model->appendRow(group_item);
        QString error;
        // The tree takes ownership of every row widget.
        QWidget* group_row = LoadLayout("Layout/Tree_Item_group.xml", error).release();
        ASSERT_NE(group_row, nullptr) << error.toStdString();
        SetButtonImages(Element(group_row, 1), "IMAGE/MainW/click1.png", "IMAGE/MainW/click1.png",
                        "IMAGE/MainW/click1.png");
        SetText(Element(group_row, 2), group);
        tree->setIndexWidget(group_item->index(), group_row);
        for (const char* layout :
             {"Layout/Tree_Item_Lesson_sel.xml", "Layout/Tree_Item_Lesson.xml"}) {
            auto* course = new QStandardItem();
            course->setSizeHint(QSize(0, QString(layout).contains("_sel") ? 48 : 30));
            group_item->appendRow(course);
            QWidget* course_row = LoadLayout(layout, error).release();
            ASSERT_NE(course_row, nullptr) << error.toStdString();
            FillCourseItem(course_row);
            tree->setIndexWidget(course->index(), course_row);
        }
    }
    tree->setIndentation(0);
    tree->expandAll();
}

TEST(WindowRenderTest, MainWindowAtItsTwoHeights) {
    const std::unique_ptr<QWidget> main_window = Load("Layout/layout_main.xml");
    ASSERT_NE(main_window, nullptr);
    QWidget* root = main_window.get();
    const QString dir = QStringLiteral("IMAGE/MainW/");
    SetPicture(Element(root, 1), dir + "logo.png");
    SetButtonImages(Element(root, 2), dir + "set1.png", dir + "set2.png", dir + "set1.png");
    SetButtonImages(Element(root, 3), dir + "min1.png", dir + "min2.png", dir + "min1.png");
    SetButtonImages(Element(root, 4), dir + "close1.png", dir + "close2.png", dir + "close1.png");
    SetPicture(Element(root, 5), dir + "headpic_default.png");
    SetText(Element(root, 6), QStringLiteral("学员小李"));
    SetButtonImages(Element(root, 7), dir + "G3_1.png", dir + "G3_2.png", dir + "G3_3.png");
    SetPicture(Element(root, 8), dir + "search_back.png");
    SetPicture(Element(root, 9), dir + "search.png");
    FillSampleTree(qobject_cast<QTreeView*>(Element(root, 16)));
    SaveRender(Render(root, dir + "background.png"), "main_window");
    ExpectTextsFit(root, "main window");
    // Start-up may shrink the window to 80 % of a small screen's height.
    root->resize(1000, 566);
    SaveRender(Render(root, dir + "background.png"), "main_window_small_screen");
    ExpectTextsFit(root, "main window on a small screen");
    main_window->close();
}

TEST(WindowRenderTest, SettingsWindow) {
    const std::unique_ptr<QWidget> settings = Load("Layout/SetWnd.xml");
    ASSERT_NE(settings, nullptr);
    auto* folder = qobject_cast<QLineEdit*>(Element(settings.get(), 7));
    ASSERT_NE(folder, nullptr);
    folder->setText(QStringLiteral("/home/学员/Tessal/TessalDownload/"));
    folder->setReadOnly(true);
    SaveRender(Render(settings.get(), {}), "settings_window");
    ExpectTextsFit(settings.get(), "settings window");
    settings->close();
}

void FillCourseItem(QWidget* item) {
    const QString dir = QStringLiteral("IMAGE/MainW/");
    SetPicture(Element(item, 10), dir + "lessonpicIsloading.png");
    SetText(Element(item, 2), QStringLiteral("Python 数据分析实战"));
    SetPicture(Element(item, 4), dir + "grade_2.png");
    SetPicture(Element(item, 5), dir + "grade_2.png");
    SetPicture(Element(item, 6), dir + "grade_1.png");
    SetText(Element(item, 3), QStringLiteral("级别:"));
    SetText(Element(item, 7), QStringLiteral("中级"));
    SetPicture(Element(item, 8), dir + "Finish.png");
    SetText(Element(item, 9), QStringLiteral("已完结"));
}

TEST(WindowRenderTest, CourseTreeItems) {
    for (const char* name : {"Tree_Item_Lesson", "Tree_Item_Lesson_sel"}) {
        const std::unique_ptr<QWidget> item = Load(QStringLiteral("Layout/%1.xml").arg(name));
        ASSERT_NE(item, nullptr);
        FillCourseItem(item.get());
        SaveRender(Render(item.get(), {}), name);
        ExpectTextsFit(item.get(), name);
        item->close();
    }
    const std::unique_ptr<QWidget> group = Load("Layout/Tree_Item_group.xml");
    ASSERT_NE(group, nullptr);
    SetButtonImages(Element(group.get(), 1), "IMAGE/MainW/click2.png", "IMAGE/MainW/click2.png",
                    "IMAGE/MainW/click2.png");
    SetText(Element(group.get(), 2), QStringLiteral("编程开发[3门课程]"));
    SaveRender(Render(group.get(), {}), "Tree_Item_group");
    ExpectTextsFit(group.get(), "group item");
    group->close();
}

// Rows of one template in a tree, as the client's tree shows them.
void FillRows(QTreeView* tree, const QString& layout, int count,
              const std::function<void(QWidget*, int)>& fill) {
    ASSERT_NE(tree, nullptr);
    auto* model = new QStandardItemModel(tree);
    tree->setModel(model);
    for (int i = 0; i < count; ++i) {
        auto* item = new QStandardItem();
        item->setSizeHint(QSize(0, 60));
        model->appendRow(item);
        QString error;
        QWidget* row = LoadLayout(layout, error).release();
        ASSERT_NE(row, nullptr) << error.toStdString();
        fill(row, i);
        tree->setIndexWidget(item->index(), row);
    }
}

struct DownloadingSample {
    const char* name;
    const char* state;
    int percent;
    const char* rate;
    const char* toggle[3];  // normal, mouse over, pressed
    bool stopped;
};

const DownloadingSample kDownloading[] = {
    {"第1课 Python 环境搭建与第一个程序",
     "12MB",
     37,
     "1.2 MB/s · 剩余 0:42",
     {"xiazai1.png", "xiazai1_1.png", "xiazai1_2.png"},
     false},
    {"第2课 变量、类型与运算符", "已暂停", 64, "", {"Pause.png", "Pause1.png", "Pause2.png"}, true},
    {"第3课 条件判断与循环",
     "下载失败",
     12,
     "",
     {"RedLoad1.png", "RedLoad2.png", "RedLoad3.png"},
     true},
    {"第4课 函数与模块",
     "等待下载",
     0,
     "",
     {"xiazai1.png", "xiazai1_1.png", "xiazai1_2.png"},
     false},
};

void FillDownloadingRow(QWidget* row, const DownloadingSample& sample) {
    const QString dir = QStringLiteral("IMAGE/Download/");
    SetButtonText(Element(row, 1), QString::fromUtf8(sample.name));
    SetText(Element(row, 2), QString::fromUtf8(sample.state));
    SetText(Element(row, 4), QStringLiteral("%1%").arg(sample.percent));
    SetText(Element(row, 8), QString::fromUtf8(sample.rate));
    auto* bar = qobject_cast<QProgressBar*>(Element(row, 3));
    ASSERT_NE(bar, nullptr);
    bar->setRange(0, 100);
    bar->setValue(sample.percent);
    if (sample.stopped) {
        // The bar's own sheet wins over the row's running fill.
        bar->setStyleSheet(
            "QProgressBar::chunk { border-image: url(IMAGE/Download/dutiao_3.png) 0 0 0 0 "
            "stretch stretch; margin: 0; }");
    }
    SetButtonImages(Element(row, 5), dir + sample.toggle[0], dir + sample.toggle[1],
                    dir + sample.toggle[2]);
}

struct FinishedSample {
    const char* name;
    const char* lessons;
    const char* size;
    const char* date;
    bool picture;  // without one, the frame's own tile shows
};

const FinishedSample kFinished[] = {
    {"Python 数据分析实战", "(已下载3课时)", "120MB", "2026-12-8下载", true},
    {"会计基础入门", "(已下载12课时)", "486MB", "2026-11-30下载", false},
    {"UI 设计从零开始", "(已下载1课时)", "38MB", "2026-10-2下载", true},
};

void FillFinishedRow(QWidget* row, const FinishedSample& sample) {
    const QString frame = QStringLiteral("data/lesson/img/20150521161417781.jpg");
    SetButtonImages(Element(row, 1), frame, frame, frame);
    if (sample.picture)
        SetPicture(Element(row, 9), "IMAGE/MainW/lessonpicIsloading.png");
    SetText(Element(row, 2), QString::fromUtf8(sample.name));
    SetText(Element(row, 3), QString::fromUtf8(sample.lessons));
    SetText(Element(row, 4), QString::fromUtf8(sample.size));
    SetText(Element(row, 5), QString::fromUtf8(sample.date));
}

TEST(WindowRenderTest, DownloadCenterTabs) {
    const InInstallationFolder folder;
    const std::unique_ptr<QWidget> window = Load("Layout/DownLoad/Tessal_Download.xml");
    ASSERT_NE(window, nullptr);
    QWidget* root = window.get();
    // Taken before the rows come: their objects reuse the window's numbers.
    std::map<int, QWidget*> elements;
    for (int id : {2, 7, 8, 9, 10, 11}) {
        elements[id] = Element(root, id);
        ASSERT_NE(elements[id], nullptr) << id;
    }
    FillRows(qobject_cast<QTreeView*>(elements[7]), "Layout/DownLoad/DownLoad_IsLoading.xml",
             std::size(kDownloading),
             [](QWidget* row, int i) { FillDownloadingRow(row, kDownloading[i]); });
    FillRows(qobject_cast<QTreeView*>(elements[8]), "Layout/DownLoad/DownLoad_Finish.xml",
             std::size(kFinished), [](QWidget* row, int i) { FillFinishedRow(row, kFinished[i]); });
    SaveRender(Render(root, {}), "download_center_downloading");
    ExpectTextsFit(root, "download center, downloading");
    root->resize(root->minimumSize());
    SaveRender(Render(root, {}), "download_center_downloading_smallest");
    ExpectTextsFit(root, "download center at its smallest, downloading");
    root->resize(780, 520);

    qobject_cast<QAbstractButton*>(elements[2])->setChecked(true);
    for (int id : {7, 9, 10, 11})
        elements[id]->hide();
    elements[8]->show();
    SaveRender(Render(root, {}), "download_center_finished");
    ExpectTextsFit(root, "download center, finished");
    root->resize(root->minimumSize());
    SaveRender(Render(root, {}), "download_center_finished_smallest");
    ExpectTextsFit(root, "download center at its smallest, finished");
    window->close();
}

TEST(WindowRenderTest, ClearListBox) {
    const std::unique_ptr<QWidget> box = Load("Layout/DownLoad/CleanLoad.xml");
    ASSERT_NE(box, nullptr);
    SaveRender(Render(box.get(), {}), "CleanLoad");
    ExpectTextsFit(box.get(), "clear list box");
    box->close();
}

}  // namespace
}  // namespace tessal::test
