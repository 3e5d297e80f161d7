// Handlers bound by event code run for the member's input and for sent and posted
// events, in the order bound, and a window's key-down handler sees each key once.

#include "common/gui/element_events.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <vector>

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
