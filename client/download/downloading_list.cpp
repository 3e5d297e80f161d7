// The downloading list: one item per lesson in queue order, its look by state, its
// toggle and delete buttons, start all, pause all and the clear dialog.

#include <QAbstractButton>
#include <QProgressBar>
#include <QTreeView>
#include <unordered_map>
#include <unordered_set>

#include "client/download/download_center.h"
#include "client/download/lesson_files.h"
#include "client/download/load_list.h"
#include "common/base/text_helpers.h"
#include "common/gui/elements.h"
#include "common/gui/layout_loader.h"
#include "common/gui/state_images.h"
#include "common/gui/toolkit_codes.h"

namespace tessal::client {
namespace {

using namespace tessal::gui;

constexpr const char* kWaitingText = "等待下载";
constexpr const char* kPausedText = "暂停下载";
constexpr const char* kRunningBar = "IMAGE/Download/dutiao_2.png";
constexpr const char* kStoppedBar = "IMAGE/Download/dutiao_3.png";
constexpr const char* kClearFailure = "CreatehWINDOW_ClaenWndFail";
constexpr const char* kRowBound = "downloadRowBound";
constexpr const char* kBarImage = "barImage";
constexpr const char* kLessonRow = "SELECT Fname, Fdownurl, Fcoursename FROM t_lesson WHERE Fid=?";

struct ToggleLook {
    const char* bar;
    const char* images[3];  // normal, mouse over, pressed
    bool checked;
};

constexpr ToggleLook kFailedLook{
    kStoppedBar,
    {"IMAGE/Download/RedLoad1.png", "IMAGE/Download/RedLoad2.png", "IMAGE/Download/RedLoad3.png"},
    true};
constexpr ToggleLook kPausedLook{
    kStoppedBar,
    {"IMAGE/Download/Pause.png", "IMAGE/Download/Pause1.png", "IMAGE/Download/Pause2.png"},
    true};
constexpr ToggleLook kRunningLook{
    kRunningBar,
    {"IMAGE/Download/xiazai1.png", "IMAGE/Download/xiazai1_1.png", "IMAGE/Download/xiazai1_2.png"},
    false};

const ToggleLook* LookOf(int state) {
    switch (state) {
        case 1:
            return &kFailedLook;
        case 2:
            return &kPausedLook;
        case 3:
            return &kRunningLook;
        default:
            return nullptr;
    }
}

// The bar's fill is the image, stretched; set only when it changes, as rows are redone
// with every report.
void SetBarImage(QProgressBar* bar, const QString& path) {
    if (bar->property(kBarImage).toString() == path)
        return;
    bar->setProperty(kBarImage, path);
    bar->setStyleSheet(QStringLiteral("QProgressBar::chunk { border-image: url(\"%1\") 0 0 0 0 "
                                      "stretch stretch; margin: 0; }")
                           .arg(path));
}

int ItemOfRow(const QWidget* row) {
    return row->property(kRowItemProperty).toInt();
}

}  // namespace

void DownloadCenter::SetUpLoadingTree() {
    auto* view = qobject_cast<QTreeView*>(Element(7));
    if (view == nullptr)
        return;
    view->setRootIsDecorated(false);
    loading_ = new TemplateTree(view);
    loading_->SetItemHeights(60, 60);
    loading_->SetItemTemplate(Path("Layout/DownLoad/DownLoad_IsLoading.xml"));
    for (const char* column : {"name", "name2", "name3", "pos", "state", "id", "rate"})
        loading_->AddColumn(column);
    RegisterEvent(view, kEventTreeTemplateCreated, [this](EventArgs& args) {
        args.handled = true;
        DecorateItem(args.object, args.key);
        BindItemButtons(args.object);
    });
    RegisterEvent(view->viewport(), kEventLeftDoubleClick,
                  [this](EventArgs& args) { OnItemDoubleClick(args.point); });
}

// Whatever happens, the queue is asked to go on.
bool DownloadCenter::AddLesson(const std::string& lesson_id) {
    bool added = false;
    if (loading_ != nullptr && LeadingNumber(lesson_id) >= 1 &&
        FindItem(*loading_, lesson_id) == kNoItem &&
        !IsLessonDownloaded(*context_.catalogue, context_.task_settings().download_root,
                            lesson_id)) {
        AppendWaiting(lesson_id);
        added = true;
    }
    receiver_->Post(kStartNextTaskMessage);
    return added;
}

void DownloadCenter::AppendWaiting(const std::string& lesson_id) {
    AppendWaiting(lesson_id,
                  context_.catalogue->Lookup(CatalogueLookup::kLessonIdtoName, {lesson_id}));
}

void DownloadCenter::AppendWaiting(const std::string& lesson_id, const std::string& name) {
    const int item = loading_->InsertItem(kRootItem);
    loading_->SetCells(item, {{"name", QString::fromStdString(name).left(kTextLimit)},
                              {"name2", kWaitingText},
                              {"name3", "0%"},
                              {"pos", "0"},
                              {"id", QString::fromStdString(lesson_id)}});
}

// Restored lessons wait: nothing starts them until a lesson is added or start all. A
// long list is restored with one catalogue query per lesson and one per course.
void DownloadCenter::RestoreLists() {
    const SavedLists saved = ReadSavedLists(context_.program_folder / kLoadListFile);
    const std::string root = context_.task_settings().download_root;
    std::unordered_set<std::string> listed;
    for (int item = loading_->FirstChild(kRootItem); item != kNoItem;
         item = loading_->NextSibling(item))
        listed.insert(ItemId(*loading_, item));
    std::unordered_map<std::string, std::string> types;  // by course name
    for (const std::string& id : saved.loading) {
        // As when adding: no lesson has an id below 1.
        if (LeadingNumber(id) < 1 || !listed.insert(id).second)
            continue;
        const auto row = context_.catalogue->FirstRow(kLessonRow, {{id}});
        const bool found = row && row->size() == 3;
        const std::string course = found ? (*row)[2] : std::string();
        auto type = types.find(course);
        if (type == types.end())
            type = types
                       .emplace(course, context_.catalogue->Lookup(
                                            CatalogueLookup::kCoursNametoType, {course}))
                       .first;
        if (!found || !IsLessonDownloaded(root, (*row)[1], course, type->second))
            AppendWaiting(id, found ? (*row)[0] : std::string());
    }
    for (const std::string& id : saved.finished)
        AddFinished(id, true);
}

// Rows are reused for other items: everything an item decides is set every time.
void DownloadCenter::DecorateItem(QWidget* row, int item) {
    if (QWidget* name = FindElement(row, 1)) {
        name->setToolTip(loading_->Text(item, "name"));
        name->setCursor(Qt::ArrowCursor);
    }
    const int state = LeadingNumber(loading_->Text(item, "state").toStdString());
    const ToggleLook* look = LookOf(state);
    if (auto* bar = qobject_cast<QProgressBar*>(FindElement(row, 3))) {
        bar->setRange(0, 100);
        bar->setValue(std::clamp(LeadingNumber(loading_->Text(item, "pos").toStdString()), 0, 100));
        bar->setTextVisible(false);
        SetBarImage(bar, Path(look != nullptr ? look->bar : kRunningBar));
    }
    QWidget* toggle = FindElement(row, 5);
    if (toggle == nullptr)
        return;
    ClearStateImages(toggle);
    if (look == nullptr) {
        SetChecked(toggle, false);
        return;
    }
    SetButtonImages(toggle, Path(look->images[0]), Path(look->images[1]), Path(look->images[2]));
    SetChecked(toggle, look->checked);
}

void DownloadCenter::BindItemButtons(QWidget* row) {
    if (row->property(kRowBound).toBool())
        return;
    row->setProperty(kRowBound, true);
    if (QWidget* toggle = FindElement(row, 5))
        RegisterEvent(toggle, kEventButtonClick, [this, row](EventArgs&) { OnToggle(row); });
    if (QWidget* remove = FindElement(row, 6))
        RegisterEvent(remove, kEventButtonClick, [this, row](EventArgs&) { OnDelete(row); });
}

// A failed or paused item goes back to waiting (it starts when the queue is next asked
// to go on); a downloading one is paused.
void DownloadCenter::OnToggle(QWidget* row) {
    const int item = ItemOfRow(row);
    const int state = LeadingNumber(loading_->Text(item, "state").toStdString());
    if (state == 1 || state == 2)
        SetWaiting(item);
    else if (state == 3)
        StopCurrentTask();
    // The button's own check state follows the item, not the click.
    DecorateItem(row, item);
}

void DownloadCenter::SetWaiting(int item) {
    loading_->SetText(item, "state", {});
    loading_->SetText(item, "name2", kWaitingText);
    loading_->SetText(item, "rate", {});
    if (QWidget* row = loading_->RowWidget(item))
        DecorateItem(row, item);
}

void DownloadCenter::OnDelete(QWidget* row) {
    const int item = ItemOfRow(row);
    const int state = LeadingNumber(loading_->Text(item, "state").toStdString());
    // The running lesson shows no state until its first report, nor after start all.
    if (state == 3 || state == 5 || (running_.load() && item == running_item_)) {
        StopCurrentTask();
        DeleteCurrentTask();
    }
    rates_.erase(item);
    loading_->RemoveItem(item);
    SaveLoading();
}

void DownloadCenter::OnItemDoubleClick(QPoint point) {
    const int item = loading_->HitTest(point);
    if (item == kNoItem)
        return;
    const QString state = loading_->Text(item, "state");
    context_.boxes->Show(window_, state, state);
}

// Every item that is not waiting waits again, and the queue goes on from the first.
void DownloadCenter::StartAll() {
    for (int item = loading_->FirstChild(kRootItem); item != kNoItem;
         item = loading_->NextSibling(item)) {
        if (!loading_->Text(item, "state").isEmpty())
            SetWaiting(item);
    }
    receiver_->Post(kStartNextTaskMessage);
}

// Every item is marked paused and the running task is stopped; its worker ends it.
void DownloadCenter::PauseAll() {
    for (int item = loading_->FirstChild(kRootItem); item != kNoItem;
         item = loading_->NextSibling(item)) {
        loading_->SetCells(item, {{"state", "2"}, {"name2", kPausedText}});
        if (QWidget* row = loading_->RowWidget(item))
            DecorateItem(row, item);
    }
    StopCurrentTask();
}

void DownloadCenter::OpenClearDialog() {
    QWidget* dialog = LoadLayout(Path("Layout/DownLoad/CleanLoad.xml"), window_);
    if (dialog == nullptr) {
        context_.boxes->Show(nullptr, kClearFailure, kClearFailure);
        context_.log(kClearFailure);
        return;
    }
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowFlag(Qt::Dialog, true);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->adjustSize();
    const QRect frame = window_->geometry();
    dialog->move(frame.left() + frame.width() / 2 - dialog->width() / 2,
                 frame.top() + frame.height() / 2 - dialog->height() / 2);
    if (QWidget* confirm = FindElement(dialog, 1)) {
        RegisterEvent(confirm, kEventButtonClick, [this, dialog](EventArgs&) {
            ClearLoading();
            dialog->close();
        });
    }
    for (int id : {2, 3}) {
        if (QWidget* cancel = FindElement(dialog, id))
            RegisterEvent(cancel, kEventButtonClick, [dialog](EventArgs&) { dialog->close(); });
    }
    // The member's answer comes through the dialog's own buttons; nothing here waits.
    dialog->show();
}

// The running task is stopped (its partial data kept) and the list emptied.
void DownloadCenter::ClearLoading() {
    StopCurrentTask();
    while (loading_->FirstChild(kRootItem) != kNoItem)
        loading_->RemoveItem(loading_->FirstChild(kRootItem));
    rates_.clear();
    SaveLoading();
}

}  // namespace tessal::client
