#pragma once

// The question window: a small modal window over the lesson window where the member asks
// a question about the open course. The question is posted on a worker; its answer comes
// back to the GUI thread, shows in a box, and the window closes.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "common/gui/message_boxes.h"
#include "common/settings/site_settings.h"

namespace tessal::client {

inline constexpr const char* kQuestionWindowFail = "CreatehWINDOW_AskWndFail";
// Element IDs of "Layout/AskWnd.xml".
inline constexpr int kQuestionEditorId = 1;
inline constexpr int kQuestionSubmitId = 2;
inline constexpr int kQuestionCloseId = 3;

struct QuestionContext {
    std::filesystem::path program_folder;
    SiteSettings site;
    std::string course_id;  // decimal text
    gui::MessageBoxes* boxes = nullptr;
    std::function<void(const std::string&)> log;  // a daily-log line
};

// One opening of the window. Open shows it and returns at once; done() turns true (with
// Done) once the window is closed and no post runs any more.
class QuestionWindow : public QObject {
    Q_OBJECT
public:
    QuestionWindow(QWidget* lesson_window, QuestionContext context);
    // Abandons a post still running and waits for it; closes the window.
    ~QuestionWindow() override;

    // False, after the failure box and log line, when the layout cannot be loaded.
    bool Open();
    QWidget* window() const { return window_; }  // null once closed
    bool posting() const { return worker_.joinable(); }
    bool done() const { return window_ == nullptr && !posting(); }

signals:
    void Done();

private:
    bool Load();
    void SetUpEditor();
    void PlaceOverLessonWindow();
    void BindEvents();
    void ClearPlaceholder();
    void Submit();
    void StartPost(std::string body);
    void OnReply(const std::string& reply);
    void OnClosed();
    void Close();

    QPointer<QWidget> lesson_window_;
    QuestionContext context_;
    QPointer<QWidget> window_;
    std::thread worker_;
    std::atomic<bool> abandon_{false};
};

// Opens the window modal over `lesson_window` and returns at once: the lesson window owns
// it until it is done, then it is deleted. Null when it could not be loaded.
QuestionWindow* ShowQuestionWindow(QWidget* lesson_window, QuestionContext context);

}  // namespace tessal::client
