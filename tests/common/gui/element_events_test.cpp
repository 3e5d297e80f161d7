// Handlers bound by event code run for the member's input and for sent and posted
// events, in the order bound, and a window's key-down handler sees each key once.

#include "common/gui/element_events.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTextEdit>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <tuple>
#include <vector>

#include "common/gui/elements.h"
#include "common/gui/toolkit_codes.h"
#include "common/gui/virtual_keys.h"

namespace tessal::gui {
namespace {

TEST(ElementEventsTest, ClicksOfButtonsAndOfPlainElementsRunTheirHandlersInOrder) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* button = new QPushButton("登 录");
    auto* link = new QLabel("注册");
    layout->addWidget(button);
    layout->addWidget(link);
    window.show();
    std::vector<std::string> seen;
    RegisterEvent(button, kEventButtonClick, [&](EventArgs&) { seen.push_back("first"); });
    RegisterEvent(button, kEventButtonClick, [&](EventArgs&) { seen.push_back("second"); });
    RegisterEvent(link, kEventButtonClick, [&](EventArgs&) { seen.push_back("link"); });

    QTest::mouseClick(button, Qt::LeftButton);
    QTest::mouseClick(link, Qt::LeftButton);
    QTest::mouseClick(link, Qt::RightButton);  // not a click
    EXPECT_EQ(seen, (std::vector<std::string>{"first", "second", "link"}));

    RemoveEvents(button, kEventButtonClick);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(seen.size(), 3U);
}

TEST(ElementEventsTest, EditChangesRunAndPostedEventsWaitForTheEventLoop) {
    QLineEdit account;
    int changes = 0;
    RegisterEvent(&account, kEventEditChange, [&](EventArgs& args) {
        EXPECT_EQ(args.code, kEventEditChange);
        ++changes;
    });
    account.setText("学员01");
    EXPECT_EQ(changes, 1);

    PostEvent(&account, kEventEditChange);
    EXPECT_EQ(changes, 1);
    QApplication::processEvents();
    EXPECT_EQ(changes, 2);
    SendEvent(&account, kEventEditChange);
    EXPECT_EQ(changes, 3);

    // A posted event for an element gone meanwhile is dropped.
    auto* gone = new QLineEdit;
    RegisterEvent(gone, kEventEditChange, [&](EventArgs&) { ++changes; });
    PostEvent(gone, kEventEditChange);
    delete gone;
    QApplication::processEvents();
    EXPECT_EQ(changes, 3);
}

TEST(ElementEventsTest, MouseAndKeyEventsCarryTheirPointsAndVirtualKeys) {
    QLabel picture("picture");
    picture.resize(100, 50);
    picture.show();
    std::vector<int> codes;
    QPoint last_point;
    for (int code : {kEventLeftButtonDown, kEventLeftButtonUp, kEventRightButtonDown,
                     kEventRightButtonUp, kEventLeftDoubleClick}) {
        RegisterEvent(&picture, code, [&](EventArgs& args) {
            codes.push_back(args.code);
            last_point = args.point;
        });
    }
    QTest::mouseClick(&picture, Qt::RightButton, {}, QPoint(30, 20));
    QTest::mouseDClick(&picture, Qt::LeftButton, {}, QPoint(7, 9));
    ASSERT_GE(codes.size(), 3U);
    EXPECT_EQ(codes[0], kEventRightButtonDown);
    EXPECT_EQ(codes[1], kEventRightButtonUp);
    EXPECT_EQ(codes.back(), kEventLeftDoubleClick);
    EXPECT_EQ(last_point, QPoint(7, 9));

    QLineEdit edit;
    edit.show();
    std::vector<std::pair<int, int>> keys;
    for (int code : {kEventKeyDown, kEventKeyUp, kEventChar}) {
        RegisterEvent(&edit, code,
                      [&](EventArgs& args) { keys.emplace_back(args.code, args.key); });
    }
    QTest::keyClick(&edit, Qt::Key_Space);
    QTest::keyClick(&edit, Qt::Key_Right);
    QTest::keyClick(&edit, Qt::Key_Escape);
    EXPECT_EQ(keys, (std::vector<std::pair<int, int>>{{kEventKeyDown, kKeySpace},
                                                      {kEventChar, 32},
                                                      {kEventKeyUp, kKeySpace},
                                                      {kEventKeyDown, kKeyRight},
                                                      {kEventKeyUp, kKeyRight},
                                                      {kEventKeyDown, kKeyEscape},
                                                      {kEventChar, 27},
                                                      {kEventKeyUp, kKeyEscape}}));
}

TEST(ElementEventsTest, AHandledEventKeepsTheElementsOwnReactionAway) {
    QLineEdit edit;
    edit.show();
    RegisterEvent(&edit, kEventKeyDown, [](EventArgs& args) { args.handled = args.key == 'A'; });
    QTest::keyClicks(&edit, "ab");
    EXPECT_EQ(edit.text(), "b");
}

TEST(ElementEventsTest, TheWindowSeesEachKeyDownOnceWhereverItWasTyped) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* password = new QLineEdit;
    layout->addWidget(password);
    window.show();
    QWidget other;
    other.show();
    std::vector<int> keys;
    RegisterWindowKeyDown(&window, [&](int key) { keys.push_back(key); });

