// Framed windows move when dragged by their background, not by their controls, and
// resize by their border only when asked to, never below their least size.

#include "common/gui/window_frame.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

namespace tessal::gui {
namespace {

class WindowFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window_);
        layout->setContentsMargins(10, 10, 10, 10);
        title_ = new QLabel("客户端设置");
        button_ = new QPushButton("保存");
        layout->addWidget(title_);
        layout->addWidget(button_);
        window_.setMinimumSize(120, 90);
        window_.setGeometry(100, 100, 300, 200);
        SetFramedWindow(&window_, Shadow{.size = 3});
        window_.show();
        QApplication::processEvents();
    }

    // A press, a move by `delta` and a release, as the member's mouse gives them.
    static void Drag(QWidget* target, QPoint from, QPoint delta) {
        QTest::mousePress(target, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(from + delta),
                         QPointF(target->mapToGlobal(from + delta)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        QTest::mouseRelease(target, Qt::LeftButton, {}, from + delta);
    }

    QWidget window_;
    QLabel* title_ = nullptr;
    QPushButton* button_ = nullptr;
};

TEST_F(WindowFrameTest, TheFrameIsFramelessAndGrowsByItsShadow) {
    EXPECT_TRUE(window_.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(window_.size(), QSize(306, 206));
    EXPECT_EQ(ShadowMargin(&window_), 3);
    EXPECT_EQ(window_.layout()->contentsMargins(), QMargins(13, 13, 13, 13));
    // A second frame replaces the shadow instead of adding to it.
    SetFramedWindow(&window_, Shadow{.size = 5});
    EXPECT_EQ(window_.size(), QSize(310, 210));
    EXPECT_EQ(window_.layout()->contentsMargins(), QMargins(15, 15, 15, 15));
}

TEST(WindowFrame, OnlyAShadowOrRoundCornersMakeTheWindowTranslucent) {
    const struct {
        Shadow shadow;
        bool translucent;
    } cases[] = {
        {Shadow{.size = 3}, true},
        {Shadow{.size = 0, .right_angled = false}, true},
        {Shadow{.size = 0, .right_angled = true}, false},
    };
    for (const auto& [shadow, translucent] : cases) {
        QWidget window;
        SetFramedWindow(&window, shadow);
        EXPECT_EQ(window.testAttribute(Qt::WA_TranslucentBackground), translucent) << shadow.size;
    }
}

TEST_F(WindowFrameTest, DraggingTheBackgroundMovesTheWindowButControlsKeepTheirClicks) {
    const QPoint start = window_.pos();
    Drag(&window_, QPoint(150, 100), QPoint(40, 25));
    EXPECT_EQ(window_.pos(), start + QPoint(40, 25));

    Drag(title_, QPoint(5, 5), QPoint(-10, 0));  // labels are background too
    EXPECT_EQ(window_.pos(), start + QPoint(30, 25));

    int clicks = 0;
    QObject::connect(button_, &QPushButton::clicked, [&] { ++clicks; });
    Drag(button_, QPoint(5, 5), QPoint(30, 30));
    EXPECT_EQ(window_.pos(), start + QPoint(30, 25));
    QTest::mouseClick(button_, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

TEST_F(WindowFrameTest, TheBorderResizesOnlyWhenEnabledAndNotBelowTheLeastSize) {
    const QSize before = window_.size();
    const QPoint corner(window_.width() - 2, window_.height() - 2);
    Drag(&window_, corner, QPoint(50, 40));
    EXPECT_EQ(window_.size(), before);  // not enabled: a drag moves the window instead

    EnableDragBorder(&window_, true);
    const QPoint corner_now(window_.width() - 2, window_.height() - 2);
    Drag(&window_, corner_now, QPoint(50, 40));
    EXPECT_EQ(window_.size(), before + QSize(50, 40));

    Drag(&window_, QPoint(1, 100), QPoint(1000, 0));  // the left border, far past the right
    EXPECT_EQ(window_.width(), 120);
}

TEST(WindowFramePlacementTest, ElementsPlacedByPositionMoveWithTheContent) {
    QWidget window;
    window.resize(200, 100);
    auto* title = new QLabel("登录线路", &window);
    title->move(10, 8);
    SetFramedWindow(&window, Shadow{.size = 3});
    EXPECT_EQ(title->pos(), QPoint(13, 11));
    SetFramedWindow(&window, Shadow{.size = 5});
    EXPECT_EQ(title->pos(), QPoint(15, 13));
    EXPECT_EQ(window.size(), QSize(210, 110));
}

}  // namespace
}  // namespace tessal::gui
