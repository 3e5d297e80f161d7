// The main window's web view element: element 22 holds it, it fills its cell, and since
// no page is ever loaded into it the web engine is never loaded.

#include <QLayout>

#include "common/gui/web/xweb.h"
#include "tests/client/shell/client_fixture.h"

namespace tessal::client::test {
namespace {

TEST_F(ClientTest, TheMainWindowsWebElementFillsElement22AndLoadsNoEngine) {
    ASSERT_TRUE(StartClient());
    EXPECT_EQ(client_->web_engine().library(), installation_->folder() / "libewe.so");
    QWidget* holder = gui::FindElement(Main(), 22);
    ASSERT_NE(holder, nullptr);
    const auto elements = holder->findChildren<gui::XWeb*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(elements.size(), 1);
    gui::XWeb* web = elements.front();
    EXPECT_EQ(holder->layout()->indexOf(web), 0);
    ASSERT_NE(gui::XWeb_GetWebView(web), nullptr);

    TypeAndLogin("demo", "demo123");
    ASSERT_TRUE(WaitForMainWindow());
    QTest::qWait(200);
    EXPECT_TRUE(web->isVisible());
    EXPECT_EQ(web->geometry(), holder->contentsRect());
    EXPECT_FALSE(client_->web_engine().loaded());
    EXPECT_EQ(gui::XWeb_GetWebView(web)->engine_view(), nullptr);
}

}  // namespace
}  // namespace tessal::client::test
