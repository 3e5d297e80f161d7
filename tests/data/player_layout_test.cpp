// The layouts TessalPlayer loads: each loads with every element the player looks up, of
// the kind its code expects; the main window's bands keep their places as the window
// and the playlist change size; dialogs close by their roles; rows take their clicks.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QRadioButton>
#include <QSlider>
#include <QTreeView>
#include <map>

#include "tests/data/installation_data.h"

namespace tessal::test {
namespace {

constexpr const char* kMain = "Layout/Player.xml";
constexpr const char* kBar = "Layout/Player/FullScreenConsolWnd.xml";
constexpr const char* kSettings = "Layout/Player/PlayerSet.xml";
constexpr const char* kDelete = "Layout/Player/DeleteWnd.xml";
constexpr const char* kCourseItem = "Layout/Player/TreeForPlayer.xml";
constexpr const char* kLessonItem = "Layout/Player/TreeForPlayer2.xml";
constexpr const char* kSelectedLessonItem = "Layout/Player/TreeForPlayer_sel.xml";

// The main window's bands, which the player reads its margins and video area from.
constexpr int kVideoArea = 30;
constexpr int kPlaylistPanel = 31;
constexpr int kTitleBar = 32;
constexpr int kControlBar = 33;
constexpr int kToggleStrip = 34;

TEST(PlayerLayoutTest, EveryWindowHasEachElementOnceWithItsClass) {
    const ElementTable main_window = {
        {1, "QPushButton"},  {2, "QSlider"},      {3, "QLabel"},       {4, "QPushButton"},
        {5, "QSlider"},      {6, "QPushButton"},  {7, "QPushButton"},  {8, "QPushButton"},
        {9, "QPushButton"},  {10, "QPushButton"}, {11, "QPushButton"}, {12, "QPushButton"},
        {13, "QLabel"},      {14, "QPushButton"}, {15, "QPushButton"}, {16, "QPushButton"},
        {17, "QPushButton"}, {18, "QTreeView"},   {19, "QLabel"},      {20, "QPushButton"},
        {21, "QPushButton"}, {30, "QFrame"},      {31, "QFrame"},      {32, "QFrame"},
        {33, "QFrame"},      {34, "QFrame"},
    };
    const ElementTable bar = {
        {1, "QPushButton"}, {2, "QSlider"},      {3, "QLabel"},       {5, "QSlider"},
        {6, "QPushButton"}, {10, "QPushButton"}, {11, "QPushButton"}, {12, "QPushButton"},
    };
    const ElementTable settings = {
        {3, "QRadioButton"}, {4, "QRadioButton"}, {7, "QPushButton"},
        {8, "QPushButton"},  {9, "QPushButton"},
    };
    const ElementTable deletion = {
        {1, "QPushButton"}, {2, "QPushButton"}, {3, "QCheckBox"}, {4, "QPushButton"}, {5, "QLabel"},
    };
    const ElementTable course = {{1, "QPushButton"}, {2, "QLabel"}};
    const ElementTable lesson = {{4, "QPushButton"}, {2, "QLabel"}};
    const std::pair<const char*, const ElementTable&> layouts[] = {
        {kMain, main_window},          {kBar, bar},           {kSettings, settings},
        {kDelete, deletion},           {kCourseItem, course}, {kLessonItem, lesson},
        {kSelectedLessonItem, lesson},
    };
    for (const auto& [layout, elements] : layouts)
        ExpectElements(layout, elements);
}

TEST(PlayerLayoutTest, TemplateObjectsNameTheirColumns) {
    for (const char* layout : {kCourseItem, kLessonItem, kSelectedLessonItem}) {
        QString error;
        const std::unique_ptr<QWidget> item = LoadLayout(layout, error);
        ASSERT_NE(item, nullptr) << error.toStdString();
        std::map<int, QString> found;
        for (QWidget* object : item->findChildren<QWidget*>()) {
            const QString column = object->property("column").toString();
            if (!column.isEmpty())
                found[object->property("id").toInt()] = column;
        }
        EXPECT_EQ(found, (std::map<int, QString>{{2, "name"}})) << layout;
        // Rows are 24 pixels high; a row whose layout needs more is cut off.
        EXPECT_EQ(item->height(), 24) << layout;
        EXPECT_LE(item->minimumSizeHint().height(), 24) << layout;
    }
}

std::unique_ptr<QWidget> Shown(const char* layout, QSize size = {}) {
    QString error;
    std::unique_ptr<QWidget> root = LoadLayout(layout, error);
    EXPECT_NE(root, nullptr) << error.toStdString();
    if (root) {
        if (size.isValid())
            root->resize(size);
        root->show();
        root->layout()->activate();
    }
    return root;
}

QRect InWindow(QWidget* window, int id) {
    QWidget* element = Element(window, id);
    EXPECT_NE(element, nullptr) << id;
    return element ? QRect(element->mapTo(window, QPoint()), element->size()) : QRect();
}

// The player reads its layout margins as the bands around the video area: the title bar
// above, the control bar below, the playlist panel (and its toggle's strip) at the right;
// the video area takes the rest, whatever the window's size and the panel's width.
TEST(PlayerLayoutTest, MainWindowBandsFollowTheWindowAndThePanelWidth) {
    const std::unique_ptr<QWidget> window = Shown(kMain);
    ASSERT_NE(window, nullptr);
    QWidget* root = window.get();
    EXPECT_EQ(root->size(), QSize(1200, 741));
    QWidget* panel = Element(root, kPlaylistPanel);
    ASSERT_NE(panel, nullptr);
    struct Case {
        QSize window;
        int panel_width;  // 0: hidden
    };
    const Case cases[] = {{{1200, 741}, 240}, {{1500, 900}, 300},  {{800, 500}, 200},
                          {{800, 500}, 0},    {{1920, 1080}, 384}, {{791, 488}, 200}};
    for (const Case& test : cases) {
        panel->setVisible(test.panel_width > 0);
        if (test.panel_width > 0)
            panel->setFixedWidth(test.panel_width);
        root->resize(test.window);
        root->layout()->activate();
        const QString at = QStringLiteral("%1x%2, panel %3")
                               .arg(test.window.width())
                               .arg(test.window.height())
                               .arg(test.panel_width);
        const QRect video = InWindow(root, kVideoArea);
        const int strip = InWindow(root, kToggleStrip).width();
        EXPECT_EQ(InWindow(root, kTitleBar), QRect(0, 0, test.window.width(), 40))
            << at.toStdString();
        EXPECT_EQ(InWindow(root, kControlBar),
                  QRect(0, test.window.height() - 64, test.window.width(), 64))
            << at.toStdString();
        EXPECT_EQ(video, QRect(0, 40, test.window.width() - strip - test.panel_width,
                               test.window.height() - 40 - 64))
            << at.toStdString();
        if (test.panel_width > 0) {
            EXPECT_EQ(InWindow(root, kPlaylistPanel).right(), test.window.width() - 1);
        }
        // The toggle stays reachable beside the video area, also with the panel hidden.
        EXPECT_TRUE(Element(root, 14)->isVisibleTo(root)) << at.toStdString();
        EXPECT_EQ(InWindow(root, kToggleStrip).left(), video.right() + 1) << at.toStdString();
    }
    root->close();
}

// A lesson's long title in the title text or the tree must not widen the window, and the
// smallest start size (a 1280-pixel screen) holds every band.
TEST(PlayerLayoutTest, MainWindowFitsTheSmallestStartSizeWhateverItsTexts) {
    const std::unique_ptr<QWidget> window = Shown(kMain);
    ASSERT_NE(window, nullptr);
    QWidget* root = window.get();
    qobject_cast<QLabel*>(Element(root, 13))
        ->setText(QStringLiteral("正在播放:") + QString(200, QChar(0x8BFE)) + ".tessal");
    root->layout()->activate();
    const QSize smallest = root->layout()->totalMinimumSize();
    EXPECT_LE(smallest.width(), 791);
    EXPECT_LE(smallest.height(), 488);
    root->close();
}

// The keys (space, arrows, Esc) go to the video window: no control may take the focus.
TEST(PlayerLayoutTest, ControlsNeverTakeTheKeyboardFocus) {
    for (const char* layout : {kMain, kBar}) {
        QString error;
        const std::unique_ptr<QWidget> root = LoadLayout(layout, error);
        ASSERT_NE(root, nullptr) << error.toStdString();
        for (QWidget* widget : root->findChildren<QWidget*>()) {
            const bool control = qobject_cast<QAbstractButton*>(widget) ||
                                 qobject_cast<QSlider*>(widget) || qobject_cast<QTreeView*>(widget);
            if (control) {
                EXPECT_EQ(widget->focusPolicy(), Qt::NoFocus)
                    << layout << ": " << widget->objectName().toStdString();
            }
        }
    }
}

TEST(PlayerLayoutTest, SlidersHaveTheRangesAndHeightsThePlayerUses) {
    struct Expected {
        const char* layout;
        int id;
        int maximum;
        int height;
    };
    const Expected sliders[] = {
        {kMain, 2, 1000, 20}, {kMain, 5, 100, 10}, {kBar, 2, 1000, 20}, {kBar, 5, 100, 10}};
    for (const Expected& expected : sliders) {
        QString error;
        const std::unique_ptr<QWidget> root = LoadLayout(expected.layout, error);
        ASSERT_NE(root, nullptr) << error.toStdString();
        auto* slider = qobject_cast<QSlider*>(Element(root.get(), expected.id));
        ASSERT_NE(slider, nullptr) << expected.layout << " " << expected.id;
        EXPECT_EQ(slider->orientation(), Qt::Horizontal);
        EXPECT_EQ(slider->minimum(), 0);
        EXPECT_EQ(slider->maximum(), expected.maximum) << expected.layout << " " << expected.id;
        EXPECT_EQ(slider->minimumHeight(), expected.height)
            << expected.layout << " " << expected.id;
        EXPECT_EQ(slider->maximumHeight(), expected.height)
            << expected.layout << " " << expected.id;
    }
}

TEST(PlayerLayoutTest, FullScreenBarIsSixtyHighAtAnyScreenWidth) {
    for (const int width : {800, 1366, 1920, 3840}) {
        const std::unique_ptr<QWidget> bar = Shown(kBar, QSize(width, 60));
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->size(), QSize(width, 60));
        EXPECT_LE(bar->layout()->totalMinimumSize().height(), 60);
        EXPECT_EQ(InWindow(bar.get(), 2).width(), width) << width;
        EXPECT_EQ(InWindow(bar.get(), 6).right(), width - 13) << width;
        bar->close();
    }
}

// Checked state the player reads: the toggle starts unchecked (list shown), the render
// modes exclude each other, mode 1 is the default.
TEST(PlayerLayoutTest, CheckButtonsStartAsThePlayerExpects) {
    QString error;
    const std::unique_ptr<QWidget> main_window = LoadLayout(kMain, error);
    const std::unique_ptr<QWidget> settings = LoadLayout(kSettings, error);
    const std::unique_ptr<QWidget> course = LoadLayout(kCourseItem, error);
    ASSERT_TRUE(main_window && settings && course) << error.toStdString();
    auto* toggle = qobject_cast<QAbstractButton*>(Element(main_window.get(), 14));
    EXPECT_TRUE(toggle->isCheckable());
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_TRUE(qobject_cast<QAbstractButton*>(Element(course.get(), 1))->isCheckable());
    auto* mode1 = qobject_cast<QRadioButton*>(Element(settings.get(), 3));
    auto* mode2 = qobject_cast<QRadioButton*>(Element(settings.get(), 4));
    ASSERT_TRUE(mode1 && mode2);
    EXPECT_EQ(mode1->parentWidget(), mode2->parentWidget());
    EXPECT_TRUE(mode1->isChecked());
    mode2->click();
    EXPECT_FALSE(mode1->isChecked());
    mode1->click();
    EXPECT_FALSE(mode2->isChecked());
}

// Loaded as windows of their own, the dialogs close by their buttons' roles; confirm,
// the check buttons and the codec update leave it to the player.
TEST(PlayerLayoutTest, DialogsCloseByTheirRolesOnly) {
    const std::pair<const char*, std::map<int, bool>> dialogs[] = {
        {kSettings, {{3, false}, {4, false}, {7, false}, {8, true}, {9, true}}},
        {kDelete, {{1, false}, {2, true}, {3, false}, {4, true}}},
    };
    for (const auto& [layout, buttons] : dialogs) {
        for (const auto& [id, closes] : buttons) {
            const std::unique_ptr<QWidget> dialog = Shown(layout);
            ASSERT_NE(dialog, nullptr);
            auto* button = qobject_cast<QAbstractButton*>(Element(dialog.get(), id));
            ASSERT_NE(button, nullptr) << layout << " " << id;
            button->click();
            EXPECT_EQ(dialog->isVisible(), !closes) << layout << " " << id;
            dialog->close();
        }
    }
    // The main window's caption buttons carry their roles.
    QString error;
    const std::unique_ptr<QWidget> main_window = LoadLayout(kMain, error);
    ASSERT_NE(main_window, nullptr) << error.toStdString();
    const std::pair<int, const char*> roles[] = {{7, "minimize"}, {8, "maximize"}, {9, "close"}};
    for (const auto& [id, role] : roles)
        EXPECT_EQ(Element(main_window.get(), id)->property("role").toString(), role) << id;
}

// The player binds a lesson's double click and right button to object 4: anywhere on
// the row, the name on it included, must reach it.
TEST(PlayerLayoutTest, LessonRowClicksReachItsButton) {
    class Counter : public QObject {
    public:
        int double_clicks = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            double_clicks += event->type() == QEvent::MouseButtonDblClick;
            return false;
        }
    };
    for (const char* layout : {kLessonItem, kSelectedLessonItem}) {
        const std::unique_ptr<QWidget> row = Shown(layout, QSize(240, 24));
        ASSERT_NE(row, nullptr);
        QWidget* button = Element(row.get(), 4);
        auto* name = qobject_cast<QLabel*>(Element(row.get(), 2));
        ASSERT_TRUE(button && name);
        name->setText(QStringLiteral("第1课 Python 环境搭建.tessal"));
        EXPECT_EQ(InWindow(row.get(), 4), row->rect()) << layout;
        EXPECT_TRUE(button->isAncestorOf(name)) << layout;
        Counter counter;
        button->installEventFilter(&counter);
        // A device of the test's own: the application's default one would outlive the
        // device registry at exit.
        const QPointingDevice mouse("test mouse", 1000, QInputDevice::DeviceType::Mouse,
                                    QPointingDevice::PointerType::Generic,
                                    QInputDevice::Capability::Position, 1, 3);
        const QPointF at(name->width() / 2.0, name->height() / 2.0);
        QMouseEvent click(QEvent::MouseButtonDblClick, at, name->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier, &mouse);
        QApplication::sendEvent(name, &click);
        EXPECT_EQ(counter.double_clicks, 1) << layout;
        row->close();
    }
}

}  // namespace
}  // namespace tessal::test
