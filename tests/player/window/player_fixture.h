#pragma once

// TessalPlayer in this process over a temporary program folder: the installation's
// layouts and images, the real video engine (no audio or video output), the shipped
// cache database and lesson clips made by ffmpeg at build time. Boxes, dialogs and
// started programs are recorded; the screen size is the test's.

#include <gtest/gtest.h>

#include <QSize>
#include <QString>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/gui/message_boxes.h"
#include "player/window/player_app.h"
#include "tests/support/temp_folder.h"

namespace tessal::player::test {

class RecordingBoxes : public gui::MessageBoxes {
public:
    void Show(QWidget*, const QString& text, const QString& caption) override {
        shown.push_back(caption + "|" + text);
        if (while_shown)
            while_shown();  // a modal box runs the event loop until it is answered
    }
    std::vector<QString> shown;
    std::function<void()> while_shown;
};

// Runs the event loop until `done` holds or the time is up; whether it holds.
bool WaitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(20));

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the player with `argument` and waits until its engine is made; false when it
    // ended instead.
    bool Start(const std::string& argument = {}, QSize screen = QSize(1920, 1080));
    // The same, returning as the player's own start does: the window shown, the engine
    // still loading until the event loop runs.
    bool StartLoading(const std::string& argument, QSize screen = QSize(1920, 1080));
    PlayerApp& App() { return *app_; }
    std::filesystem::path Folder() const { return folder_.path(); }
    // A lesson clip of the build copied below the program folder; its full path.
    std::filesystem::path AddClip(const char* clip, const std::filesystem::path& relative) const;
    // The stored position of a lesson, or none.
    std::optional<int> StoredPosition(const std::string& key) const;
    void StorePosition(const std::string& key, int position_ms) const;
    // The engine's state once the event loop delivered it.
    bool WaitForState(int state, std::chrono::milliseconds limit = std::chrono::seconds(20));
    bool WaitForPosition(const std::function<bool(int)>& holds,
                         std::chrono::milliseconds limit = std::chrono::seconds(20));

    TempFolder folder_;
    RecordingBoxes boxes_;
    std::vector<std::string> started_programs_;
    std::function<std::unique_ptr<DesktopLink>(Playback&, QWidget*, std::function<void()>)>
        desktop_link_;
    std::unique_ptr<PlayerApp> app_;
};

}  // namespace tessal::player::test
