// The lesson window's tree: chapters in their order, each with its lessons, and the
// handlers that play a lesson when it is selected or double-clicked and queue it from
// its download button.

#include <QAbstractButton>
#include <QTreeView>

#include "client/catalogue/lesson_window.h"
#include "client/catalogue/online_lesson_loader.h"
#include "client/download/lesson_files.h"
#include "common/base/text_helpers.h"
#include "common/gui/elements.h"
#include "common/gui/layout_loader.h"
#include "common/gui/toolkit_codes.h"
#include "common/gui/toolkit_setup.h"

namespace tessal::client {
namespace {

using namespace tessal::gui;

constexpr const char* kChaptersStatement =
    "SELECT Fchapter from  t_lesson WHERE Fcoursename='?' GROUP BY Fchapter ORDER BY Fsort";
constexpr const char* kLessonsStatement =
    "SELECT Fname from  t_lesson WHERE Fchapter = '?'  AND Fcoursename='?' ORDER BY Fsort";
constexpr const char* kListFailure = "lessonlistFial";
constexpr const char* kRowBound = "lessonRowBound";
}  // namespace

void LessonWindow::SetUpTree() {
    auto* view = FindElementAs<QTreeView>(window_, 7);
    if (view == nullptr)
        return;
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tree_ = new TemplateTree(view);
    tree_->SetItemHeights(34, 34);
    tree_->SetItemTemplate(Image("Layout/LessonTree_Item_Lesson.xml"));
    tree_->SetSelectedItemTemplate(Image("Layout/LessonTree_Item_LessonSel.xml"));
    const QString group = Image("Layout/LessonTree_Item_group.xml");
    if (IsLoadableLayout(group))
        group_template_ = group;
    for (const char* column : {"name", "name2", "id"})
        tree_->AddColumn(column);
}

// Chapters and their lessons in the course's order; the first lesson of the first
// chapter is selected. False, with the box, when the course has no chapter.
bool LessonWindow::FillTree(const std::string& course_name) {
    const CatalogueQueries& catalogue = *context_.catalogue;
    const auto chapters = catalogue.Column(kChaptersStatement, {{course_name}});
    if (tree_ == nullptr || !chapters || chapters->empty()) {
        context_.boxes->Show(nullptr, kListFailure, kListFailure);
        context_.log(std::string(kListFailure) + ":" +
                     StatementWithValues(kChaptersStatement, {{course_name}}));
        return false;
    }
    for (const std::string& chapter : *chapters) {
        const int chapter_item = tree_->InsertItem(kRootItem);
        tree_->SetText(chapter_item, "name", Limited(chapter));
        tree_->SetItemHeight(chapter_item, 30);
        const auto lessons = catalogue.Column(kLessonsStatement, {{chapter}, {course_name}});
        for (const std::string& lesson : lessons.value_or(std::vector<std::string>{})) {
            const int item = tree_->InsertItem(chapter_item);
            const std::string id =
                catalogue.Lookup(CatalogueLookup::kLessonNameId2, {lesson, course_name});
            tree_->SetCells(item, {{"name", QString::fromStdString(lesson)},
                                   {"id", QString::fromStdString(id)}});
            if (first_lesson_ == kNoItem)
                first_lesson_ = item;
        }
        tree_->Expand(chapter_item, true);
    }
    if (first_lesson_ != kNoItem)
        tree_->Select(first_lesson_);
    return true;
}

void LessonWindow::BindTreeEvents() {
    QWidget* view = FindElement(window_, 7);
    RegisterEvent(view, kEventTreeTemplateChoose,
                  [this](EventArgs& args) { OnTemplateChoose(args); });
    RegisterEvent(view, kEventTreeTemplateCreated,
                  [this](EventArgs& args) { OnTemplateCreated(args); });
    RegisterEvent(view, kEventTreeSelect, [this](EventArgs& args) { OnSelect(args); });
    RegisterEvent(qobject_cast<QTreeView*>(view)->viewport(), kEventLeftDoubleClick,
                  [this](EventArgs& args) { OnDoubleClick(args.point); });
}

bool LessonWindow::IsChapter(int item) const {
    return tree_->FirstChild(item) != kNoItem;
}

std::string LessonWindow::LessonIdOf(int item) const {
    return tree_->Text(item, "id").left(kTextLimit).toStdString();
}

void LessonWindow::OnTemplateChoose(EventArgs& args) const {
    if (IsChapter(args.key) && !group_template_.isEmpty())
        args.text = group_template_;
    args.handled = true;
}

void LessonWindow::OnTemplateCreated(EventArgs& args) {
    args.handled = true;
    if (IsChapter(args.key)) {
        if (QWidget* text = FindElement(args.object, 2))
            text->setFont(SystemFont(12));
        return;
    }
    SetUpLessonRow(args.object, args.key);
}

// Rows are reused for other lessons: everything an item decides is set each time, and
// the handlers, bound once, act on the item the row shows when clicked.
void LessonWindow::SetUpLessonRow(QWidget* row, int item) {
    auto* name = qobject_cast<QAbstractButton*>(FindElement(row, 1));
    auto* download = qobject_cast<QAbstractButton*>(FindElement(row, 4));
    if (name != nullptr) {
        const QString text = tree_->Text(item, "name").left(kTextLimit);
        name->setText(text);
        name->setToolTip(text);
    }
    if (download != nullptr) {
        const std::string id = LessonIdOf(item);
        download->setVisible(id.empty() ||
                             !IsLessonDownloaded(*context_.catalogue, context_.download_root, id));
    }
    if (row->property(kRowBound).toBool())
        return;
    row->setProperty(kRowBound, true);
    const auto item_of = [row] { return row->property(kRowItemProperty).toInt(); };
    // The name covers the row: a click on it selects the lesson, as a click on the row
    // would, and a double click plays it again.
    if (name != nullptr) {
        RegisterEvent(name, kEventButtonClick,
                      [this, item_of](EventArgs&) { tree_->Select(item_of()); });
        RegisterEvent(name, kEventLeftDoubleClick, [this, item_of](EventArgs& args) {
            const std::string id = LessonIdOf(item_of());
            if (!id.empty())
                PlayOnline(id);
            args.handled = true;
        });
    }
    if (download != nullptr) {
        RegisterEvent(download, kEventButtonClick,
                      [this, row](EventArgs&) { OnDownloadClick(row); });
    }
}

void LessonWindow::OnSelect(EventArgs& args) {
    args.handled = true;
    if (IsChapter(args.key))
        return;
    const std::string id = LessonIdOf(args.key);
    if (id.empty()) {
        context_.log("OnLessonTreeSelect name is null");
        context_.loader->Forget(ticket_);  // nor does the lesson selected before load late
    } else {
        PlayOnline(id);
    }
}

void LessonWindow::OnDoubleClick(QPoint point) {
    const int item = tree_->HitTest(point);
    if (item == kNoItem || IsChapter(item))
        return;
    const std::string id = LessonIdOf(item);
    if (!id.empty())
        PlayOnline(id);
}

void LessonWindow::OnDownloadClick(QWidget* row) {
    const int id = LeadingNumber(LessonIdOf(row->property(kRowItemProperty).toInt()));
    if (id <= 0)
        context_.log("OnLessonDownLoadBtnClick id is null");
    else if (context_.queue_lesson)
        context_.queue_lesson(id);
}

}  // namespace tessal::client
