#include "client/catalogue/course_tree.h"

#include <QScreen>
#include <QTreeView>
#include <algorithm>

#include "client/catalogue/picture_cache.h"
#include "client/catalogue/picture_list.h"
#include "common/gui/elements.h"
#include "common/gui/layout_loader.h"
#include "common/gui/state_images.h"
#include "common/gui/toolkit_codes.h"

namespace tessal::client {
namespace {

using namespace tessal::gui;

constexpr const char* kListCaption = "读取列表失败";
constexpr const char* kPlaceholder = "IMAGE/MainW/lessonpicIsloading.png";
constexpr const char* kLitStar = "IMAGE/MainW/grade_2.png";
constexpr const char* kUnlitStar = "IMAGE/MainW/grade_1.png";

const char* const kColumns[] = {"name",  "name2", "name3", "name4",  "name5", "name6",
                                "name7", "name8", "name9", "name10", "id"};

// The per-type statements in the order they run, with the box text of an empty result.
struct TypeStatement {
    const char* statement;
    const char* empty_text;
};
constexpr TypeStatement kTypeStatements[] = {
    {"SELECT FCourseid FROM t_course WHERE Ftype='?'", "读取列表失败1"},
    {"SELECT Fcourseimg FROM t_course WHERE Ftype='?'", "读取列表失败2"},
    {"SELECT Fcoursename FROM t_course WHERE Ftype='?'", "读取列表失败"},
    {"SELECT Fiscomplete FROM t_course WHERE Ftype='?'", "读取列表失败"},
    {"SELECT Flevel FROM t_course WHERE Ftype='?'", "读取列表失败"},
};

// How many of the three stars a level lights; an unknown level lights none.
int LitStars(const std::string& level) {
    if (level == "初级")
        return 1;
    if (level == "中级")
        return 2;
    if (level == "高级")
        return 3;
    return 0;
}

QString Wide(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

// The five lists of one type, entry k of each describing course k.
struct CourseTree::CourseColumns {
    std::vector<std::string> lists[std::size(kTypeStatements)];
    // Entry k of list `which`; empty where a list came back shorter than the ids.
    const std::string& At(std::size_t which, std::size_t k) const {
        static const std::string kNone;
        return k < lists[which].size() ? lists[which][k] : kNone;
    }
};

CourseTree::CourseTree(QTreeView* view, std::filesystem::path program_folder,
                       const CatalogueQueries& catalogue, CourseTreeHooks hooks)
    : QObject(view),
      view_(view),
      tree_(new TemplateTree(view)),
      program_folder_(std::move(program_folder)),
      catalogue_(catalogue),
      hooks_(std::move(hooks)) {
    SetUpView();
    BindTreeEvents();
}

QString CourseTree::Image(const char* relative) const {
    return QString::fromStdString((program_folder_ / relative).string());
}

void CourseTree::SetUpView() {
    view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ClearStateImages(view_);
    for (const int state : {kStateSecondFill, kStateUnchecked})
        AddStateFill(view_, state, ColourFromBgr(0xF1F1F1));
    tree_->SetItemHeights(30, 48);
    tree_->SetItemTemplate(Image("Layout/Tree_Item_Lesson.xml"));
    tree_->SetSelectedItemTemplate(Image("Layout/Tree_Item_Lesson_sel.xml"));
    // Groups use their own template only when it loads; otherwise they keep the item one.
    const QString group = Image("Layout/Tree_Item_group.xml");
    if (IsLoadableLayout(group))
        group_template_ = group;
    for (const char* column : kColumns)
        tree_->AddColumn(column);
}

bool CourseTree::Build() {
    std::error_code ignored;
    std::filesystem::remove(program_folder_ / kPictureListFile, ignored);
    const auto types = catalogue_.CourseTypes();
    if (!types || types->empty()) {
        hooks_.show_box(kListCaption, kListCaption);
        hooks_.log("读取Coruse列表失败 需要回调数据库");
        return false;
    }
    PictureListWriter pictures;
    bool complete = true;
    for (const std::string& type : *types) {
        CourseColumns columns;
        if (!ReadColumns(type, columns)) {
            complete = false;
            break;
        }
        const int group = tree_->InsertItem(kRootItem);
        const std::size_t count = columns.lists[0].size();
        tree_->SetText(group, "name", QString("%1[%2门课程]").arg(Wide(type)).arg(count));
        tree_->SetItemHeight(group, 32);
        tree_->Expand(group, false);
        for (std::size_t k = 0; k < count; ++k)
            AddCourse(group, columns, k, pictures);
    }
    pictures.Write(program_folder_ / kPictureListFile);
    PrepareRows();
    return complete;
}

// Rows for two screens of courses and one of groups, made while the member reads. The
// tree is built before its window shows: a screen is the most it can show.
void CourseTree::PrepareRows() {
    const QScreen* screen = view_->screen();
    const int page = std::clamp((screen ? screen->size().height() : 1080) / 30 + 1, 1, 64);
    tree_->PrepareRows(Image("Layout/Tree_Item_Lesson.xml"), 2 * page);
    tree_->PrepareRows(Image("Layout/Tree_Item_Lesson_sel.xml"), 1);
    if (!group_template_.isEmpty())
        tree_->PrepareRows(group_template_, page);
}

bool CourseTree::ReadColumns(const std::string& type, CourseColumns& columns) {
    for (std::size_t i = 0; i < std::size(kTypeStatements); ++i) {
        const TypeStatement& entry = kTypeStatements[i];
        const std::vector<SqlValue> values{{type, true}};
        auto rows = catalogue_.Column(entry.statement, values);
        if (!rows || rows->empty()) {
            hooks_.show_box(entry.empty_text, kListCaption);
            hooks_.log(StatementWithValues(entry.statement, values));
            return false;
        }
        columns.lists[i] = std::move(*rows);
    }
    return true;
}

void CourseTree::AddCourse(int group, const CourseColumns& columns, std::size_t k,
                           PictureListWriter& pictures) {
    const std::string& id = columns.At(0, k);
    const std::string& url = columns.At(1, k);
    const std::string& name = columns.At(2, k);
    const bool complete = columns.At(3, k) == "1";
    const std::string& level = columns.At(4, k);

    const int item = tree_->InsertItem(group);
    const auto cached = PictureCachePath(program_folder_, url);
    std::error_code ignored;
    QString picture = Image(kPlaceholder);
    if (cached && std::filesystem::exists(*cached, ignored))
        picture = QString::fromStdString(cached->string());
    else
        pictures.Add(name, item);

    const int lit = LitStars(level);
    QVariantMap cells;
    cells.insert("name", QVariant::fromValue(ImageFile{picture}));
    cells.insert("name2", Wide(name));
    const char* stars[] = {"name3", "name4", "name5"};
    for (int star = 0; star < 3; ++star)
        cells.insert(stars[star],
                     QVariant::fromValue(ImageFile{Image(star < lit ? kLitStar : kUnlitStar)}));
    cells.insert("name6", QString("级别:"));
    cells.insert("name7", Wide(level));
    cells.insert("name8", QVariant::fromValue(ImageFile{Image(
                              complete ? "IMAGE/MainW/Finish.png" : "IMAGE/MainW/unFinish.png")}));
    cells.insert("name9", QVariant::fromValue(ImageFile{picture}));
    cells.insert("name10", QString(complete ? "已完结" : "未完结"));
    cells.insert("id", Wide(id));
    tree_->SetCells(item, cells);
}

void CourseTree::ShowPicture(int item, const std::filesystem::path& picture) {
    if (tree_->Exists(item) && !IsGroup(item))
        tree_->SetImageFile(item, "name9", QString::fromStdString(picture.string()), true);
}

bool CourseTree::IsGroup(int item) const {
    return tree_->FirstChild(item) != kNoItem;
}

}  // namespace tessal::client
