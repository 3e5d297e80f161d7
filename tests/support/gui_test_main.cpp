// GUI tests need one application object for the whole run; they draw on the offscreen
// platform unless the environment names another.

#include <gtest/gtest.h>

#include <QApplication>
#include <QThreadPool>
#include <cstdlib>

#include "common/gui/toolkit_setup.h"

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    tessal::gui::SetUpToolkit();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    // Qt scales large images on its shared thread pool; its threads would otherwise end
    // only while the process exits, under the sanitizer's leak check, which then fails.
    QThreadPool::globalInstance()->waitForDone();
    return result;
}
