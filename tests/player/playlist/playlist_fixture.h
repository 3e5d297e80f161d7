#pragma once

// The playlist panel in the player's main window as its layout describes it (tree 18,
// buttons 15, 16, 17), over a temporary program folder with the installation's layouts
// and images. The dialogs answer what the test set; the
// lessons started, the files shown, the boxes and the log lines are recorded.

#include <gtest/gtest.h>

#include <QString>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "common/gui/message_boxes.h"
#include "player/window/playlist_panel.h"
#include "tests/support/temp_folder.h"

namespace tessal::player::test {

class RecordingBoxes : public gui::MessageBoxes {
public:
    void Show(QWidget*, const QString& text, const QString& caption) override {
        shown.push_back(caption + "|" + text);
    }
    std::vector<QString> shown;
};

// A course as the tree shows it: its name and its lessons' names and paths.
struct ShownCourse {
    QString name;
    std::vector<QString> lessons;
    std::vector<QString> paths;
    bool operator==(const ShownCourse&) const = default;
};
void PrintTo(const ShownCourse& course, std::ostream* out);

class PlaylistTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new window and panel over the same program folder (a restart of the player).
    PlaylistPanel& MakePanel();
    PlaylistPanel& Panel() { return panel_ ? *panel_ : MakePanel(); }
    gui::TemplateTree& Items() { return Panel().tree(); }

    // A file below the program folder; its full path.
    std::filesystem::path Write(const std::filesystem::path& relative,
                                std::string_view bytes = "lesson") const {
        return folder_.Write(relative, bytes);
    }
    static QString Text(const std::filesystem::path& path) {
        return QString::fromStdString(path.string());
    }

    std::vector<int> Children(int parent);
    std::vector<ShownCourse> Shown();
    // The first lesson of the course named `course` with the name `lesson`.
    int LessonItem(const QString& course, const QString& lesson);
    void ClickButton(int id);
    // Adds a folder through button 15 and waits until it was read.
    void AddFolder(const std::filesystem::path& folder);
    // Object `object` of `item`'s row once the rows in view were built; null when none.
    QWidget* RowObject(int item, int object);
    void Settle();
    void SaveScreenshot(const char* name);

    TempFolder folder_;
    std::filesystem::path download_folder_;
    std::unique_ptr<QWidget> window_;
    std::unique_ptr<PlaylistPanel> panel_;  // goes before its window, as in the player
    RecordingBoxes boxes_;
    std::vector<std::string> log_;
    std::vector<std::string> opened_;
    std::vector<QString> shown_files_;
    QString folder_answer_;  // what the folder dialog answers; empty: cancelled
    QString file_answer_;
    int folder_dialogs_ = 0;
    int file_dialogs_ = 0;

private:
    void InstallLayouts();
    std::filesystem::path saved_directory_;
};

}  // namespace tessal::player::test
