// TessalClient: the member's client. Its folder is the program folder and becomes the
// current folder; it ignores its command line and always ends with 0.

#include <QApplication>

#include "client/shell/client_app.h"
#include "common/base/runtime_paths.h"
#include "common/gui/termination_signals.h"
#include "common/gui/toolkit_setup.h"
#include "common/gui/web/web_engine_environment.h"

int main(int argc, char** argv) {
    tessal::gui::PrepareWebEngineEnvironment();  // before any thread starts
    QApplication application(argc, argv);
    tessal::gui::SetUpToolkit();
    // The shutdown routine ends the run, as the close buttons and signals ask.
    QApplication::setQuitOnLastWindowClosed(false);

    tessal::gui::MessageBoxes& boxes = tessal::gui::ProgramMessageBoxes();

    tessal::client::ClientApp client(
        tessal::client::DesktopEnvironment(tessal::ProgramFolder(), boxes));
    if (!client.Start())
        return 0;
    tessal::gui::TerminationSignals termination([&client](int) { client.Shutdown(); });
    QApplication::exec();
    client.Shutdown();
    return 0;
}
