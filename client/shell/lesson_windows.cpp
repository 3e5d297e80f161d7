#include "client/shell/lesson_windows.h"

namespace tessal::client {

LessonWindows::LessonWindows(std::function<LessonWindowContext()> make_context)
    : make_context_(std::move(make_context)) {}

LessonWindows::~LessonWindows() {
    Close();
    loader_.Stop();
}

void LessonWindows::Open(const std::string& course_id) {
    Close();
    LessonWindowContext context = make_context_();
    context.loader = &loader_;
    current_ = LessonWindow::Open(course_id, std::move(context));
}

void LessonWindows::Close() {
    if (current_.isNull())
        return;
    // Destroyed now, not on the next turn of the event loop: its page stops playing
    // before the next course's window shows.
    QWidget* window = current_->window();
    window->close();
    delete window;
}

}  // namespace tessal::client
