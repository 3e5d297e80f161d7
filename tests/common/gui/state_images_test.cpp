// State images as the member sees them: each state shows its own image, later images
// replace earlier ones, a cleared element shows none, and a framed window keeps its
// background inside the shadow.

#include "common/gui/state_images.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "common/gui/elements.h"
#include "common/gui/toolkit_codes.h"
#include "common/gui/window_frame.h"
#include "tests/support/temp_folder.h"

namespace tessal::gui {
namespace {

class StateImagesTest : public ::testing::Test {
protected:
    QString Solid(const char* name, QColor colour) {
        QImage image(40, 20, QImage::Format_ARGB32);
        image.fill(colour);
        const QString path = QString::fromStdString((folder_.path() / name).string());
        image.save(path);
        return path;
    }
    static QColor Centre(QWidget& widget) {
        QApplication::processEvents();
        const QImage shot = widget.grab().toImage();
        return shot.pixelColor(shot.width() / 2, shot.height() / 2);
    }
    static QColor Corner(QWidget& widget) {
        QApplication::processEvents();
        return widget.grab().toImage().pixelColor(2, 2);
    }
    TempFolder folder_;
};

TEST_F(StateImagesTest, AButtonShowsTheImageOfItsState) {
    QPushButton button;
    button.resize(40, 20);
    SetButtonImages(&button, Solid("n.png", Qt::red), Solid("o.png", Qt::green),
                    Solid("p.png", Qt::blue));
    button.show();
    EXPECT_EQ(Centre(button), QColor(Qt::red));
    QTest::mouseMove(&button, QPoint(20, 10));
    EXPECT_EQ(Centre(button), QColor(Qt::green));
    button.setDown(true);
    EXPECT_EQ(Centre(button), QColor(Qt::blue));
    button.setDown(false);
    QTest::mouseMove(&button, QPoint(300, 300));  // away from the button

    // A later set replaces the earlier one, state by state.
    AddStateImage(&button, kStateNormal, Solid("n2.png", Qt::yellow));
    EXPECT_EQ(Centre(button), QColor(Qt::yellow));
    EXPECT_EQ(StateImage(&button, kStateMouseOver), Solid("o.png", Qt::green));

    ClearStateImages(&button);
    EXPECT_NE(Centre(button), QColor(Qt::yellow));
    EXPECT_TRUE(StateImage(&button, kStateNormal).isEmpty());
}

TEST_F(StateImagesTest, CheckedAndUncheckedImagesFollowTheCheckState) {
    QPushButton toggle;
    toggle.setCheckable(true);
    toggle.resize(40, 20);
    AddStateImage(&toggle, kStateChecked, Solid("c.png", Qt::magenta));
    AddStateImage(&toggle, kStateUnchecked, Solid("u.png", Qt::cyan));
    toggle.show();
    EXPECT_EQ(Centre(toggle), QColor(Qt::cyan));
    toggle.setChecked(true);
    EXPECT_EQ(Centre(toggle), QColor(Qt::magenta));
}

TEST_F(StateImagesTest, AFramedWindowPaintsItsBackgroundInsideTheShadow) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    window.resize(200, 100);
    SetFramedWindow(&window, Shadow{.size = 5});
    SetWindowBackground(&window, Solid("bg.png", Qt::darkCyan));
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(window.size(), QSize(210, 110));
    const QImage shot = window.grab().toImage();
    EXPECT_EQ(shot.pixelColor(105, 55), QColor(Qt::darkCyan));
    EXPECT_EQ(shot.pixelColor(5, 55), QColor(Qt::darkCyan));
    // The outer ring is shadow: see-through, never the background.
    EXPECT_LT(shot.pixelColor(0, 55).alpha(), 255);
    EXPECT_NE(shot.pixelColor(0, 55).rgb(), QColor(Qt::darkCyan).rgb());
}

TEST_F(StateImagesTest, TheLayoutsOwnStyleStaysAndTheTextColourWinsOverIt) {
    QLabel link("注册账号");
    link.setStyleSheet("QLabel{color:#0B75BD;background:#FFFFFF;}");
    link.resize(80, 20);
    link.show();
    SetTextColour(&link, ColourFromBgr(0xFDAC5E));
    link.ensurePolished();
    EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(0x5E, 0xAC, 0xFD));
    SetTextColour(&link, ColourFromBgr(0xBD750B));
    link.ensurePolished();
    EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(0x0B, 0x75, 0xBD));
    EXPECT_EQ(Corner(link).name(), QColor(Qt::white).name());  // the layout's background

    AddStateImage(&link, kStateNormal, Solid("l.png", Qt::red));
    EXPECT_EQ(Corner(link).name(), QColor(Qt::red).name());
    ClearStateImages(&link);
    EXPECT_EQ(Corner(link).name(), QColor(Qt::white).name());
}

}  // namespace
}  // namespace tessal::gui
