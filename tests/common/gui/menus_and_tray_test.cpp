// Popup menu items report their IDs; tray clicks arrive as the system's mouse messages.

#include <gtest/gtest.h>

#include <QSystemTrayIcon>
#include <vector>

#include "common/gui/popup_menu.h"
#include "common/gui/toolkit_codes.h"
#include "common/gui/tray_icon.h"

namespace tessal::gui {
namespace {

TEST(PopupMenuTest, ChoosingAnItemReportsItsId) {
    std::vector<int> chosen;
    PopupMenu menu([&](int id) { chosen.push_back(id); });
    menu.AddItem(201, "在线观看");
    menu.AddItem(202, "缓存课程");
    ASSERT_EQ(menu.menu()->actions().size(), 2);
    EXPECT_EQ(menu.menu()->actions()[1]->text(), "缓存课程");
    EXPECT_TRUE(menu.Choose(202));
    EXPECT_TRUE(menu.Choose(201));
    EXPECT_FALSE(menu.Choose(203));
    EXPECT_EQ(chosen, (std::vector<int>{202, 201}));
}

TEST(TrayIconTest, ClicksArriveAsMouseMessagesAndRemoveTakesTheIconAway) {
    std::vector<int> messages;
    TrayIcon tray("ico2.ico", "TessalClient", [&](int message) { messages.push_back(message); });
    EXPECT_EQ(tray.tip(), "TessalClient");
    EXPECT_TRUE(tray.visible());
    emit tray.icon()->activated(QSystemTrayIcon::Trigger);
    emit tray.icon()->activated(QSystemTrayIcon::DoubleClick);
    emit tray.icon()->activated(QSystemTrayIcon::Context);
    emit tray.icon()->activated(QSystemTrayIcon::Unknown);
    EXPECT_EQ(messages,
              (std::vector<int>{kTrayLeftButtonDown, kTrayLeftDoubleClick, kTrayRightButtonUp}));
    tray.Remove();
    EXPECT_FALSE(tray.visible());
    tray.Remove();
}

}  // namespace
}  // namespace tessal::gui
