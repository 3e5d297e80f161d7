#pragma once

// The client's one lesson window: opening a course closes the window of the course open
// before, and the shutdown routine closes the last one and stops the thread that asks
// the site for its time.

#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "client/catalogue/lesson_window.h"
#include "client/catalogue/online_lesson_loader.h"

namespace tessal::client {

class LessonWindows {
public:
    // `make_context` gives what a new window needs, as things are at the time it opens.
    explicit LessonWindows(std::function<LessonWindowContext()> make_context);
    ~LessonWindows();

    void Open(const std::string& course_id);
    // Closes and destroys the open window, if any.
    void Close();
    // Ends the time requests' thread (the shutdown routine's workers stage).
    void StopLoader() { loader_.Stop(); }
    LessonWindow* current() const { return current_; }

private:
    std::function<LessonWindowContext()> make_context_;
    OnlineLessonLoader loader_;
    QPointer<LessonWindow> current_;  // forgotten when its window is destroyed
};

}  // namespace tessal::client
