#include "client/download/download_center.h"

#include <QGuiApplication>
#include <QScreen>

#include "client/download/load_list.h"
#include "common/gui/elements.h"
#include "common/gui/layout_loader.h"
#include "common/gui/toolkit_codes.h"
#include "common/gui/window_frame.h"

namespace tessal::client {
namespace {

using namespace tessal::gui;

constexpr const char* kCreateFailure = "CreateDownloadWinFail";
constexpr const char* kNoWindow = "hWnd_Download is null";
constexpr const char* kEngineFailureBox = "迅雷引擎初始化失败!";
constexpr const char* kEngineFailureCaption = "Init failed!";
constexpr const char* kTitle = "Tessal 下载中心";
constexpr const char* kCourseLessons = "SELECT Fid FROM  t_lesson WHERE FCourseid=?";

}  // namespace

DownloadCenter::DownloadCenter(DownloadCenterContext context) : context_(std::move(context)) {}

DownloadCenter::~DownloadCenter() {
    Close();
    workers_.JoinAll();
}

std::shared_ptr<MessageLink> DownloadCenter::link() const {
    return receiver_ ? receiver_->link() : nullptr;
}

QWidget* DownloadCenter::Element(int id) const {
    return FindElement(window_, id);
}

QString DownloadCenter::Path(const char* relative) const {
    return QString::fromStdString((context_.program_folder / relative).string());
}

void DownloadCenter::Open(DownloadKind kind, int id) {
    if (closed_)
        return;
    if (window_) {
        window_->setAttribute(Qt::WA_ShowWithoutActivating, true);
        window_->show();
        window_->setAttribute(Qt::WA_ShowWithoutActivating, false);
        if (Queue(kind, id))
            SaveLoading();
        return;
    }
    if (!context_.engine->initialised() && !context_.engine->Start(*context_.daily_log)) {
        context_.boxes->Show(nullptr, kEngineFailureBox, kEngineFailureCaption);
        return;
    }
    std::error_code ignored;  // a root that cannot be made fails each task in turn
    std::filesystem::create_directory(context_.task_settings().download_root, ignored);
    if (!Create())
        return;
    Queue(kind, id);
    // New lessons stand ahead of the restored ones; the list is written once for both.
    RestoreLists();
    SaveLoading();
}

bool DownloadCenter::Create() {
    QWidget* window = LoadLayout(Path(kDownloadCenterLayout));
    if (window == nullptr) {
        context_.boxes->Show(nullptr, kCreateFailure, kCreateFailure);
        context_.log(kCreateFailure);
        return false;
    }
    if (!window->isWindow()) {
        context_.log(kNoWindow);
        delete window;
        return false;
    }
    window_ = window;
    receiver_ = std::make_unique<MessageReceiver>(
        [this](int message, std::uintptr_t first, std::intptr_t second) {
            OnMessage(message, first, second);
        });
    SetUpWindow();
    return true;
}

void DownloadCenter::SetUpWindow() {
    window_->setWindowIcon(context_.icon);
    window_->setWindowTitle(kTitle);
    BindWindowButtons();
    SetUpLoadingTree();
    SetUpFinishedTree();
    ShowTab(true);
    SetFramedWindow(window_, Shadow{5, 255, 3, false, ColourFromBgr(0x1E1E1E)});
    EnableDragBorder(window_, true);
    // The main window stays on top; a window that did not would open behind it.
    window_->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window_->move(area.center() - window_->rect().center());
    }
    window_->show();
}

void DownloadCenter::BindWindowButtons() {
    const auto on_click = [this](int id, std::function<void()> action) {
        if (QWidget* element = Element(id))
            RegisterEvent(element, kEventButtonClick,
                          [action = std::move(action)](EventArgs&) { action(); });
    };
    on_click(1, [this] { ShowTab(true); });
    on_click(2, [this] { ShowTab(false); });
    on_click(4, [this] { OnClose(); });
    on_click(9, [this] { StartAll(); });
    on_click(10, [this] { PauseAll(); });
    on_click(11, [this] { OpenClearDialog(); });
}

// The downloading tab shows its list and the buttons that act on it; the finished tab
// its own list.
void DownloadCenter::ShowTab(bool loading) {
    for (int id : {7, 9, 10, 11}) {
        if (QWidget* element = Element(id))
            element->setVisible(loading);
    }
    if (QWidget* finished = Element(8))
        finished->setVisible(!loading);
    SetChecked(Element(1), loading);
    SetChecked(Element(2), !loading);
    window_->update();
}

void DownloadCenter::OnClose() {
    SaveLoading();
    SaveFinished();
    window_->hide();
}

bool DownloadCenter::Queue(DownloadKind kind, int id) {
    bool added = false;
    if (kind == DownloadKind::kCourse) {
        const auto lessons = context_.catalogue->Column(kCourseLessons, {{std::to_string(id)}});
        for (const std::string& lesson : lessons.value_or(std::vector<std::string>{}))
            added = AddLesson(lesson) || added;
    } else if (kind == DownloadKind::kLesson) {
        added = AddLesson(std::to_string(id));
    }
    return added;
}

void DownloadCenter::SaveLoading() {
    SaveIds(loading_, kLoadingSection);
}

void DownloadCenter::SaveFinished() {
    SaveIds(finished_, kFinishedSection);
}

// The ids of `tree`'s items in list order, written at once in place of the section.
void DownloadCenter::SaveIds(const TemplateTree* tree, const char* section) {
    if (tree == nullptr)
        return;
    std::vector<std::string> ids;
    for (int item = tree->FirstChild(kRootItem); item != kNoItem; item = tree->NextSibling(item))
        ids.push_back(ItemId(*tree, item));
    if (!WriteSavedIds(context_.program_folder / kLoadListFile, section, ids))
        context_.log("LoadList.ini write fail");
}

std::string DownloadCenter::ItemId(const TemplateTree& tree, int item) {
    return tree.Text(item, "id").left(kTextLimit).toStdString();
}

int DownloadCenter::FindItem(const TemplateTree& tree, const std::string& id) {
    for (int item = tree.FirstChild(kRootItem); item != kNoItem; item = tree.NextSibling(item)) {
        if (ItemId(tree, item) == id)
            return item;
    }
    return kNoItem;
}

void DownloadCenter::Close() {
    closed_ = true;
    if (receiver_)
        receiver_->Close();
    delete window_.data();
    loading_ = nullptr;
    finished_ = nullptr;
}

}  // namespace tessal::client
