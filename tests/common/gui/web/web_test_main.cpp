// The web view tests run on the offscreen platform in one application object, with the
// developer traces on (a test reads the toolkit's trace) and the web engine prepared as
// the client prepares it.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "common/gui/toolkit_setup.h"
#include "common/gui/web/web_engine_environment.h"

// Chromium, inside the system's Qt WebEngine, deletes some objects through a pointer of
// another size, which the address sanitizer of the sanitized build reports as a
// new-delete type mismatch and ends on. That one check is off in this program only.
extern "C" const char* __asan_default_options() {
    return "new_delete_type_mismatch=0";
}

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("TESSAL_TRACE", "1", 1);
    tessal::gui::PrepareWebEngineEnvironment();
    ::testing::InitGoogleTest(&argc, argv);
    // What gtest leaves of the command line; Chromium reads it too.
    QApplication application(argc, argv);
    tessal::gui::SetUpToolkit();
    return RUN_ALL_TESTS();
}
