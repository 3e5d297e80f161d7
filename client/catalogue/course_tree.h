#pragma once

// The main window's course tree: one group per course type ("%s[%d门课程]"), one item
// per course with its picture, name, level stars and completion, built from the course
// database while the login window shows. Courses whose picture is not on disk yet show
// the placeholder and go to the picture list that the course-picture thread works
// through. The tree's handlers: a group toggles when selected, a course opens on double
// click, and a right click selects the course under the cursor and shows the menu whose
// commands (201, 202) act on it.

#include <QObject>
#include <QPoint>
#include <QString>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "client/catalogue/catalogue_queries.h"
#include "common/gui/element_events.h"
#include "common/gui/template_tree.h"

class QTreeView;

namespace tessal::client {

class PictureListWriter;

inline constexpr int kMenuWatchOnline = 201;  // "在线观看"
inline constexpr int kMenuCacheCourse = 202;  // "缓存课程"

struct CourseTreeHooks {
    // Opens the lesson window for a course id in decimal text (double click, 201).
    std::function<void(const std::string& course_id)> open_course;
    // Queues every lesson of a course for download (202).
    std::function<void(int course_id)> queue_course;
    // A box with no owner and an OK button.
    std::function<void(const QString& text, const QString& caption)> show_box;
    std::function<void(const std::string& line)> log;
    // Shows the course menu at a point of the screen.
    std::function<void(QPoint global)> show_menu;
};

class CourseTree : public QObject {
public:
    CourseTree(QTreeView* view, std::filesystem::path program_folder,
               const CatalogueQueries& catalogue, CourseTreeHooks hooks);

    // Fills the tree from the database and writes the picture list; false when it ended
    // early (no types, or a type whose lists came back empty): the groups filled so far
    // stay, and no picture thread or menu follows.
    bool Build();
    // A command of the course menu, on the selected course.
    void RunMenuCommand(int menu_item);
    // A downloaded picture for `item`: shown when the item still exists and is a course.
    void ShowPicture(int item, const std::filesystem::path& picture);

    gui::TemplateTree& tree() const { return *tree_; }
    // The picture a course item shows now (its file).
    QString PictureOf(int item) const { return tree_->ImagePath(item, "name9"); }
    bool IsGroup(int item) const;

private:
    struct CourseColumns;

    void SetUpView();
    void BindTreeEvents();
    void PrepareRows();
    bool ReadColumns(const std::string& type, CourseColumns& columns);
    void AddCourse(int group, const CourseColumns& columns, std::size_t k,
                   PictureListWriter& pictures);
    QString Image(const char* relative) const;

    void OnTemplateChoose(gui::EventArgs& args) const;
    void OnTemplateCreated(gui::EventArgs& args);
    void BindRowDoubleClick(QWidget* row, QWidget* whole);
    void OnSelect(gui::EventArgs& args);
    void ShowGroupStates();
    void OnDoubleClick(QPoint point);
    void OnRightButtonDown(QPoint point);
    void OnRightButtonUp();
    void OpenCourseOf(int item, const char* empty_id_line);

    QTreeView* view_;
    gui::TemplateTree* tree_;
    std::filesystem::path program_folder_;
    const CatalogueQueries& catalogue_;
    CourseTreeHooks hooks_;
    QString group_template_;            // empty when it could not be loaded
    int right_clicked_ = gui::kNoItem;  // the course a right button went down on
};

}  // namespace tessal::client
