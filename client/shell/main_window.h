#pragma once

// The main window: its frame and title-bar buttons, the header's pictures and buttons,
// the course tree with its menu and course-picture thread, and the empty web view
// element. Built once, hidden, while the login window shows.

#include <QSize>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "client/catalogue/catalogue_queries.h"
#include "client/catalogue/course_pictures.h"
#include "client/catalogue/course_tree.h"
#include "common/gui/message_boxes.h"
#include "common/gui/popup_menu.h"
#include "common/gui/web/ewe_library.h"

namespace tessal::client {

struct MainWindowHooks {
    std::function<void()> open_settings;
    std::function<void()> hide;
    std::function<void()> shut_down;
    std::function<void()> open_download_center;  // element 17
    std::function<void()> start_player;          // element 18
    std::function<void()> open_messages;         // element 19
    std::function<void(const std::string& course_id)> open_course;
    std::function<void(int course_id)> queue_course;
    std::function<void(const std::string& line)> log;
};

class MainWindow {
public:
    // Takes `window`, loaded from the main layout. `web_engine` is the one its web view
    // element would load, were a page ever loaded into it.
    MainWindow(QWidget* window, std::filesystem::path program_folder,
               std::shared_ptr<gui::EweLibrary> web_engine);
    ~MainWindow();
    QWidget* window() const { return window_.get(); }

    // Background, shadow, border resizing, and a height that fits `screen`.
    void SetUpFrame(QSize screen);
    // Every element, the course tree from `catalogue`, then (when the whole catalogue
    // was read) the course menu and the course-picture thread. `stop` is the client's:
    // the picture thread starts nothing once it is raised.
    void Build(const CatalogueQueries& catalogue, gui::MessageBoxes& boxes, MainWindowHooks hooks,
               const StopSignal* stop);

    CourseTree* course_tree() const { return course_tree_; }
    gui::PopupMenu* course_menu() const { return course_menu_.get(); }
    CoursePictures* course_pictures() const { return course_pictures_.get(); }
    // Ends the picture thread (the shutdown routine's workers stage, or a new build).
    void StopCoursePictures();
    // The shutdown routine destroys the menu.
    void DestroyCourseMenu() { course_menu_.reset(); }

private:
    QString Image(const char* relative) const;
    void BindTitleButtons();
    void SetHeaderImages();
    void BindHeaderButtons(gui::MessageBoxes& boxes);
    void AddWebElement();
    void BuildCourseTree(const CatalogueQueries& catalogue, gui::MessageBoxes& boxes,
                         const StopSignal* stop);
    void StartCoursePictures(const CatalogueQueries& catalogue, const StopSignal* stop);

    std::unique_ptr<QWidget> window_;
    std::filesystem::path program_folder_;
    std::shared_ptr<gui::EweLibrary> web_engine_;
    MainWindowHooks hooks_;
    CourseTree* course_tree_ = nullptr;  // owned by the tree element
    std::unique_ptr<gui::PopupMenu> course_menu_;
    std::unique_ptr<CoursePictures> course_pictures_;
};

// The main window's place on a screen too low for it: x at the screen's middle (moved
// left as far as needed to keep the window on the screen), y 15, and 80 % of the screen
// height less 60 pixels; nothing when it fits.
std::optional<QRect> PlaceOnLowScreen(QSize screen, QRect window);

}  // namespace tessal::client
