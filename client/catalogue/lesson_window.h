#pragma once

// The lesson window: one course's name and counters, its lessons by chapter, and the web
// view in which the selected lesson plays online (the course host's miniplayer page,
// signed with the app API host's time). The window never waits for the network: the
// time is fetched by the OnlineLessonLoader, and only the newest selection loads. It
// closes by its caption button or when the member opens another course, and is then
// destroyed.

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "client/catalogue/catalogue_queries.h"
#include "common/gui/element_events.h"
#include "common/gui/message_boxes.h"
#include "common/gui/template_tree.h"
#include "common/gui/web/ewe_library.h"
#include "common/gui/web/xweb.h"
#include "common/settings/site_settings.h"

namespace tessal::client {

class OnlineLessonLoader;

inline constexpr const char* kLessonWindowLayout = "Layout/LessonWin.xml";

struct LessonWindowContext {
    std::filesystem::path program_folder;
    const CatalogueQueries* catalogue = nullptr;
    SiteSettings site;
    std::string uid;            // the member's, from the login reply
    std::string download_root;  // for the downloaded-lesson test
    std::shared_ptr<gui::EweLibrary> web_engine;
    OnlineLessonLoader* loader = nullptr;
    gui::MessageBoxes* boxes = nullptr;
    QIcon icon;
    QSize screen;  // the primary screen, in the toolkit's units
    std::function<void(const std::string& line)> log;
    // Queues one lesson in the download center (its kind 2).
    std::function<void(int lesson_id)> queue_lesson;
    // Opens the question window over the lesson window, for the current course.
    std::function<void(QWidget* lesson_window, const std::string& course_id)> open_question;
};

class LessonWindow : public QObject {
public:
    // Builds the window of `course_id` and, when the course has chapters, shows it and
    // plays its first lesson. Null when the layout cannot be loaded (box and log line
    // "CreateLessonWndFail"); a course without chapters gives a window that stays hidden.
    // The window owns the object and is destroyed when it closes.
    static LessonWindow* Open(const std::string& course_id, LessonWindowContext context);
    ~LessonWindow() override;

    QWidget* window() const { return window_; }
    const std::string& course_id() const { return course_id_; }
    bool built() const { return built_; }
    gui::TemplateTree* tree() const { return tree_; }
    gui::WebView* web_view() const { return web_view_; }
    int first_lesson() const { return first_lesson_; }

    // Loads lesson `lesson_id` into the web view once the site's time has come.
    void PlayOnline(const std::string& lesson_id);

private:
    LessonWindow(QWidget* window, std::string course_id, LessonWindowContext context);

    // Characters the window shows of a name or reads of an id cell.
    static constexpr int kTextLimit = 259;
    static QString Limited(const std::string& text);
    QString Image(const char* relative) const;
    bool Build();
    void SetUpFrame();
    void ShowCourseName(const std::string& name);
    void SetCaptionButtons();
    void AddWebView();
    void ShowCounters(const std::string& course_name);
    void ShowAndSize();

    // The lesson tree (lesson_tree.cpp).
    void SetUpTree();
    bool FillTree(const std::string& course_name);
    void BindTreeEvents();
    void OnTemplateChoose(gui::EventArgs& args) const;
    void OnTemplateCreated(gui::EventArgs& args);
    void SetUpLessonRow(QWidget* row, int item);
    void OnSelect(gui::EventArgs& args);
    void OnDoubleClick(QPoint point);
    void OnDownloadClick(QWidget* row);
    bool IsChapter(int item) const;
    std::string LessonIdOf(int item) const;

    // The panel and online play (lesson_play.cpp).
    void BindWindowEvents();
    void OnSize();
    void TogglePanel();
    void SetToggleImages(const char* prefix);
    void ShowLesson(const std::string& lesson_id, const std::string& name, const std::string& url,
                    const std::string& reply);
    void ShowLessonName(const std::string& name);

    QWidget* window_;
    std::string course_id_;
    LessonWindowContext context_;
    gui::TemplateTree* tree_ = nullptr;  // owned by the tree element
    QString group_template_;             // empty when it could not be loaded
    gui::WebView* web_view_ = nullptr;   // lives with its element
    int first_lesson_ = gui::kNoItem;
    bool built_ = false;
    std::uint64_t ticket_ = 0;  // the newest timestamp request of this window
};

}  // namespace tessal::client
