// The playlist tree's handlers: which template a row uses and what its objects get, a
// course toggling when it is selected, double clicks that start a lesson, and the right
// click that selects the lesson under the cursor before the menu shows.

#include <QAbstractButton>
#include <QCursor>
#include <QLabel>
#include <QTreeView>
#include <utility>

#include "common/gui/elements.h"
#include "common/gui/state_images.h"
#include "common/gui/toolkit_codes.h"
#include "player/window/playlist_panel.h"

namespace tessal::player {
namespace {

using namespace tessal::gui;

constexpr int kCourseButtonObject = 1;
constexpr int kCourseTextObject = 2;
constexpr int kLessonButtonObject = 4;
constexpr const char* kUserData = "userData";
constexpr const char* kLessonButtonBound = "playlistLessonButtonBound";
constexpr const char* kCourseButtonReady = "playlistCourseButtonReady";
constexpr unsigned kExpandedCourseColour = 0xE4AF1D;
constexpr unsigned kCollapsedCourseColour = 0xACACAC;

}  // namespace

void PlaylistPanel::BindTreeEvents() {
    RegisterEvent(view_, kEventTreeTemplateChoose,
                  [this](EventArgs& args) { OnTemplateChoose(args); });
    RegisterEvent(view_, kEventTreeTemplateCreated,
                  [this](EventArgs& args) { OnTemplateCreated(args); });
    RegisterEvent(view_, kEventTreeSelect, [this](EventArgs& args) { OnSelect(args); });
    // A course's row shows its state however it changed.
    const auto show_state = [this](const QModelIndex&) {
        for (int course = tree_->FirstChild(kRootItem); course != kNoItem;
             course = tree_->NextSibling(course)) {
            if (QWidget* row = tree_->RowWidget(course))
                DecorateCourseRow(row, course);
        }
    };
    connect(view_, &QTreeView::expanded, this, show_state);
    connect(view_, &QTreeView::collapsed, this, show_state);

    // Mouse input of the tree arrives in its viewport (rows pass on the clicks they do
    // not use).
    QWidget* viewport = view_->viewport();
    RegisterEvent(viewport, kEventLeftDoubleClick,
                  [this](EventArgs& args) { OnTreeDoubleClick(args.point); });
    // A click on the course already selected selects nothing new, yet toggles it too.
    RegisterEvent(viewport, kEventLeftButtonDown, [this](EventArgs& args) {
        const int item = tree_->HitTest(args.point);
        reclicked_course_ =
            item != kNoItem && item == Selected() && !IsLesson(item) ? item : kNoItem;
    });
    RegisterEvent(viewport, kEventLeftButtonUp, [this](EventArgs& args) {
        const int course = std::exchange(reclicked_course_, kNoItem);
        if (course != kNoItem && tree_->HitTest(args.point) == course)
            ToggleCourse(course);
    });
    // The right button is the menu's alone: the view's own handling would select (and so
    // toggle) a course under the member's click.
    RegisterEvent(viewport, kEventRightButtonDown, [this](EventArgs& args) {
        SelectLessonAt(tree_->HitTest(args.point));
        args.handled = true;
    });
    RegisterEvent(viewport, kEventRightButtonUp, [this](EventArgs& args) {
        OnRightButtonUp();
        args.handled = true;
    });
}

void PlaylistPanel::UnbindTreeEvents() {
    if (view_.isNull())
        return;
    for (const int code : {kEventTreeTemplateChoose, kEventTreeTemplateCreated, kEventTreeSelect})
        RemoveEvents(view_, code);
    const int mouse[] = {kEventLeftButtonDown, kEventLeftButtonUp, kEventLeftDoubleClick,
                         kEventRightButtonDown, kEventRightButtonUp};
    for (const int code : mouse)
        RemoveEvents(view_->viewport(), code);
    // Rows in view, and those kept for reuse, are all below the viewport.
    for (QAbstractButton* button : view_->viewport()->findChildren<QAbstractButton*>()) {
        if (!button->property(kLessonButtonBound).toBool())
            continue;
        for (const int code : mouse)
            RemoveEvents(button, code);
        button->setProperty(kLessonButtonBound, false);
    }
}

void PlaylistPanel::OnTemplateChoose(EventArgs& args) const {
    if (!IsLesson(args.key) && !course_template_.isEmpty())
        args.text = course_template_;
    args.handled = true;
}

void PlaylistPanel::OnTemplateCreated(EventArgs& args) {
    QWidget* row = args.object;
    const int item = args.key;
    args.handled = true;
    if (!IsLesson(item)) {
        DecorateCourseRow(row, item);
        return;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(FindElement(row, kLessonButtonObject))) {
        button->setToolTip(LessonNameOf(item));
        button->setProperty(kUserData, item);
        BindLessonButton(button);
    }
}

// The course's button shows its state by its images; its title is coloured by it: an
// open course stands out, a closed one is grey.
void PlaylistPanel::DecorateCourseRow(QWidget* row, int course) const {
    const bool expanded = tree_->IsExpanded(course);
    if (auto* button = qobject_cast<QAbstractButton*>(FindElement(row, kCourseButtonObject))) {
        // A reused row keeps its button's images; only the state is the new course's.
        if (!button->property(kCourseButtonReady).toBool()) {
            button->setProperty(kCourseButtonReady, true);
            AddStateImage(button, kStateChecked, Path("IMAGE/player/zhankai.png"));
            AddStateImage(button, kStateUnchecked, Path("IMAGE/player/zhengchang.png"));
            // A click on it reaches the row, which selects (and so toggles) the course.
            button->setCheckable(true);
            button->setAttribute(Qt::WA_TransparentForMouseEvents);
        }
        button->setChecked(expanded);
    }
    if (auto* text = qobject_cast<QLabel*>(FindElement(row, kCourseTextObject)))
        SetTextColour(text,
                      ColourFromBgr(expanded ? kExpandedCourseColour : kCollapsedCourseColour));
}

// Rows are reused for other lessons: the handlers are bound once and act on the lesson
// the button shows at the time of the click.
void PlaylistPanel::BindLessonButton(QWidget* button) {
    if (button->property(kLessonButtonBound).toBool())
        return;
    button->setProperty(kLessonButtonBound, true);
    const auto item_of = [button] { return button->property(kUserData).toInt(); };
    // A button takes the press the view would select the row with.
    RegisterEvent(button, kEventLeftButtonDown,
                  [this, item_of](EventArgs&) { tree_->Select(item_of()); });
    RegisterEvent(button, kEventLeftDoubleClick, [this, button](EventArgs& args) {
        OnLessonButtonDoubleClick(button);
        args.handled = true;  // the tree's own double click would start it again
    });
    RegisterEvent(button, kEventRightButtonDown, [this, item_of](EventArgs& args) {
        SelectLessonAt(item_of());
        args.handled = true;
    });
    RegisterEvent(button, kEventRightButtonUp, [this](EventArgs& args) {
        OnRightButtonUp();
        args.handled = true;
    });
}

void PlaylistPanel::OnSelect(EventArgs& args) {
    args.handled = true;
    if (!IsLesson(args.key))
        ToggleCourse(args.key);
}

void PlaylistPanel::ToggleCourse(int course) {
    if (!tree_->Exists(course))
        return;
    tree_->Expand(course, !tree_->IsExpanded(course));
    view_->viewport()->update();
}

void PlaylistPanel::OnLessonButtonDoubleClick(QWidget* button) {
    const int item = button->property(kUserData).toInt();
    const QString path = PathOf(item);
    if (path.isEmpty()) {
        Log("OnLButtonDBClick path is null");
        return;
    }
    SetCurrentItem(item);
    if (environment_.open_lesson)
        environment_.open_lesson(path.toStdString());
}

// Elsewhere on a lesson's row: it starts, but does not become the current item.
void PlaylistPanel::OnTreeDoubleClick(QPoint point) {
    const int item = tree_->HitTest(point);
    if (!IsLesson(item))
        return;
    const QString path = PathOf(item);
    if (path.isEmpty()) {
        Log("OnTerrLButtonDBClick path is null");
        return;
    }
    if (environment_.open_lesson)
        environment_.open_lesson(path.toStdString());
}

// Only a lesson becomes selected under the right button; a course stays as it is.
void PlaylistPanel::SelectLessonAt(int item) {
    if (!IsLesson(item))
        return;
    tree_->Select(item);
    view_->viewport()->update();
}

void PlaylistPanel::OnRightButtonUp() {
    if (menu_ && IsLesson(Selected()))
        menu_->Popup(QCursor::pos());
}

}  // namespace tessal::player
