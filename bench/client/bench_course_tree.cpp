// The main window's course tree on a generated catalogue: COURSES courses in TYPES
// types (5,000 in 40 by default), every other picture already on disk. Prints the time
// from the start of the build to the tree's first paint, the longest frame while the
// whole tree (every group open) is scrolled through a wheel notch at a time and then a
// page at a time (the median frame too), and the peak resident memory. Runs on the offscreen
// platform unless DISPLAY names an X server.
//
//   bench_course_tree INSTALLATION_DATA_FOLDER [COURSES] [TYPES]

#include <sqlite3.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QScrollBar>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "client/catalogue/course_database.h"
#include "client/catalogue/course_tree.h"
#include "client/shell/main_window.h"
#include "common/gui/elements.h"
#include "common/gui/layout_loader.h"
#include "common/gui/toolkit_setup.h"
#include "tests/support/temp_folder.h"

namespace {

using namespace tessal;
using namespace tessal::client;

long PeakResidentKib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return 0;
}

bool Exec(sqlite3* database, const std::string& sql) {
    return sqlite3_exec(database, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Pictures point at a port that refuses: the picture thread fails fast and stays quiet.
bool MakeCatalogue(const std::filesystem::path& folder, int courses, int types) {
    sqlite3* database = nullptr;
    const auto file = folder / "codecs" / "Course.dll";
    std::filesystem::create_directories(file.parent_path());
    std::filesystem::create_directories(folder / "data" / "lesson" / "img");
    if (sqlite3_open(file.c_str(), &database) != SQLITE_OK)
        return false;
    bool made = Exec(database,
                     "CREATE TABLE t_course (FCourseid INTEGER, Fcoursename TEXT, Fcourseimg TEXT,"
                     " Ftype TEXT, Fiscomplete TEXT, Flevel TEXT);"
                     "CREATE TABLE t_lesontype (Fname TEXT); BEGIN;");
    const char* levels[] = {"初级", "中级", "高级"};
    for (int type = 0; made && type < types; ++type)
        made =
            Exec(database, "INSERT INTO t_lesontype VALUES ('类别" + std::to_string(type) + "')");
    QImage picture(160, 90, QImage::Format_RGB32);
    for (int course = 0; made && course < courses; ++course) {
        const std::string id = std::to_string(1000 + course);
        const std::string name = "课程" + id;
        made = Exec(database, "INSERT INTO t_course VALUES (" + id + ", '" + name +
                                  "', 'http://127.0.0.1:1/img/" + id + ".png', '类别" +
                                  std::to_string(course % types) + "', '" +
                                  std::to_string(course % 2) + "', '" + levels[course % 3] + "')");
        if (course % 2 == 0) {
            picture.fill(QColor::fromHsv(course % 360, 160, 200));
            picture.save(
                QString::fromStdString((folder / "data/lesson/img" / (id + ".png")).string()));
        }
    }
    made = made && Exec(database, "COMMIT;");
    sqlite3_close(database);
    return made;
}

struct Frames {
    double longest = 0;
    double median = 0;
};

// Scrolls from the top to the end `rows` rows at a time, painting each frame at once and
// letting the event loop run between frames, as it does between a member's wheel turns.
Frames ScrollThrough(QTreeView* view, int rows) {
    QScrollBar* bar = view->verticalScrollBar();
    const int step =
        view->verticalScrollMode() == QAbstractItemView::ScrollPerItem ? rows : rows * 30;
    bar->setValue(0);
    QApplication::processEvents();
    std::vector<double> frames;
    QElapsedTimer frame;
    for (int value = step; value <= bar->maximum() + step - 1; value += step) {
        frame.start();
        bar->setValue(value);
        QApplication::sendPostedEvents();  // the tree builds the rows that came into view
        view->viewport()->repaint();
        frames.push_back(frame.nsecsElapsed() / 1e6);
        QApplication::processEvents();
    }
    std::sort(frames.begin(), frames.end());
    return frames.empty() ? Frames{} : Frames{frames.back(), frames[frames.size() / 2]};
}

void OpenEveryGroup(CourseTree& tree) {
    for (int group = tree.tree().FirstChild(gui::kRootItem); group != gui::kNoItem;
         group = tree.tree().NextSibling(group))
        tree.tree().Expand(group, true);
    QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: bench_course_tree INSTALLATION_DATA_FOLDER [COURSES] [TYPES]\n");
        return 2;
    }
    ::setenv("QT_QPA_PLATFORM", std::getenv("DISPLAY") ? "xcb" : "offscreen", 0);
    QApplication application(argc, argv);
    gui::SetUpToolkit();
    const int courses = argc > 2 ? std::atoi(argv[2]) : 5000;
    const int types = argc > 3 ? std::atoi(argv[3]) : 40;
    tessal::TempFolder folder;
    const std::filesystem::path data = argv[1];
    for (const char* item : {"Layout", "IMAGE"})
        std::filesystem::copy(data / item, folder.path() / item,
                              std::filesystem::copy_options::recursive);
    if (!MakeCatalogue(folder.path(), courses, types)) {
        std::fprintf(stderr, "bench_course_tree: could not make the catalogue\n");
        return 1;
    }
    CourseDatabase database;
    std::string error;
    database.Open(folder.path() / kCourseDatabaseFile, error);
    CatalogueQueries catalogue(database, nullptr);
    QWidget* loaded = gui::LoadLayout(
        QString::fromStdString((folder.path() / "Layout/layout_main.xml").string()));
    if (loaded == nullptr)
        return 1;
    // The main window as the client builds it, with its web view element (which loads
    // nothing: no page is ever loaded into it).
    MainWindow window(loaded, folder.path(),
                      std::make_shared<gui::EweLibrary>(folder.path() / "libewe.so"));
    window.window()->show();
    QApplication::processEvents();
    struct QuietBoxes : gui::MessageBoxes {
        void Show(QWidget*, const QString&, const QString&) override {}
    } boxes;

    QElapsedTimer build;
    build.start();
    window.Build(catalogue, boxes, {}, nullptr);
    auto* view = gui::FindElementAs<QTreeView>(window.window(), 16);
    view->viewport()->repaint();
    const double shown_ms = build.nsecsElapsed() / 1e6;
    // The member looks at the tree before scrolling; the event loop runs meanwhile.
    QElapsedTimer idle;
    idle.start();
    while (idle.elapsed() < 500)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    OpenEveryGroup(*window.course_tree());
    // A wheel notch turns three rows; a drag of the scroll bar's thumb a page at a time.
    const Frames notch = ScrollThrough(view, 3);
    const Frames page = ScrollThrough(view, view->viewport()->height() / 30);
    window.StopCoursePictures();
    std::printf("%.1f %.2f %.2f %.2f %.2f %.1f %d\n", shown_ms, notch.longest, notch.median,
                page.longest, page.median, PeakResidentKib() / 1024.0,
                window.course_tree()->tree().ItemCount());
    return 0;
}