    QTest::keyClick(password, Qt::Key_Return);
    QTest::keyClick(password, Qt::Key_A);
    QTest::keyClick(&other, Qt::Key_Return);  // another window's key
    EXPECT_EQ(keys, (std::vector<int>{kKeyEnter, 'A'}));
}

// Each code the windows bind comes from a real event of the element, with its arguments.
TEST(ElementEventsTest, EveryBoundCodeComesFromARealEvent) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* view = new QLineEdit;
    auto* slider = new QSlider(Qt::Horizontal);
    layout->addWidget(view);
    layout->addWidget(slider);
    window.show();
    std::vector<std::pair<int, int>> seen;  // code, key
    QPoint size;
    for (const int code : {kEventPaint, kEventMouseWheel, kEventTimer, kEventSetFocus,
                           kEventKillFocus, kEventSize, kEventDestroy}) {
        EXPECT_TRUE(RegisterEvent(view, code, [&, code](EventArgs& args) {
            EXPECT_EQ(args.painter != nullptr, code == kEventPaint);
            if (code == kEventSize)
                size = args.point;
            if (code != kEventPaint && code != kEventSize)
                seen.emplace_back(code, args.key);
        }));
    }
    EXPECT_TRUE(RegisterEvent(slider, kEventSliderChange, [&](EventArgs& args) {
        seen.emplace_back(kEventSliderChange, args.key);
    }));
    const auto saw = [&](int code, int key) {
        return std::find(seen.begin(), seen.end(), std::pair{code, key}) != seen.end();
    };

    QFocusEvent focus_in(QEvent::FocusIn);
    QFocusEvent focus_out(QEvent::FocusOut);
    QApplication::sendEvent(view, &focus_in);
    QApplication::sendEvent(view, &focus_out);
    QWheelEvent wheel(QPointF(4, 4), view->mapToGlobal(QPointF(4, 4)), {}, QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
    slider->setValue(42);
    view->resize(150, 30);
    SetElementTimer(view, 7, 10);
    ASSERT_TRUE(QTest::qWaitFor([&] { return saw(kEventTimer, 7); }));
    KillElementTimer(view, 7);
    EXPECT_TRUE(saw(kEventSetFocus, 0));
    EXPECT_TRUE(saw(kEventKillFocus, 0));
    EXPECT_TRUE(saw(kEventMouseWheel, -120));
    EXPECT_TRUE(saw(kEventSliderChange, 42));
    EXPECT_EQ(size, QPoint(150, 30));
    const auto timers = std::count(seen.begin(), seen.end(), std::pair{int(kEventTimer), 7});
    QTest::qWait(60);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), std::pair{int(kEventTimer), 7}), timers);
    delete view;
    EXPECT_TRUE(saw(kEventDestroy, 0));
}

// A paint handler draws before the element; marking the event handled replaces the
// element's own painting.
class BluePanel : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::blue); }
};

TEST(ElementEventsTest, APaintHandlerDrawsAndCanReplaceTheElementsOwnPainting) {
    for (const bool replace : {false, true}) {
        BluePanel panel;
        panel.resize(40, 20);
        RegisterEvent(&panel, kEventPaint, [replace](EventArgs& args) {
            args.painter->fillRect(QRect(0, 0, 10, 10), Qt::red);
            args.handled = replace;
        });
        const QImage shot = panel.grab().toImage();
        EXPECT_EQ(shot.pixelColor(2, 2), replace ? QColor(Qt::red) : QColor(Qt::blue)) << replace;
    }
}

