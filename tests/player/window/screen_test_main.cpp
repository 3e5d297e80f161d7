// The player on a real X server of its own (Xvfb), for what only a real window shows:
// the video's frames. Skips its tests when Xvfb is not there.

#include <gtest/gtest.h>

#include <QApplication>
#include <QThreadPool>
#include <cstdlib>

#include "common/gui/toolkit_setup.h"
#include "tests/engines/video/xvfb_server.h"

int main(int argc, char** argv) {
    tessal::aplayer::test::XvfbServer server("1366x768x24");
    if (server.display().empty()) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("TESSAL_TEST_NO_XVFB", "1", 1);
    } else {
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        ::setenv("DISPLAY", server.display().c_str(), 1);
    }
    int result = 0;
    {
        QApplication application(argc, argv);
        tessal::gui::SetUpToolkit();
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
        QThreadPool::globalInstance()->waitForDone();
    }
    return result;
}
