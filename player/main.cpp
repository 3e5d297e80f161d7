// TessalPlayer: the offline lesson player. Its folder is the program folder and becomes
// the current folder; its arguments, taken together, are one lesson path. It always
// ends with 0.

#include <QApplication>
#include <filesystem>
#include <string>

#include "common/base/runtime_paths.h"
#include "common/gui/termination_signals.h"
#include "common/gui/toolkit_setup.h"
#include "player/core/lesson_path.h"
#include "player/window/player_app.h"

namespace {

// The command line as one path: a path with blanks may come unquoted in pieces. A
// relative path is the caller's, so it is made whole before the player moves to its own
// folder (or hands it to the running player, whose folder is another).
std::string LessonArgument(int argc, char** argv) {
    std::string argument;
    for (int i = 1; i < argc; ++i)
        argument += (i > 1 ? " " : "") + std::string(argv[i]);
    const std::string bare = tessal::player::StripSurroundingQuotes(argument);
    std::error_code error;
    if (bare.empty() || std::filesystem::u8path(bare).is_absolute())
        return argument;
    const auto whole = std::filesystem::absolute(std::filesystem::u8path(bare), error);
    return error ? argument : whole.lexically_normal().string();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string argument = LessonArgument(argc, argv);
    QApplication application(argc, argv);
    tessal::gui::SetUpToolkit();
    QApplication::setQuitOnLastWindowClosed(false);

    tessal::gui::MessageBoxes& boxes = tessal::gui::ProgramMessageBoxes();

    tessal::player::PlayerApp player(
        tessal::player::DesktopPlayerEnvironment(tessal::ProgramFolder(), boxes));
    // Taken before the start, so that a signal while the playlist loads still ends the
    // player through its shutdown, once the event loop runs.
    tessal::gui::TerminationSignals termination([&player](int) { player.Shutdown(); });
    if (!player.Start(argument))
        return 0;
    QApplication::exec();
    player.Shutdown();
    return 0;
}