// Destroy comes while the window is torn down and may look its elements up; a handler
// that deletes its element ends the run; a sent paint only asks for a repaint; a sideways
// wheel is no turn.
TEST(ElementEventsTest, HandlersSurviveTheirElementsEnd) {
    auto* window = new QWidget;
    auto* first = new QLabel(window);
    auto* second = new QLabel(window);
    first->setProperty("id", 1);
    second->setProperty("id", 2);
    int found = 0;
    for (QWidget* element : {first, second}) {
        RegisterEvent(element, kEventDestroy, [&, window](EventArgs&) {
            found += FindElement(window, 1) != nullptr ? 1 : 0;
            found += FindElement(window, 2) != nullptr ? 1 : 0;
        });
    }
    delete window;
    EXPECT_EQ(found, 1);  // the second sees the first gone and itself being destroyed

    auto* doomed = new QWidget;
    int after_deletion = 0;
    int painted = 0;
    int turns = 0;
    QPointer<QWidget> gone = doomed;
    RegisterEvent(doomed, kEventTimer, [&](EventArgs&) { delete doomed; });
    RegisterEvent(doomed, kEventTimer, [&](EventArgs&) { ++after_deletion; });
    RegisterEvent(doomed, kEventPaint, [&](EventArgs& args) { painted += args.painter ? 1 : 100; });
    RegisterEvent(doomed, kEventMouseWheel, [&](EventArgs&) { ++turns; });
    SendEvent(doomed, kEventPaint);
    EXPECT_EQ(painted, 0);
    QWheelEvent sideways(QPointF(1, 1), QPointF(1, 1), {}, QPoint(120, 0), Qt::NoButton,
                         Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(doomed, &sideways);
    EXPECT_EQ(turns, 0);
    SetElementTimer(doomed, 3, 5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return gone.isNull(); }));
    EXPECT_EQ(after_deletion, 0);
}

// Binding a code the layer never raises is refused, so no handler waits for nothing.
TEST(ElementEventsTest, CodesThatAreNeverRaisedAreRefused) {
    QWidget element;
    const EventHandler nothing = [](EventArgs&) {};
    for (const int code : {0, 1, 3, 7, 15, 35, 62, 120, 127, 1000})
        EXPECT_FALSE(RegisterEvent(&element, code, nothing)) << code;
    EXPECT_FALSE(RegisterEvent(nullptr, kEventButtonClick, nothing));
    EXPECT_FALSE(RegisterEvent(&element, kEventButtonClick, nullptr));
    // Codes only some elements raise.
    QLabel label;
    QSlider slider;
    QTreeView tree;
    QTextEdit text;
    const std::tuple<QWidget*, int, bool> kinds[] = {{&label, kEventSliderChange, false},
                                                     {&slider, kEventSliderChange, true},
                                                     {&label, kEventTreeSelect, false},
                                                     {&tree, kEventTreeSelect, true},
                                                     {&label, kEventTreeTemplateChoose, false},
                                                     {&tree, kEventTreeTemplateCreated, true},
                                                     {&text, kEventPaint, false},
                                                     {&text, kEventMouseWheel, false},
                                                     {&label, kEventPaint, true}};
    for (const auto& [widget, code, accepted] : kinds)
        EXPECT_EQ(RegisterEvent(widget, code, nothing), accepted) << code;
    EXPECT_FALSE(RegisterWindowEvent(&element, kWindowKeyDown, nothing));  // has its own call
    EXPECT_FALSE(RegisterWindowEvent(&element, 0x7002, nothing));
}

// WM_SIZE comes with every size change and when sent; WM_TIMER carries its timer's id.
TEST(ElementEventsTest, TheWindowsSizeAndTimerEventsCome) {
    QWidget window;
    window.show();
    std::vector<std::pair<int, int>> seen;
    for (const int code : {kWindowSize, kWindowTimer}) {
        EXPECT_TRUE(RegisterWindowEvent(&window, code, [&](EventArgs& args) {
            seen.emplace_back(args.code, args.code == kWindowSize ? args.point.x() : args.key);
        }));
    }
    seen.clear();
    window.resize(321, 200);
    SendWindowEvent(&window, kWindowSize);
    SetWindowTimer(&window, 1, 10);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !seen.empty() && seen.back().first == kWindowTimer; }));
    KillWindowTimer(&window, 1);
    EXPECT_EQ(seen[0], (std::pair{int(kWindowSize), 321}));
    EXPECT_EQ(seen[1], (std::pair{int(kWindowSize), 321}));
    EXPECT_EQ(seen.back(), (std::pair{int(kWindowTimer), 1}));
}

TEST(VirtualKeysTest, QtKeysMapToTheSystemsKeyCodes) {
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Return), 13);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Enter), 13);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Left), 37);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Right), 39);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Z), 'Z');
    EXPECT_EQ(VirtualKeyOf(Qt::Key_7), '7');
    EXPECT_EQ(VirtualKeyOf(Qt::Key_F5), 116);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Eacute), 0);
}

}  // namespace
}  // namespace tessal::gui
