#include "client/catalogue/lesson_window.h"

#include <QLayout>
#include <cstdlib>

#include "client/catalogue/online_lesson_loader.h"
#include "client/catalogue/online_play.h"
#include "common/gui/elements.h"
#include "common/gui/layout_loader.h"
#include "common/gui/state_images.h"
#include "common/gui/toolkit_codes.h"
#include "common/gui/toolkit_setup.h"
#include "common/gui/window_frame.h"

namespace tessal::client {
namespace {

using namespace tessal::gui;

constexpr const char* kCreateFailure = "CreateLessonWndFail";
constexpr const char* kCountersStatement =
    "SELECT Fnumoflikes,Fnumofclick  from  t_course WHERE Fcoursename='?' ";
}  // namespace

LessonWindow::LessonWindow(QWidget* window, std::string course_id, LessonWindowContext context)
    : QObject(window),
      window_(window),
      course_id_(std::move(course_id)),
      context_(std::move(context)) {}

LessonWindow::~LessonWindow() {
    if (context_.loader != nullptr)
        context_.loader->Forget(ticket_);
}

LessonWindow* LessonWindow::Open(const std::string& course_id, LessonWindowContext context) {
    const auto path = context.program_folder / kLessonWindowLayout;
    QWidget* window = LoadLayout(QString::fromStdString(path.string()));
    if (window == nullptr) {
        context.boxes->Show(nullptr, kCreateFailure, kCreateFailure);
        context.log(kCreateFailure);
        return nullptr;
    }
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto* lesson_window = new LessonWindow(window, course_id, std::move(context));
    lesson_window->built_ = lesson_window->Build();
    return lesson_window;
}

QString LessonWindow::Limited(const std::string& text) {
    return QString::fromStdString(text).left(kTextLimit);
}

QString LessonWindow::Image(const char* relative) const {
    return QString::fromStdString((context_.program_folder / relative).string());
}

// In the order the window has always been put together; false when the course has no
// chapter, and the window is then never shown.
bool LessonWindow::Build() {
    window_->setWindowIcon(context_.icon);
    const std::string name =
        context_.catalogue->Lookup(CatalogueLookup::kCoruseIDtoName, {course_id_});
    ShowCourseName(name);
    SetCaptionButtons();
    AddWebView();
    ShowElements(window_, {11}, context_.site.questions());
    ShowCounters(name);
    SetUpTree();
    if (!FillTree(name))
        return false;
    BindTreeEvents();
    BindWindowEvents();
    ShowAndSize();
    if (first_lesson_ != kNoItem) {
        EventArgs select{kEventTreeSelect};
        select.key = first_lesson_;
        SendEvent(FindElement(window_, 7), select);
    }
    return true;
}

void LessonWindow::ShowCourseName(const std::string& name) {
    window_->setWindowTitle(name.empty() ? QStringLiteral("TessalClient")
                                         : QString::fromStdString(name));
    if (QWidget* text = FindElement(window_, 1)) {
        text->setFont(SystemFont(18));
        SetElementText(text, Limited(name));
        text->setToolTip(Limited(name));  // a long name runs under the counters
    }
}

void LessonWindow::SetCaptionButtons() {
    const std::pair<int, const char*> buttons[] = {{3, "suox"}, {4, "jux"}, {5, "cuow"}};
    for (const auto& [id, name] : buttons) {
        const std::string normal = std::string("IMAGE/LessonW/") + name + "_1.png";
        const std::string over = std::string("IMAGE/LessonW/") + name + ".png";
        SetButtonImages(FindElement(window_, id), Image(normal.c_str()), Image(over.c_str()),
                        Image(normal.c_str()));
    }
    // The panel is open: its toggle offers to fold it away.
    SetToggleImages("you");
    if (QWidget* question = FindElement(window_, 11)) {
        RegisterEvent(question, kEventButtonClick, [this](EventArgs& args) {
            args.handled = true;
            if (context_.open_question)
                context_.open_question(window_, course_id_);
        });
    }
}

// A web view element that fills element 6; its view is the one lessons play in.
void LessonWindow::AddWebView() {
    QWidget* holder = FindElement(window_, 6);
    if (holder == nullptr || holder->layout() == nullptr)
        return;
    if (QWidget* web = XWeb_Create(500, window_, context_.web_engine)) {
        holder->layout()->addWidget(web);
        web_view_ = XWeb_GetWebView(web);
    }
}

// A course without a row keeps the layout's counters.
void LessonWindow::ShowCounters(const std::string& course_name) {
    const auto row = context_.catalogue->FirstRow(kCountersStatement, {{course_name}});
    if (!row) {
        context_.log(std::string("sql fail:") +
                     StatementWithValues(kCountersStatement, {{course_name}}));
        return;
    }
    if (row->size() < 2)
        return;
    SetElementText(FindElement(window_, 10),
                   QString::fromStdString(CounterText(std::strtod((*row)[0].c_str(), nullptr))));
    SetElementText(FindElement(window_, 12),
                   QString::fromStdString(CounterText(std::strtod((*row)[1].c_str(), nullptr))));
}

// Shown with its shadow, laid out once, then placed: a large screen keeps the layout's
// size, a small one gets 61.8 % of its width at its top left corner, in the golden ratio.
void LessonWindow::ShowAndSize() {
    SetFramedWindow(window_, Shadow{5, 255, 3, false, ColourFromBgr(0x1E1E1E)});
    EnableDragBorder(window_, true);
    // The main window stays on top: a window that did not would open behind it.
    window_->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    window_->show();
    window_->raise();
    window_->activateWindow();
    SendWindowEvent(window_, kWindowSize);
    const QSize screen = context_.screen;
    if (screen.width() * 0.8 > 1200 && screen.height() * 0.8 > 741) {
        // The layout's size, in the middle of the screen rather than over its corner.
        window_->move((screen.width() - window_->width()) / 2,
                      (screen.height() - window_->height()) / 2);
        return;
    }
    const double width = screen.width() * 0.618;
    window_->setGeometry(0, 0, static_cast<int>(width), static_cast<int>(width * 0.618));
}

}  // namespace tessal::client
