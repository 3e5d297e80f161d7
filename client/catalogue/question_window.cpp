#include "client/catalogue/question_window.h"

#include <QAbstractButton>
#include <QTextEdit>
#include <utility>

#include "client/catalogue/question_form.h"
#include "common/gui/element_events.h"
#include "common/gui/elements.h"
#include "common/gui/layout_loader.h"
#include "common/gui/toolkit_codes.h"
#include "common/gui/virtual_keys.h"
#include "common/gui/window_frame.h"
#include "common/net/http_client.h"

namespace tessal::client {
namespace {

using namespace tessal::gui;

// The lesson window's rectangle on the screen, frame included.
QRect ScreenRect(const QWidget* widget) {
    if (widget->isWindow())
        return widget->frameGeometry();
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

}  // namespace

QuestionWindow::QuestionWindow(QWidget* lesson_window, QuestionContext context)
    : lesson_window_(lesson_window), context_(std::move(context)) {}

QuestionWindow::~QuestionWindow() {
    // Waits at most about a second: the request looks at the flag at least that often.
    abandon_ = true;
    if (worker_.joinable())
        worker_.join();
    if (window_ != nullptr) {
        window_->disconnect(this);
        delete window_.data();
    }
}

bool QuestionWindow::Open() {
    if (!Load()) {
        if (context_.boxes != nullptr)
            context_.boxes->Show(nullptr, kQuestionWindowFail, kQuestionWindowFail);
        if (context_.log)
            context_.log(kQuestionWindowFail);
        return false;
    }
    window_->setAttribute(Qt::WA_DeleteOnClose);
    window_->setWindowFlag(Qt::Dialog, true);
    window_->setWindowModality(lesson_window_ != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    SetUpEditor();
    SetFramedWindow(window_, Shadow{5, 255, 3, false, ColourFromBgr(0x1E1E1E)});
    PlaceOverLessonWindow();
    BindEvents();
    window_->show();
    window_->activateWindow();
    // Not in the editor: typing before a click would go in after the placeholder.
    window_->setFocus(Qt::ActiveWindowFocusReason);
    return true;
}

// A layout without the editor or the submit button could take no question: it counts as
// not loadable.
bool QuestionWindow::Load() {
    const auto layout = context_.program_folder / "Layout" / "AskWnd.xml";
    QWidget* window = LoadLayout(QString::fromStdString(layout.string()), lesson_window_);
    if (window == nullptr)
        return false;
    if (FindElementAs<QTextEdit>(window, kQuestionEditorId) == nullptr ||
        FindElementAs<QAbstractButton>(window, kQuestionSubmitId) == nullptr) {
        delete window;
        return false;
    }
    window_ = window;
    return true;
}

void QuestionWindow::SetUpEditor() {
    auto* editor = FindElementAs<QTextEdit>(window_, kQuestionEditorId);
    editor->setLineWrapMode(QTextEdit::WidgetWidth);
    // Long runs without blanks (addresses, Chinese text) wrap too.
    editor->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // Only the text is posted; pasted formatting would only mislead.
    editor->setAcceptRichText(false);
}

// x = L.left + (L.width / 2 - C.width / 2), and so for y: the window's middle over the
// lesson window's.
void QuestionWindow::PlaceOverLessonWindow() {
    if (lesson_window_ == nullptr)
        return;
    const QRect lesson = ScreenRect(lesson_window_);
    window_->move(lesson.left() + (lesson.width() / 2 - window_->width() / 2),
                  lesson.top() + (lesson.height() / 2 - window_->height() / 2));
}

void QuestionWindow::BindEvents() {
    // The editor's text area is its viewport, which gets the mouse presses.
    auto* editor = FindElementAs<QTextEdit>(window_, kQuestionEditorId);
    RegisterEvent(editor->viewport(), kEventLeftButtonDown,
                  [this](EventArgs&) { ClearPlaceholder(); });
    RegisterEvent(FindElement(window_, kQuestionSubmitId), kEventButtonClick,
                  [this](EventArgs&) { Submit(); });
    if (QWidget* close = FindElement(window_, kQuestionCloseId))
        RegisterEvent(close, kEventButtonClick, [this](EventArgs&) { Close(); });
    RegisterWindowKeyDown(window_, [this](int key) {
        if (key == kKeyEscape)
            Close();
    });
    connect(window_, &QObject::destroyed, this, &QuestionWindow::OnClosed);
}

void QuestionWindow::ClearPlaceholder() {
    QWidget* editor = FindElement(window_, kQuestionEditorId);
    if (ElementText(editor).toStdString() == kQuestionPlaceholder)
        SetElementText(editor, QString());
}

// The text is read now, on the GUI thread; the worker only sends it.
void QuestionWindow::Submit() {
    if (posting())
        return;
    const std::string question = ElementText(FindElement(window_, kQuestionEditorId)).toStdString();
    QuestionForm form = BuildQuestionForm(question, context_.course_id, context_.site.code_page());
    if (form.check == QuestionCheck::kTooLong || form.check == QuestionCheck::kUnsendable) {
        // Nothing of this object is used after the box: it may have gone with the lesson
        // window while the box showed.
        if (context_.boxes != nullptr)
            context_.boxes->Show(window_,
                                 form.check == QuestionCheck::kTooLong ? kQuestionTooLongText
                                                                       : kQuestionUnsendableText,
                                 QString());
        return;
    }
    if (form.check == QuestionCheck::kSend)
        StartPost(std::move(form.body));
}

void QuestionWindow::StartPost(std::string body) {
    if (QWidget* submit = FindElement(window_, kQuestionSubmitId))
        submit->setEnabled(false);
    abandon_ = false;
    std::string url = context_.site.HostUrl(SiteHost::kClientData) + kQuestionPath;
    // `this` outlives the worker (the destructor joins it); the reply is handed over as a
    // queued call, which is dropped if this object is gone by then.
    worker_ = std::thread([this, url = std::move(url), body = std::move(body)] {
        HttpTimeouts timeouts;
        timeouts.abandon = &abandon_;
        timeouts.max_reply_bytes = kQuestionReplyLimit;
        std::string reply = SendRequest(url, body, "", HttpMethod::kPost, timeouts);
        QMetaObject::invokeMethod(
            this, [this, reply = std::move(reply)] { OnReply(reply); }, Qt::QueuedConnection);
    });
}

// A window the member closed during the post asks for no answer.
void QuestionWindow::OnReply(const std::string& reply) {
    worker_.join();
    if (window_ == nullptr) {
        emit Done();
        return;
    }
    if (context_.boxes != nullptr) {
        const QPointer<QuestionWindow> alive = this;
        const std::string text = QuestionReplyText(reply, context_.site.code_page());
        context_.boxes->Show(lesson_window_, QString::fromStdString(text), QString());
        // The lesson window, and this object with it, may have gone while the box showed.
        if (alive.isNull())
            return;
    }
    Close();
}

// Closing during a post abandons it; the window is done once the worker has ended.
void QuestionWindow::OnClosed() {
    if (posting()) {
        abandon_ = true;
        return;
    }
    emit Done();
}

void QuestionWindow::Close() {
    if (window_ != nullptr)
        window_->close();
}

QuestionWindow* ShowQuestionWindow(QWidget* lesson_window, QuestionContext context) {
    auto* question = new QuestionWindow(lesson_window, std::move(context));
    // Goes with the lesson window should that close first; its destructor ends the post.
    question->setParent(lesson_window);
    if (!question->Open()) {
        delete question;
        return nullptr;
    }
    QObject::connect(question, &QuestionWindow::Done, question, &QObject::deleteLater);
    if (question->done())
        question->deleteLater();
    return question;
}

}  // namespace tessal::client
