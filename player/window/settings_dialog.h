#pragma once

// The player's settings dialog ("./Layout/Player/PlayerSet.xml"): the render mode the
// engine uses ("Render" of "[PlayerSet]" in "./UserInfo.ini", applied from the next
// file) and the codec update, which ends the player while TessalUpdataCodes runs.

#include <QWidget>
#include <filesystem>
#include <functional>
#include <string>

namespace tessal::gui {
class MessageBoxes;
}

namespace tessal::player {

class VideoEngine;

inline constexpr const char* kSettingsFailure = "CreatehWINDOW_PlayerSetWndFail";

struct SettingsDialogContext {
    std::filesystem::path program_folder;
    VideoEngine* engine = nullptr;
    gui::MessageBoxes* boxes = nullptr;
    std::function<void(const std::string& line)> log;
    // Starts TessalUpdataCodes; then the player closes (element 9's click).
    std::function<void()> update_codecs;
};

// The render mode "Render" selects: "2", or "1" for anything else.
std::string RenderMode(const std::filesystem::path& program_folder);

// Opens the dialog window-modal over `main_window` and returns without waiting; null,
// with the box and log line, when its layout does not load.
QWidget* OpenSettingsDialog(QWidget* main_window, const SettingsDialogContext& context);

}  // namespace tessal::player
