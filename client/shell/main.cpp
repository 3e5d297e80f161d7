// TessalClient: the member's client. Its folder is the program folder and becomes the
// current folder; it ignores its command line and always ends with 0.

#include <QApplication>
#include <QFile>
#include <cstdlib>

#include "client/shell/client_app.h"
#include "common/base/runtime_paths.h"
#include "common/gui/termination_signals.h"
#include "common/gui/toolkit_setup.h"
#include "common/gui/web/web_engine_environment.h"

namespace {

// Test-only: with TESSAL_TEST_BOX_LOG set, boxes are appended to that file as
// "caption|text" lines and answered at once, so that tests of the real program need no
// member. Never set in use.
class LoggedMessageBoxes : public tessal::gui::MessageBoxes {
public:
    explicit LoggedMessageBoxes(QString file) : file_(std::move(file)) {}
    void Show(QWidget*, const QString& text, const QString& caption) override {
        QFile log(file_);
        if (log.open(QIODevice::Append))
            log.write((caption + "|" + text + "\n").toUtf8());
    }

private:
    QString file_;
};

}  // namespace

int main(int argc, char** argv) {
    tessal::gui::PrepareWebEngineEnvironment();  // before any thread starts
    QApplication application(argc, argv);
    tessal::gui::SetUpToolkit();
    // The shutdown routine ends the run, as the close buttons and signals ask.
    QApplication::setQuitOnLastWindowClosed(false);

    tessal::gui::ModalMessageBoxes modal_boxes;
    const char* box_log = std::getenv("TESSAL_TEST_BOX_LOG");
    LoggedMessageBoxes logged_boxes(QString::fromUtf8(box_log ? box_log : ""));
    tessal::gui::MessageBoxes& boxes =
        box_log != nullptr ? static_cast<tessal::gui::MessageBoxes&>(logged_boxes) : modal_boxes;

    tessal::client::ClientApp client(
        tessal::client::DesktopEnvironment(tessal::ProgramFolder(), boxes));
    if (!client.Start())
        return 0;
    tessal::gui::TerminationSignals termination([&client](int) { client.Shutdown(); });
    QApplication::exec();
    client.Shutdown();
    return 0;
}
