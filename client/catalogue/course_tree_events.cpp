// The course tree's handlers: which template a row uses and what its objects get, group
// toggling, double click, and the right click that selects the course it is on before
// the menu shows.

#include <QAbstractButton>
#include <QCursor>
#include <QTreeView>
#include <charconv>
#include <utility>

#include "client/catalogue/course_tree.h"
#include "common/gui/element_events.h"
#include "common/gui/elements.h"
#include "common/gui/state_images.h"
#include "common/gui/toolkit_codes.h"
#include "common/gui/toolkit_setup.h"

namespace tessal::client {
namespace {

using namespace tessal::gui;

constexpr const char* kDoubleClickBound = "courseDoubleClickBound";
constexpr const char* kArrowReady = "groupArrowReady";

// The handlers read at most 10 characters of an id cell.
std::string IdText(const QString& cell) {
    return cell.left(10).toStdString();
}

void SetFont(QWidget* row, int object, int point_size) {
    if (QWidget* text = FindElement(row, object))
        text->setFont(SystemFont(point_size));
}

}  // namespace

void CourseTree::BindTreeEvents() {
    RegisterEvent(view_, kEventTreeTemplateChoose,
                  [this](EventArgs& args) { OnTemplateChoose(args); });
    RegisterEvent(view_, kEventTreeTemplateCreated,
                  [this](EventArgs& args) { OnTemplateCreated(args); });
    RegisterEvent(view_, kEventTreeSelect, [this](EventArgs& args) { OnSelect(args); });
    // A group's arrow follows its state, however it changed.
    const auto show_state = [this](const QModelIndex&) { ShowGroupStates(); };
    connect(view_, &QTreeView::expanded, this, show_state);
    connect(view_, &QTreeView::collapsed, this, show_state);
    // Mouse input of a tree arrives in its viewport (rows are drawn over it, and pass the
    // clicks they do not use on to it).
    QWidget* viewport = view_->viewport();
    RegisterEvent(viewport, kEventLeftDoubleClick,
                  [this](EventArgs& args) { OnDoubleClick(args.point); });
    // The right button is the menu's alone: the view's own handling would select (and
    // so toggle) a group, or clear the selection, under the member's click.
    RegisterEvent(viewport, kEventRightButtonDown, [this](EventArgs& args) {
        OnRightButtonDown(args.point);
        args.handled = true;
    });
    RegisterEvent(viewport, kEventRightButtonUp, [this](EventArgs& args) {
        OnRightButtonUp();
        args.handled = true;
    });
}

void CourseTree::ShowGroupStates() {
    for (int group = tree_->FirstChild(kRootItem); group != kNoItem;
         group = tree_->NextSibling(group)) {
        if (QWidget* row = tree_->RowWidget(group))
            SetChecked(FindElement(row, 1), tree_->IsExpanded(group));
    }
}

void CourseTree::OnTemplateChoose(EventArgs& args) const {
    if (IsGroup(args.key) && !group_template_.isEmpty())
        args.text = group_template_;
    args.handled = true;
}

void CourseTree::OnTemplateCreated(EventArgs& args) {
    QWidget* row = args.object;
    const int item = args.key;
    args.handled = true;
    if (IsGroup(item)) {
        if (auto* expand = qobject_cast<QAbstractButton*>(FindElement(row, 1))) {
            // A reused row keeps its arrow's images; only the state is the new group's.
            if (!expand->property(kArrowReady).toBool()) {
                expand->setProperty(kArrowReady, true);
                AddStateImage(expand, kStateChecked, Image("IMAGE/MainW/click1.png"));
                AddStateImage(expand, kStateUnchecked, Image("IMAGE/MainW/click2.png"));
                // The arrow shows the group's state; a click on it selects the group.
                expand->setCheckable(true);
                expand->setAttribute(Qt::WA_TransparentForMouseEvents);
            }
            expand->setChecked(tree_->IsExpanded(item));
        }
        SetFont(row, 2, 10);
        return;
    }
    if (QWidget* whole = FindElement(row, 1)) {
        whole->setToolTip(tree_->Text(item, "name2"));
        whole->setProperty("userData", item);
        BindRowDoubleClick(row, whole);
    }
    const std::pair<int, int> fonts[] = {{2, 10}, {3, 9}, {7, 9}, {9, 9}};
    for (const auto& [object, size] : fonts)
        SetFont(row, object, size);
}

// A row is reused for other courses: its handler is bound once and opens the course the
// row shows at the time of the click.
void CourseTree::BindRowDoubleClick(QWidget* row, QWidget* whole) {
    if (whole->property(kDoubleClickBound).toBool())
        return;
    whole->setProperty(kDoubleClickBound, true);
    RegisterEvent(whole, kEventLeftDoubleClick, [this, row](EventArgs& click) {
        OpenCourseOf(row->property(kRowItemProperty).toInt(), "OnTreeHeleLButtonDBClick id erro");
        click.handled = true;  // the tree's own double click would open it again
    });
}

void CourseTree::OnSelect(EventArgs& args) {
    args.handled = true;
    const int item = args.key;
    if (!IsGroup(item))
        return;
    tree_->Expand(item, !tree_->IsExpanded(item));
    tree_->Select(kRootItem);
}

void CourseTree::OnDoubleClick(QPoint point) {
    const int item = tree_->HitTest(point);
    if (item != kNoItem && !IsGroup(item))
        OpenCourseOf(item, "OnTerrLButtonDBClick id erro");
}

void CourseTree::OpenCourseOf(int item, const char* empty_id_line) {
    const std::string id = IdText(tree_->Text(item, "id"));
    if (id.empty()) {
        hooks_.log(empty_id_line);
        return;
    }
    if (hooks_.open_course)
        hooks_.open_course(id);
}

// The course under the cursor becomes the selected one; a click on a group or on no
// item leaves the selection and shows no menu.
void CourseTree::OnRightButtonDown(QPoint point) {
    const int item = tree_->HitTest(point);
    right_clicked_ = item != kNoItem && !IsGroup(item) ? item : kNoItem;
    if (right_clicked_ != kNoItem) {
        tree_->Select(right_clicked_);
        view_->viewport()->update();
    }
}

void CourseTree::OnRightButtonUp() {
    const int clicked = std::exchange(right_clicked_, kNoItem);
    if (clicked != kNoItem && tree_->Selected() == clicked && hooks_.show_menu)
        hooks_.show_menu(QCursor::pos());
}

void CourseTree::RunMenuCommand(int menu_item) {
    const int selected = tree_->Selected();
    const QString cell = selected == kNoItem ? QString() : tree_->Text(selected, "id");
    if (menu_item == kMenuWatchOnline) {
        const std::string id = IdText(cell);
        if (id.empty())
            hooks_.log("OnMainWndMenuSelect201 id erro");
        else if (hooks_.open_course)
            hooks_.open_course(id);
        return;
    }
    if (menu_item != kMenuCacheCourse)
        return;
    // Read as a C library would: the leading digits, 0 when there are none.
    const std::string text = IdText(cell);
    int id = 0;
    std::from_chars(text.data(), text.data() + text.size(), id);
    if (id <= 0)
        hooks_.log("OnMainWndMenuSelect202  id erro");
    else if (hooks_.queue_course)
        hooks_.queue_course(id);
}

}  // namespace tessal::client
