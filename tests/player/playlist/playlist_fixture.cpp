#include "tests/player/playlist/playlist_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <cstdlib>

#include "common/gui/elements.h"
#include "common/gui/layout_loader.h"

namespace tessal::player::test {
namespace {

using gui::kNoItem;
using gui::kRootItem;

}  // namespace

void PlaylistTest::SetUp() {
    saved_directory_ = std::filesystem::current_path();
    download_folder_ = folder_.path() / "TessalDownload";
    InstallLayouts();
    // The player runs in its program folder; layouts name their images relative to it.
    std::filesystem::current_path(folder_.path());
}

// The program folder, the current directory, goes with the test.
void PlaylistTest::TearDown() {
    panel_.reset();
    window_.reset();
    Settle();
    std::filesystem::current_path(saved_directory_);
}

void PlaylistTest::InstallLayouts() {
    const std::filesystem::path data = TESSAL_INSTALLATION_DATA_DIR;
    for (const char* item : {"Layout", "IMAGE"})
        std::filesystem::copy(data / item, folder_.path() / item,
                              std::filesystem::copy_options::recursive);
}

PlaylistPanel& PlaylistTest::MakePanel() {
    panel_.reset();
    window_.reset();
    QString error;
    window_.reset(gui::LoadLayout(Text(folder_.path() / "Layout/Player.xml"), nullptr, &error));
    if (window_ == nullptr) {
        ADD_FAILURE() << error.toStdString();
        window_ = std::make_unique<QWidget>();
    }
    window_->show();

    PlaylistEnvironment environment;
    environment.program_folder = folder_.path();
    environment.download_folder = download_folder_.string() + "/";
    environment.boxes = &boxes_;
    environment.log = [this](const std::string& line) { log_.push_back(line); };
    environment.open_lesson = [this](const std::string& path) { opened_.push_back(path); };
    environment.choose_folder = [this](QWidget*) {
        ++folder_dialogs_;
        return folder_answer_;
    };
    environment.choose_file = [this](QWidget*) {
        ++file_dialogs_;
        return file_answer_;
    };
    environment.show_in_file_manager = [this](const QString& path) {
        shown_files_.push_back(path);
    };
    panel_ = std::make_unique<PlaylistPanel>(window_.get(), std::move(environment));
    return *panel_;
}

void PrintTo(const ShownCourse& course, std::ostream* out) {
    *out << course.name.toStdString() << " {";
    for (std::size_t k = 0; k < course.lessons.size(); ++k)
        *out << " " << course.lessons[k].toStdString() << " @ " << course.paths[k].toStdString();
    *out << " }";
}

std::vector<int> PlaylistTest::Children(int parent) {
    std::vector<int> items;
    for (int item = Items().FirstChild(parent); item != kNoItem; item = Items().NextSibling(item))
        items.push_back(item);
    return items;
}

std::vector<ShownCourse> PlaylistTest::Shown() {
    std::vector<ShownCourse> courses;
    for (const int course : Children(kRootItem)) {
        ShownCourse shown{Items().Text(course, "name"), {}, {}};
        for (const int lesson : Children(course)) {
            shown.lessons.push_back(Items().Text(lesson, "name2"));
            shown.paths.push_back(Items().Text(lesson, "path"));
        }
        courses.push_back(shown);
    }
    return courses;
}

int PlaylistTest::LessonItem(const QString& course, const QString& lesson) {
    for (const int item : Children(kRootItem)) {
        if (Items().Text(item, "name") != course)
            continue;
        for (const int child : Children(item)) {
            if (Items().Text(child, "name2") == lesson)
                return child;
        }
    }
    return kNoItem;
}

void PlaylistTest::ClickButton(int id) {
    Panel();
    auto* button = qobject_cast<QAbstractButton*>(gui::FindElement(window_.get(), id));
    ASSERT_NE(button, nullptr) << id;
    button->click();
}

void PlaylistTest::AddFolder(const std::filesystem::path& folder) {
    folder_answer_ = Text(folder);
    ClickButton(15);
    Panel().FinishFolderReads();
}

QWidget* PlaylistTest::RowObject(int item, int object) {
    Items().RefreshNow();
    QTest::qWait(1);  // rows take their places in the view
    QWidget* row = Items().RowWidget(item);
    return row != nullptr ? gui::FindElement(row, object) : nullptr;
}

void PlaylistTest::Settle() {
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// For a person to look at: the window as drawn, in TESSAL_SCREENSHOT_DIR when it is set.
void PlaylistTest::SaveScreenshot(const char* name) {
    const char* shots = std::getenv("TESSAL_SCREENSHOT_DIR");
    if (shots == nullptr || window_ == nullptr)
        return;
    std::filesystem::create_directories(shots);
    QWidget* tree = gui::FindElement(window_.get(), 18);
    QWidget* shown =
        tree != nullptr && tree->parentWidget() != nullptr ? tree->parentWidget() : window_.get();
    shown->grab().save(QString::fromStdString(
        (std::filesystem::path(shots) / (std::string(name) + ".png")).string()));
}

}  // namespace tessal::player::test
