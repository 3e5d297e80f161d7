// Renders TessalPlayer's windows, with their images set through the toolkit as the
// player sets them, into rendered/ in the build folder for review, and checks that no
// text of a visible element is cut off.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QMovie>
#include <QSlider>
#include <QStandardItemModel>
#include <QTreeView>
#include <map>

#include "common/gui/elements.h"
#include "common/gui/state_images.h"
#include "tests/data/installation_data.h"
#include "tests/data/window_render.h"

namespace tessal::test {
namespace {

const QString kDir = QStringLiteral("./IMAGE/player/");

// Two-image buttons: the first image for normal and pressed, the second for mouse over.
void SetPair(QWidget* root, int id, const QString& first, const QString& second) {
    QWidget* button = Element(root, id);
    ASSERT_NE(button, nullptr) << id;
    gui::SetButtonImages(button, kDir + first, kDir + second, kDir + first);
}

void SetMainWindowImages(QWidget* root) {
    const std::tuple<int, const char*, const char*> pairs[] = {
        {1, "play_1.png", "play_2.png"},      {4, "voice_1.png", "voice_2.png"},
        {6, "Full_1.png", "Full_2.png"},      {7, "minimum_1.png", "minimum_2.png"},
        {8, "max_1.png", "max_2.png"},        {9, "close_1.png", "close_2.png"},
        {10, "Import_1.png", "Import_2.png"}, {11, "left_1.png", "left_2.png"},
        {12, "right_1.png", "right_2.png"},   {21, "1.0.png", "1.0_1.png"},
    };
    for (const auto& [id, first, second] : pairs)
        SetPair(root, id, first, second);
}

struct SampleCourse {
    const char* name;
    std::vector<const char*> lessons;
    bool open;
};

const SampleCourse kCourses[] = {
    {"Python 数据分析实战",
     {"第1课 Python 环境搭建与第一个程序.tessal", "第2课 变量、类型与运算符.tessal",
      "第3课 条件判断与循环.tessal", "第4课 函数与模块.tessal"},
     true},
    {"会计基础入门", {"第1课 会计要素.tessal"}, false},
    {"UI 设计从零开始", {"第1课 设计工具.tessal", "第2课 色彩与版式.tessal"}, true},
};

QWidget* Row(const char* layout) {
    QString error;
    // The tree takes ownership of every row widget.
    QWidget* row = LoadLayout(layout, error).release();
    EXPECT_NE(row, nullptr) << error.toStdString();
    return row;
}

// The playlist as the player fills it: courses from TreeForPlayer.xml, lessons from
// TreeForPlayer2.xml, the selected one from TreeForPlayer_sel.xml.
void FillPlaylist(QTreeView* tree, int selected_lesson) {
    ASSERT_NE(tree, nullptr);
    auto* model = new QStandardItemModel(tree);
    tree->setModel(model);
    int lesson_number = 0;
    for (const SampleCourse& sample : kCourses) {
        auto* course = new QStandardItem();
        course->setSizeHint(QSize(0, 24));
        model->appendRow(course);
        QWidget* course_row = Row("Layout/Player/TreeForPlayer.xml");
        ASSERT_NE(course_row, nullptr);
        QWidget* expand = Element(course_row, 1);
        gui::AddStateImage(expand, 128, kDir + "zhankai.png");
        gui::AddStateImage(expand, 256, kDir + "zhengchang.png");
        gui::SetChecked(expand, sample.open);
        gui::SetElementText(Element(course_row, 2), QString::fromUtf8(sample.name));
        gui::SetTextColour(Element(course_row, 2),
                           gui::ColourFromBgr(sample.open ? 0xE4AF1D : 0xACACAC));
        tree->setIndexWidget(course->index(), course_row);
        for (const char* name : sample.lessons) {
            auto* lesson = new QStandardItem();
            lesson->setSizeHint(QSize(0, 24));
            course->appendRow(lesson);
            const bool selected = lesson_number++ == selected_lesson;
            QWidget* row = Row(selected ? "Layout/Player/TreeForPlayer_sel.xml"
                                        : "Layout/Player/TreeForPlayer2.xml");
            ASSERT_NE(row, nullptr);
            gui::SetElementText(Element(row, 2), QString::fromUtf8(name));
            tree->setIndexWidget(lesson->index(), row);
        }
        tree->setExpanded(course->index(), sample.open);
    }
}

// The engine's video window: a child of the main window over the video area, inset two
// pixels left and right, showing main_.bmp centred on black while nothing plays.
QLabel* NewVideoWindow(QWidget* root) {
    auto* video = new QLabel(root);
    video->setStyleSheet("background: #000000;");
    video->setAlignment(Qt::AlignCenter);
    video->setPixmap(QPixmap(kDir + "main_.bmp"));
    video->show();
    return video;
}

// Where the player moves it after each change of size.
void PlaceVideoWindow(QWidget* root, QWidget* video) {
    root->layout()->activate();
    QWidget* area = Element(root, 30);
    const QRect body(area->mapTo(root, QPoint()), area->size());
    video->setGeometry(body.left() + 2, body.top(), body.width() - 4, body.height());
}

// Long lesson names are cut off in the playlist, whose rows show them whole as tooltips.
void RenderView(QWidget* root, const QString& name, const QWidget* playlist = nullptr) {
    SaveRender(Render(root, {}), name);
    ExpectTextsFit(root, name, playlist);
}

TEST(PlayerRenderTest, MainWindowViews) {
    const InInstallationFolder folder;
    const std::unique_ptr<QWidget> window = Load("Layout/Player.xml");
    ASSERT_NE(window, nullptr);
    QWidget* root = window.get();
    SetMainWindowImages(root);
    // Taken before the rows come: their objects reuse the window's numbers.
    std::map<int, QWidget*> elements;
    for (int id : {1, 2, 3, 13, 14, 18, 19, 21, 31}) {
        elements[id] = Element(root, id);
        ASSERT_NE(elements[id], nullptr) << id;
    }
    auto* toggle = qobject_cast<QAbstractButton*>(elements[14]);
    auto* loading = qobject_cast<QLabel*>(elements[19]);
    QWidget* playlist = elements[18];
    QWidget* panel = elements[31];
    FillPlaylist(qobject_cast<QTreeView*>(playlist), 1);
    root->show();
    QLabel* video = NewVideoWindow(root);
    PlaceVideoWindow(root, video);
    RenderView(root, "player_idle", playlist);

    // Opening: the video window hides and the animation turns on the video area.
    video->hide();
    QMovie movie(kDir + "PlayeryElement.gif");
    loading->setMovie(&movie);
    movie.start();  // as the player starts it; the label then shows the frame below
    movie.setPaused(true);
    for (int frame = 0; frame < 5; ++frame)
        ASSERT_TRUE(movie.jumpToNextFrame()) << frame;
    ASSERT_FALSE(loading->movie()->currentPixmap().isNull());
    gui::SetElementText(elements[13], QStringLiteral("正在打开"));
    RenderView(root, "player_opening", playlist);
    loading->clear();
    video->show();

    // Playing with the list hidden: the toggle checked with its "bring back" images.
    panel->hide();
    toggle->setChecked(true);
    gui::SetButtonImages(toggle, kDir + "zuo_1.png", kDir + "zuo_2.png", kDir + "zuo_3.png");
    gui::SetButtonImages(elements[1], kDir + "pause_1.png", kDir + "pause_2.png",
                         kDir + "pause_1.png");
    gui::SetButtonImages(elements[21], kDir + "1.5.png", kDir + "1.5_1.png", kDir + "1.5.png");
    gui::SetElementText(elements[13], QStringLiteral("正在播放:第2课 变量、类型与运算符.tessal"));
    gui::SetElementText(elements[3], QStringLiteral("00:12:41/00:45:09"));
    qobject_cast<QSlider*>(elements[2])->setValue(281);
    PlaceVideoWindow(root, video);
    RenderView(root, "player_playing_list_hidden");

    // The smallest start size, the panel at its least.
    panel->show();
    toggle->setChecked(false);
    gui::SetButtonImages(toggle, kDir + "you_1.png", kDir + "you_2.png", kDir + "you_3.png");
    panel->setFixedWidth(200);
    root->resize(791, 488);
    PlaceVideoWindow(root, video);
    RenderView(root, "player_small_screen", playlist);
    root->close();
}

TEST(PlayerRenderTest, FullScreenControlBar) {
    const InInstallationFolder folder;
    const std::unique_ptr<QWidget> bar = Load("Layout/Player/FullScreenConsolWnd.xml");
    ASSERT_NE(bar, nullptr);
    SetPair(bar.get(), 1, "pause_1.png", "pause_2.png");
    gui::SetElementText(Element(bar.get(), 3), QStringLiteral("01:05:09/01:15:00"));
    qobject_cast<QSlider*>(Element(bar.get(), 2))->setValue(868);
    qobject_cast<QSlider*>(Element(bar.get(), 5))->setValue(50);
    bar->resize(1366, 60);
    RenderView(bar.get(), "player_fullscreen_bar");
    bar->close();
}

TEST(PlayerRenderTest, Dialogs) {
    const InInstallationFolder folder;
    // The delete box as it asks about a lesson whose file goes too.
    const std::pair<const char*, int> dialogs[] = {{"PlayerSet", 0}, {"DeleteWnd", 3}};
    for (const auto& [name, checked] : dialogs) {
        const std::unique_ptr<QWidget> dialog =
            Load(QStringLiteral("Layout/Player/%1.xml").arg(name));
        ASSERT_NE(dialog, nullptr);
        if (checked != 0)
            gui::SetChecked(Element(dialog.get(), checked), true);
        RenderView(dialog.get(), QStringLiteral("player_%1").arg(name));
        dialog->close();
    }
}

}  // namespace
}  // namespace tessal::test
