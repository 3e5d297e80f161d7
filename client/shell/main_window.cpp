#include "client/shell/main_window.h"

#include <QLayout>
#include <QTreeView>
#include <algorithm>

#include "common/gui/element_events.h"
#include "common/gui/elements.h"
#include "common/gui/state_images.h"
#include "common/gui/toolkit_codes.h"
#include "common/gui/toolkit_setup.h"
#include "common/gui/web/xweb.h"
#include "common/gui/window_frame.h"

namespace tessal::client {

using namespace tessal::gui;

MainWindow::MainWindow(QWidget* window, std::filesystem::path program_folder,
                       std::shared_ptr<EweLibrary> web_engine)
    : window_(window),
      program_folder_(std::move(program_folder)),
      web_engine_(std::move(web_engine)) {}

MainWindow::~MainWindow() {
    StopCoursePictures();
}

QString MainWindow::Image(const char* relative) const {
    return QString::fromStdString((program_folder_ / relative).string());
}

void MainWindow::SetUpFrame(QSize screen) {
    SetFramedWindow(window_.get(), Shadow{5, 255, 3, false, ColourFromBgr(0x1E1E1E)});
    AddStateImage(window_.get(), kStateBackground, Image("IMAGE/MainW/background.png"));
    EnableDragBorder(window_.get(), true);
    if (const auto place = PlaceOnLowScreen(screen, window_->geometry()))
        window_->setGeometry(*place);
}

std::optional<QRect> PlaceOnLowScreen(QSize screen, QRect window) {
    const int fitting_height = static_cast<int>((screen.height() - 60) * 0.8);
    if (fitting_height >= window.height())
        return std::nullopt;
    // From the screen's middle, but never past its right edge: a window wider than
    // half the screen would otherwise hang off it, title buttons and all.
    const int x = std::max(0, std::min(screen.width() / 2, screen.width() - window.width()));
    return QRect(x, 15, window.width(), fitting_height);
}

void MainWindow::Build(const CatalogueQueries& catalogue, MessageBoxes& boxes,
                       MainWindowHooks hooks, const StopSignal* stop) {
    hooks_ = std::move(hooks);
    SetHeaderImages();
    BindTitleButtons();
    BindHeaderButtons(boxes);
    AddWebElement();
    BuildCourseTree(catalogue, boxes, stop);
}

void MainWindow::SetHeaderImages() {
    AddStateImage(FindElement(window_.get(), 1), kStateNormal, Image("IMAGE/MainW/logo.png"));
    if (QWidget* name = FindElement(window_.get(), 6))
        name->setFont(SystemFont(12));
    AddStateImage(FindElement(window_.get(), 8), kStateNormal,
                  Image("IMAGE/MainW/search_back.png"));
    AddStateImage(FindElement(window_.get(), 9), kStateNormal, Image("IMAGE/MainW/search.png"));
}

void MainWindow::BindTitleButtons() {
    const auto buttons = {std::pair{2, "set"}, std::pair{3, "min"}, std::pair{4, "close"}};
    for (const auto& [id, name] : buttons) {
        const std::string normal = std::string("IMAGE/MainW/") + name + "1.png";
        const std::string over = std::string("IMAGE/MainW/") + name + "2.png";
        SetButtonImages(FindElement(window_.get(), id), Image(normal.c_str()), Image(over.c_str()),
                        Image(normal.c_str()));
    }
    const auto on_click = [this](int id, std::function<void()>& action) {
        RegisterEvent(FindElement(window_.get(), id), kEventButtonClick, [&action](EventArgs&) {
            if (action)
                action();
        });
    };
    on_click(2, hooks_.open_settings);
    on_click(3, hooks_.hide);
    on_click(4, hooks_.shut_down);
    on_click(17, hooks_.open_download_center);
    on_click(18, hooks_.start_player);
    on_click(19, hooks_.open_messages);
}

// The study plan and notes are not open yet.
void MainWindow::BindHeaderButtons(MessageBoxes& boxes) {
    for (const int id : {12, 13}) {
        RegisterEvent(FindElement(window_.get(), id), kEventButtonClick,
                      [this, &boxes](EventArgs& args) {
                          boxes.Show(window_.get(), "敬请期待", "");
                          args.handled = true;
                      });
    }
}

// A web view element 100 wide that fills element 22. No page is ever loaded into it, so
// it never loads the engine.
void MainWindow::AddWebElement() {
    QWidget* holder = FindElement(window_.get(), 22);
    if (holder == nullptr || holder->layout() == nullptr)
        return;
    if (QWidget* web = XWeb_Create(100, nullptr, web_engine_))
        holder->layout()->addWidget(web);
}

void MainWindow::BuildCourseTree(const CatalogueQueries& catalogue, MessageBoxes& boxes,
                                 const StopSignal* stop) {
    auto* view = FindElementAs<QTreeView>(window_.get(), 16);
    if (view == nullptr)
        return;
    StopCoursePictures();
    CourseTreeHooks tree_hooks;
    tree_hooks.open_course = hooks_.open_course;
    tree_hooks.queue_course = hooks_.queue_course;
    tree_hooks.log = hooks_.log;
    tree_hooks.show_box = [&boxes](const QString& text, const QString& caption) {
        boxes.Show(nullptr, text, caption);
    };
    tree_hooks.show_menu = [this](QPoint global) {
        if (course_menu_)
            course_menu_->Popup(global);
    };
    course_tree_ = new CourseTree(view, program_folder_, catalogue, std::move(tree_hooks));
    if (!course_tree_->Build())
        return;
    course_menu_ =
        std::make_unique<PopupMenu>([this](int item) { course_tree_->RunMenuCommand(item); });
    course_menu_->AddItem(kMenuWatchOnline, "在线观看");
    course_menu_->AddItem(kMenuCacheCourse, "缓存课程");
    StartCoursePictures(catalogue, stop);
}

void MainWindow::StartCoursePictures(const CatalogueQueries& catalogue, const StopSignal* stop) {
    CoursePicturesContext context;
    context.program_folder = program_folder_;
    context.catalogue = &catalogue;
    context.client_stop = stop;
    context.log = hooks_.log;
    // The thread hands each picture to the GUI thread, which finds the item again.
    context.on_picture = [tree = course_tree_](int item, const std::filesystem::path& picture) {
        QMetaObject::invokeMethod(tree,
                                  [tree, item, picture] { tree->ShowPicture(item, picture); });
    };
    course_pictures_ = std::make_unique<CoursePictures>(std::move(context));
    course_pictures_->Start();
}

void MainWindow::StopCoursePictures() {
    if (course_pictures_)
        course_pictures_->Stop();
}

}  // namespace tessal::client
