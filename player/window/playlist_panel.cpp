#include "player/window/playlist_panel.h"

#include <QFileDialog>
#include <QHash>
#include <QTreeView>
#include <algorithm>
#include <system_error>

#include "common/gui/elements.h"
#include "common/gui/layout_loader.h"
#include "common/gui/toolkit_codes.h"
#include "player/core/lesson_path.h"
#include "player/window/lesson_folder_reader.h"

namespace tessal::player {
namespace {

using namespace tessal::gui;

constexpr int kTreeId = 18;
constexpr int kAddFolderId = 15;
constexpr int kOpenFileId = 16;
constexpr int kDeleteId = 17;
constexpr int kItemHeight = 24;

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

bool HasLesson(const PlaylistCourses& courses) {
    return std::any_of(courses.begin(), courses.end(),
                       [](const PlaylistCourse& course) { return !course.lessons.empty(); });
}

QString ChooseFolder(QWidget* owner) {
    return QFileDialog::getExistingDirectory(owner, "从下面选tessal文件夹目录");
}

QString ChooseFile(QWidget* owner) {
    return QFileDialog::getOpenFileName(owner, QString(), QString(),
                                        "TESSAL文件 (*.tessal);;所有文件 (*)");
}

}  // namespace

PlaylistPanel::PlaylistPanel(QWidget* main_window, PlaylistEnvironment environment)
    : main_window_(main_window),
      environment_(std::move(environment)),
      reader_(std::make_unique<LessonFolderReader>()) {
    if (!environment_.choose_folder)
        environment_.choose_folder = ChooseFolder;
    if (!environment_.choose_file)
        environment_.choose_file = ChooseFile;
    SetUpTree();
    BindButtons();
    BindTreeEvents();
    CreateMenu();
}

// The window's buttons lose their click handlers (the panel bound the only ones), the
// tree its handlers, and an open delete dialog goes: nothing calls into a panel that is gone.
PlaylistPanel::~PlaylistPanel() {
    delete delete_dialog_.data();
    if (main_window_) {
        for (const int id : {kAddFolderId, kOpenFileId, kDeleteId})
            RemoveEvents(FindElement(main_window_, id), kEventButtonClick);
    }
    UnbindTreeEvents();
}

QString PlaylistPanel::Path(const char* relative) const {
    return QString::fromStdString((environment_.program_folder / relative).string());
}

void PlaylistPanel::Log(const std::string& line) const {
    if (environment_.log)
        environment_.log(line);
}

// A layout without tree 18 still gets a tree, hidden, so that the rest of the player
// works on an empty list instead of on no list.
void PlaylistPanel::SetUpTree() {
    view_ = FindElementAs<QTreeView>(main_window_, kTreeId);
    if (view_ == nullptr) {
        Log("PlayerList tree is missing");
        view_ = new QTreeView(main_window_);
        view_->hide();
    }
    tree_ = new TemplateTree(view_);
    view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A course toggles when selected; the view's own double-click toggle would undo it.
    view_->setExpandsOnDoubleClick(false);
    for (const char* column : {"name", "name2", "name3", "path"})
        tree_->AddColumn(column);
    tree_->SetItemHeights(kItemHeight, kItemHeight);
    tree_->SetItemTemplate(Path("Layout/Player/TreeForPlayer2.xml"));
    tree_->SetSelectedItemTemplate(Path("Layout/Player/TreeForPlayer_sel.xml"));
    // Courses use their own template only when it loads; otherwise the lessons' one.
    const QString course = Path("Layout/Player/TreeForPlayer.xml");
    if (IsLoadableLayout(course))
        course_template_ = course;
}

void PlaylistPanel::BindButtons() {
    const auto on_click = [this](int id, void (PlaylistPanel::*action)()) {
        if (QWidget* button = FindElement(main_window_, id))
            RegisterEvent(button, kEventButtonClick,
                          [this, action](EventArgs&) { (this->*action)(); });
    };
    on_click(kAddFolderId, &PlaylistPanel::AddFolder);
    on_click(kOpenFileId, &PlaylistPanel::OpenFile);
    on_click(kDeleteId, &PlaylistPanel::OpenDeleteDialog);
}

void PlaylistPanel::Load() {
    PlaylistCourses courses = LoadPlayerList(environment_.program_folder / kPlayerListFile);
    if (!HasLesson(courses))
        courses = ScanLessonFolder(environment_.download_folder);
    AddCourses(courses);
}

// A tree already gone (its window destroyed) has nothing to say: the file stays as it is
// rather than being written empty.
bool PlaylistPanel::Save() {
    if (tree_.isNull())
        return false;
    return SavePlayerList(environment_.program_folder / kPlayerListFile, Collect());
}

// The courses that have lessons with a name and a path, each under a name, in tree order.
PlaylistCourses PlaylistPanel::Collect() const {
    PlaylistCourses courses;
    int position = 0;
    for (int item = tree_->FirstChild(kRootItem); item != kNoItem && position < kMaxSavedCourses;
         item = tree_->NextSibling(item), ++position) {
        PlaylistCourse course{tree_->Text(item, "name").toStdString(), {}};
        for (int lesson = tree_->FirstChild(item); lesson != kNoItem && !course.name.empty();
             lesson = tree_->NextSibling(lesson)) {
            const QString name = tree_->Text(lesson, "name2");
            const QString path = tree_->Text(lesson, "path");
            if (!name.isEmpty() && !path.isEmpty())
                course.lessons.push_back({name.toStdString(), path.toStdString()});
        }
        if (!course.lessons.empty())
            courses.push_back(std::move(course));
    }
    return courses;
}

// Each course's lessons go to the first course item of its name, made when there is none.
namespace {

int FindIndexed(const QHash<QString, int>& by_name, const QString& name) {
    const auto found = by_name.constFind(name);
    return found != by_name.constEnd() ? found.value() : kNoItem;
}

}  // namespace

// Courses found by name through one index of the tree's courses, so that a list of many
// thousands of courses loads in linear time.
void PlaylistPanel::AddCourses(const PlaylistCourses& courses) {
    QHash<QString, int> by_name;
    for (int item = tree_->FirstChild(kRootItem); item != kNoItem; item = tree_->NextSibling(item))
        if (!by_name.contains(tree_->Text(item, "name")))
            by_name.insert(tree_->Text(item, "name"), item);  // the first of a name
    for (const PlaylistCourse& course : courses) {
        const QString name = FromUtf8(course.name);
        int item = kNoItem;
        for (const PlaylistLesson& lesson : course.lessons) {
            if (item == kNoItem && !name.isEmpty())
                item = FindIndexed(by_name, name);
            if (item == kNoItem) {
                item = AddCourse(name);
                if (!name.isEmpty() && !by_name.contains(name))
                    by_name.insert(name, item);
            }
            AddLesson(item, FromUtf8(lesson.name), FromUtf8(lesson.path));
        }
    }
}

int PlaylistPanel::AddCourse(const QString& name) {
    const int course = tree_->InsertItem(kRootItem);
    tree_->SetText(course, "name", name);
    return course;
}

int PlaylistPanel::AddLesson(int course, const QString& name, const QString& path) {
    const int lesson = tree_->InsertItem(course);
    tree_->SetCells(lesson, {{"name2", name}, {"name", name}, {"path", path}});
    return lesson;
}

int PlaylistPanel::FindCourse(const QString& name) const {
    if (name.isEmpty())
        return kNoItem;
    for (int item = tree_->FirstChild(kRootItem); item != kNoItem;
         item = tree_->NextSibling(item)) {
        if (tree_->Text(item, "name") == name)
            return item;
    }
    return kNoItem;
}

int PlaylistPanel::CourseOf(int item) const {
    for (int course = tree_->FirstChild(kRootItem); course != kNoItem;
         course = tree_->NextSibling(course)) {
        if (course == item)
            return course;
        for (int lesson = tree_->FirstChild(course); lesson != kNoItem;
             lesson = tree_->NextSibling(lesson)) {
            if (lesson == item)
                return course;
        }
    }
    return kNoItem;
}

int PlaylistPanel::Selected() const {
    return tree_->Selected();
}

void PlaylistPanel::Select(int item) {
    tree_->Select(item);
    view_->viewport()->update();
}

bool PlaylistPanel::IsLesson(int item) const {
    return tree_->Exists(item) && tree_->FirstChild(item) == kNoItem;
}

QString PlaylistPanel::PathOf(int item) const {
    return tree_->Text(item, "path");
}

QString PlaylistPanel::LessonNameOf(int item) const {
    return tree_->Text(item, "name2");
}

int PlaylistPanel::NextLesson(int item) const {
    const int course = CourseOf(item);
    if (!IsLesson(item) || course == item)
        return kNoItem;
    return tree_->NextSibling(item);
}

int PlaylistPanel::PreviousLesson(int item) const {
    const int course = CourseOf(item);
    if (!IsLesson(item) || course == item)
        return kNoItem;
    int previous = kNoItem;
    for (int lesson = tree_->FirstChild(course); lesson != item;
         lesson = tree_->NextSibling(lesson))
        previous = lesson;
    return previous;
}

void PlaylistPanel::AddFolder() {
    const QString folder = environment_.choose_folder(main_window_);
    if (folder.isEmpty()) {
        Log("FolderDialogApi Fail");
        return;
    }
    reader_->Queue(folder.toStdString(),
                   [this](const std::optional<PlaylistCourse>& course) { ShowReadFolder(course); });
}

// A folder always makes a course item of its own, also when one of its name exists.
void PlaylistPanel::ShowReadFolder(const std::optional<PlaylistCourse>& course) {
    if (!course || course->name.empty() || course->lessons.empty()) {
        Log("OnAddFolderBtnClick CourseName is null");
        return;
    }
    if (tree_.isNull())
        return;
    const int item = AddCourse(FromUtf8(course->name));
    for (const PlaylistLesson& lesson : course->lessons)
        AddLesson(item, FromUtf8(lesson.name), FromUtf8(lesson.path));
}

void PlaylistPanel::FinishFolderReads() {
    reader_->Finish();
}

// The file joins the selected course, or the course of the selected lesson.
void PlaylistPanel::OpenFile() {
    const int course = CourseOf(Selected());
    if (course == kNoItem)
        return;
    const QString path = environment_.choose_file(main_window_);
    if (path.isEmpty()) {
        Log("GetOpenFileNameA  fail");
        return;
    }
    std::error_code ignored;  // the dialog may have moved the current directory
    std::filesystem::current_path(environment_.program_folder, ignored);
    if (tree_->Exists(course))
        AddLesson(course, FromUtf8(LessonTitle(path.toStdString())), path);
}

}  // namespace tessal::player
