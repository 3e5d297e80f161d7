// The message manager's opening as the member sees it: from the main window's button to
// the window shown and painted with its first page, on a program folder whose cache
// database holds many messages of the member. Offscreen unless a display is chosen.
// Usage: bench_message_manager [messages]     (default 10,000; target under 100 ms)

#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/messages/message_fill.h"
#include "client/messages/message_manager.h"
#include "common/gui/message_boxes.h"
#include "common/gui/toolkit_setup.h"
#include "site/builders/cache_database_builder.h"

namespace {

constexpr double kTargetMs = 100;

class CountingBoxes : public tessal::gui::MessageBoxes {
public:
    void Show(QWidget*, const QString& text, const QString&) override {
        std::fprintf(stderr, "bench_message_manager: box %s\n", text.toUtf8().constData());
    }
};

bool MakeFolder(const std::filesystem::path& folder, int messages) {
    const std::filesystem::path data = TESSAL_INSTALLATION_DATA_DIR;
    std::error_code failure;
    for (const char* item : {"Layout", "IMAGE"})
        std::filesystem::copy(data / item, folder / item, std::filesystem::copy_options::recursive,
                              failure);
    const std::filesystem::path file = folder / tessal::client::kCacheDatabaseFile;
    std::filesystem::create_directories(file.parent_path(), failure);
    std::string error;
    return !failure && tessal::site::BuildCacheDatabase(file, error) &&
           tessal::bench::Fill(file, messages, messages / 5);
}

int Run(const std::filesystem::path& folder, int messages) {
    if (!MakeFolder(folder, messages)) {
        std::fprintf(stderr, "bench_message_manager: cannot make %s\n", folder.c_str());
        return 1;
    }
    CountingBoxes boxes;
    tessal::client::MessageStore store(folder / tessal::client::kCacheDatabaseFile);
    tessal::client::MessageManager manager(
        {folder, &store, &boxes, [](const std::string&) {}, [](const QString&) {},
         [] { return std::string(tessal::bench::kBenchAccount); }, QIcon()});
    QElapsedTimer timer;
    timer.start();
    manager.Open();
    QWidget* window = manager.window();
    if (window == nullptr || manager.list() == nullptr) {
        std::fprintf(stderr, "bench_message_manager: no window\n");
        return 1;
    }
    window->repaint();  // the first page painted
    QApplication::processEvents();
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    std::printf("messages: %d of the account; listed %d of %d\n", messages,
                manager.list()->ItemCount(), manager.total_count());
    std::printf(
        "button to the window shown with its first page: %.1f ms (target under %.0f ms): "
        "%s\n",
        ms, kTargetMs, ms < kTargetMs ? "met" : "NOT met");
    manager.Close();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    tessal::gui::SetUpToolkit();
    const int messages = argc > 1 ? std::atoi(argv[1]) : 10000;
    std::string pattern =
        (std::filesystem::temp_directory_path() / "bench-manager-XXXXXX").string();
    if (messages < tessal::client::kMessagePageRows || ::mkdtemp(pattern.data()) == nullptr) {
        std::fprintf(stderr, "usage: bench_message_manager [messages >= 30]\n");
        return 2;
    }
    const int result = Run(pattern, messages);
    std::error_code ignored;
    std::filesystem::remove_all(pattern, ignored);
    return result;
}
