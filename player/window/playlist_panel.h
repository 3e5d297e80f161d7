#pragma once

// The player's playlist panel: tree 18 of the main window, lessons grouped by course
// (a course is a top-level item, its lessons its children; an item is a lesson exactly
// when it has no children), filled from "./PlayerList.ini" or, when that yields no
// lesson, from the player download folder, and written back at shutdown. The member adds
// a folder (15) or a file (16), removes an entry (17, optionally with its file), and
// starts a lesson by double click or from the popup menu (201 "开始播放", 202 "定位文件").
// Everything runs on the GUI thread except the walk of an added folder, which runs on
// the panel's own reader thread.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QTreeView>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/gui/element_events.h"
#include "common/gui/message_boxes.h"
#include "common/gui/popup_menu.h"
#include "common/gui/template_tree.h"
#include "player/core/player_list.h"

namespace tessal::player {

class LessonFolderReader;

inline constexpr int kMenuStartLesson = 201;     // "开始播放"
inline constexpr int kMenuShowLessonFile = 202;  // "定位文件"

struct PlaylistEnvironment {
    std::filesystem::path program_folder;   // the current directory
    std::filesystem::path download_folder;  // program folder + "/TessalDownload/" (fallback scan)
    gui::MessageBoxes* boxes = nullptr;
    std::function<void(const std::string& line)> log;          // daily log
    std::function<void(const std::string& path)> open_lesson;  // starts the lesson opener
    // Empty answers mean the member cancelled. Defaults: QFileDialog's folder dialog
    // ("从下面选tessal文件夹目录") and file dialog ("TESSAL文件 (*.tessal)", "所有文件 (*)").
    std::function<QString(QWidget* owner)> choose_folder;
    std::function<QString(QWidget* owner)> choose_file;
    std::function<void(const QString& path)> show_in_file_manager;  // menu 202
};

// Its owner holds it (it has no parent). It may go before or after its window: going
// first, it unbinds what it bound on the window's elements.
class PlaylistPanel : public QObject {
public:
    // Finds tree 18 and buttons 15, 16, 17 in `main_window`, sets the tree up (columns
    // "name", "name2", "name3", "path"; item height 24; the lesson, selected-lesson and
    // course templates of "./Layout/Player/"), binds the buttons, the tree's events and
    // the menu. A missing button stays unbound; a missing tree is replaced by a hidden
    // one, so that the player runs with an empty list.
    PlaylistPanel(QWidget* main_window, PlaylistEnvironment environment);
    ~PlaylistPanel() override;

    // "./PlayerList.ini"; when it yields no lesson, the courses under the download folder.
    void Load();
    // "./PlayerList.ini" anew from the tree; false when it could not be written.
    bool Save();

    int Selected() const;
    int current_item() const { return current_item_; }
    void SetCurrentItem(int item) { current_item_ = item; }
    bool IsLesson(int item) const;  // exists and has no children
    QString PathOf(int item) const;
    QString LessonNameOf(int item) const;
    // The next (previous) lesson of `item`'s course, or gui::kNoItem: a course's last
    // lesson never leads into the next course.
    int NextLesson(int item) const;
    int PreviousLesson(int item) const;
    void Select(int item);
    gui::TemplateTree& tree() { return *tree_; }
    QTreeView* view() const { return view_; }

    // The first course whose name equals `name` exactly; never one for an empty name.
    int FindCourse(const QString& name) const;
    // The course `item` belongs to (a course is its own); gui::kNoItem for no item.
    int CourseOf(int item) const;

    // The buttons' actions, as their clicks run them.
    void AddFolder();
    void OpenFile();
    void OpenDeleteDialog();
    // The open delete dialog, or null.
    QWidget* delete_dialog() const { return delete_dialog_; }
    // A command of the popup menu, on the selected lesson.
    void RunMenuCommand(int menu_item);
    gui::PopupMenu* menu() const { return menu_.get(); }
    void DestroyMenu();  // shutdown

    // Waits until every folder the member added so far was read and shown (tests).
    void FinishFolderReads();

private:
    void SetUpTree();
    void BindButtons();
    void BindTreeEvents();
    void UnbindTreeEvents();
    void CreateMenu();
    QString Path(const char* relative) const;
    void Log(const std::string& line) const;

    int AddCourse(const QString& name);
    int AddLesson(int course, const QString& name, const QString& path);
    void AddCourses(const PlaylistCourses& courses);
    void ShowReadFolder(const std::optional<PlaylistCourse>& course);
    PlaylistCourses Collect() const;

    void ConfirmDelete(QWidget* dialog, int item);
    void RemoveLesson(int item, bool delete_file);
    void DeleteLessonFile(const QString& path) const;
    void ForgetRemoved();

    void OnTemplateChoose(gui::EventArgs& args) const;
    void OnTemplateCreated(gui::EventArgs& args);
    void DecorateCourseRow(QWidget* row, int course) const;
    void BindLessonButton(QWidget* button);
    void OnSelect(gui::EventArgs& args);
    void ToggleCourse(int course);
    void OnLessonButtonDoubleClick(QWidget* button);
    void OnTreeDoubleClick(QPoint point);
    void SelectLessonAt(int item);
    void OnRightButtonUp();

    QPointer<QWidget> main_window_;
    PlaylistEnvironment environment_;
    QPointer<QTreeView> view_;
    QPointer<gui::TemplateTree> tree_;  // owned by the view
    QString course_template_;           // empty when it does not load
    std::unique_ptr<gui::PopupMenu> menu_;
    std::unique_ptr<LessonFolderReader> reader_;
    QPointer<QWidget> delete_dialog_;
    int current_item_ = gui::kNoItem;
    int reclicked_course_ = gui::kNoItem;  // a selected course the left button went down on
};

}  // namespace tessal::player
