// The download center built in this process as TessalClient builds it, on a temporary
// program folder (under TMPDIR) with the real download engine, on the offscreen platform.
//
//   bench_download_center lesson DATA_FOLDER ENGINE SITE_INI URL SOURCE_FILE
//     One lesson, served by a running reference site at URL ("<Download1>/lessons/<course
//     id>/<file>", SOURCE_FILE's bytes), through the whole client path: Open(kLesson), the
//     queue's message 2025, the engine task, its worker's polls and 2024 reports, the
//     finished list. A 10 ms timer on the GUI thread records how late each tick fires
//     while the lesson downloads. Prints, in seconds from the call to Open unless named:
//       done bytes open_ms task_started on_disk finished worker_ended latency_max_ms
//       latency_p99_ms ticks worst_tick_due
//     where done is the later of on_disk (the file complete under its final name, no
//     control file left) and finished (the course's entry in the finished list).
//
//   bench_download_center list DATA_FOLDER ENGINE [LESSONS] [RUNS]
//     LoadList.ini with LESSONS (1000) queued lessons of a catalogue of as many lessons,
//     and 10 finished courses. Each run starts a client (engine started, as at start-up),
//     times Open(kWindow) to the downloading tree's first paint, the close button (saves
//     both lists) and, with the window shown again, a row's delete button (saves the
//     downloading list). Prints the median, least and greatest of each in ms, then the
//     two lists' item counts:
//       open_med close_med delete_med open_min open_max close_min close_max delete_min
//       delete_max loading_items finished_items

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "client/catalogue/catalogue_queries.h"
#include "client/catalogue/course_database.h"
#include "client/download/download_center.h"
#include "client/download/load_list.h"
#include "common/base/stop_signal.h"
#include "common/gui/elements.h"
#include "common/gui/toolkit_setup.h"
#include "common/log/daily_log.h"
#include "common/settings/ini_file.h"
#include "common/settings/site_settings.h"
#include "site/builders/course_database_builder.h"
#include "site/model/site_addresses.h"
#include "tests/support/temp_folder.h"

namespace {

using namespace tessal;
using namespace tessal::client;
using Clock = std::chrono::steady_clock;

constexpr int kFinishedCourses = 10;
constexpr int kLessonsPerCourse = 20;
constexpr int kProbeIntervalMs = 10;
constexpr auto kDownloadLimit = std::chrono::minutes(10);
constexpr auto kWatchInterval = std::chrono::milliseconds(5);

double Seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

double Ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// A box in a benchmark run means something failed; it is said and counted.
class NotedBoxes : public gui::MessageBoxes {
public:
    void Show(QWidget*, const QString& text, const QString& caption) override {
        std::fprintf(stderr, "box: %s | %s\n", qPrintable(caption), qPrintable(text));
        ++shown;
    }
    int shown = 0;
};

// A program folder as the installation lays it out: layouts, images, data, the engine.
class ProgramFolder {
public:
    ProgramFolder(const std::filesystem::path& data, const std::filesystem::path& engine) {
        for (const char* item : {"Layout", "IMAGE", "data"})
            std::filesystem::copy(data / item, path() / item,
                                  std::filesystem::copy_options::recursive);
        std::filesystem::copy_file(engine, path() / "libxldl.so");
        std::filesystem::create_directories(path() / "cache" / "technology");
        std::filesystem::create_directories(path() / "codecs");
    }
    const std::filesystem::path& path() const { return folder_.path(); }
    std::string DownloadRoot() const { return (path() / "Downloads").string() + "/"; }

private:
    TempFolder folder_;
};

bool BuildCatalogue(const std::filesystem::path& folder, const site::DemoData& data,
                    const site::SiteUrls& urls) {
    std::string error;
    if (!site::BuildCourseDatabase(data, urls, folder / kCourseDatabaseFile, error)) {
        std::fprintf(stderr, "catalogue: %s\n", error.c_str());
        return false;
    }
    return true;
}

// What TessalClient holds for the download center, built and ended in its order.
class Client {
public:
    Client(const ProgramFolder& folder, std::array<std::string, 3> hosts)
        : folder_(folder), hosts_(std::move(hosts)), log_(folder.path() / "cache" / "technology") {
        std::string error;
        if (!database_.Open(folder.path() / kCourseDatabaseFile, error))
            std::fprintf(stderr, "catalogue: %s\n", error.c_str());
    }
    ~Client() {
        End();
        database_.Close();
    }

    // The client's start: the engine, as at start-up, and the download center, not opened.
    bool Start() {
        engine_ = std::make_unique<DownloadEngine>(folder_.path());
        if (!engine_->Start(log_))
            return false;
        DownloadCenterContext context;
        context.program_folder = folder_.path();
        context.catalogue = &catalogue_;
        context.engine = engine_.get();
        context.daily_log = &log_;
        context.stop = &stop_;
        context.boxes = &boxes_;
        context.task_settings = [this] { return TaskSettings{folder_.DownloadRoot(), 1, hosts_}; };
        context.log = [](const std::string& line) {
            static std::mutex mutex;
            const std::lock_guard lock(mutex);
            std::fprintf(stderr, "log: %s\n", line.c_str());
        };
        context.start_player = [] {};
        center_ = std::make_unique<DownloadCenter>(std::move(context));
        return true;
    }
    // The shutdown routine's order: stop raised, window gone, workers joined, engine.
    void End() {
        if (!center_)
            return;
        stop_.Raise();
        center_->Close();
        center_->JoinWorkers();
        engine_->Stop();
        center_.reset();
        engine_.reset();
    }

    DownloadCenter& center() { return *center_; }
    const DownloadEngine& engine() const { return *engine_; }
    int boxes() const { return boxes_.shown; }

private:
    const ProgramFolder& folder_;
    std::array<std::string, 3> hosts_;
    CourseDatabase database_;
    CatalogueQueries catalogue_{database_, [](const std::string& label, const std::string& line) {
                                    std::fprintf(stderr, "database: %s %s\n", label.c_str(),
                                                 line.c_str());
                                }};
    DailyLog log_;
    StopSignal stop_;
    NotedBoxes boxes_;
    std::unique_ptr<DownloadEngine> engine_;
    std::unique_ptr<DownloadCenter> center_;
};

// How late each tick of a repeating timer fires on the GUI thread: the time between
// ticks beyond the interval is time the event loop could not turn.
class LatencyProbe {
public:
    explicit LatencyProbe(std::function<void()> on_tick) : on_tick_(std::move(on_tick)) {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(kProbeIntervalMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    }
    void Start() {
        last_ = Clock::now();
        timer_.start();
    }
    void Stop() { timer_.stop(); }
    double MaxMs() const { return worst_ms_; }
    double P99Ms() const {
        if (late_ms_.empty())
            return 0;
        std::vector<double> sorted = late_ms_;
        std::ranges::sort(sorted);
        return sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)];
    }
    std::size_t ticks() const { return late_ms_.size(); }
    Clock::time_point worst_at() const { return worst_at_; }

private:
    void Tick() {
        const auto now = Clock::now();
        late_ms_.push_back(std::max(0.0, Ms(last_, now) - kProbeIntervalMs));
        if (late_ms_.back() >= worst_ms_) {
            worst_ms_ = late_ms_.back();
            worst_at_ = last_;  // the loop's last turn before its longest stall
        }
        last_ = now;
        on_tick_();
    }

    std::function<void()> on_tick_;
    QTimer timer_;
    Clock::time_point last_;
    std::vector<double> late_ms_;
    double worst_ms_ = 0;
    Clock::time_point worst_at_;
};

// Watches, off the GUI thread, for the engine task to exist and for the lesson to be
// complete on disk under its final name: full size, no control file left.
class DiskWatch {
public:
    DiskWatch(const DownloadEngine& engine, std::filesystem::path file, std::uintmax_t bytes)
        : thread_([this, &engine, file = std::move(file), bytes] { Run(engine, file, bytes); }) {}
    ~DiskWatch() {
        stop_ = true;
        thread_.join();
    }
    Clock::time_point task_started() const { return task_started_.load(); }
    Clock::time_point on_disk() const { return on_disk_.load(); }

private:
    void Run(const DownloadEngine& engine, const std::filesystem::path& file,
             std::uintmax_t bytes) {
        const std::filesystem::path control = file.string() + ".aria2";
        while (!stop_) {
            const auto now = Clock::now();
            if (task_started_.load() == Clock::time_point{} && engine.current_task() != nullptr)
                task_started_ = now;
            std::error_code error;
            if (std::filesystem::file_size(file, error) == bytes && !error &&
                !std::filesystem::exists(control, error)) {
                on_disk_ = now;
                return;
            }
            std::this_thread::sleep_for(kWatchInterval);
        }
    }

    std::atomic<Clock::time_point> task_started_{};
    std::atomic<Clock::time_point> on_disk_{};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

bool SameBytes(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::ifstream first(a, std::ios::binary);
    std::ifstream second(b, std::ios::binary);
    std::vector<char> x(1 << 20);
    std::vector<char> y(1 << 20);
    while (first && second) {
        first.read(x.data(), static_cast<std::streamsize>(x.size()));
        second.read(y.data(), static_cast<std::streamsize>(y.size()));
        if (first.gcount() != second.gcount() ||
            !std::equal(x.begin(), x.begin() + first.gcount(), y.begin()))
            return false;
    }
    return first.eof() && second.eof();
}

// The one lesson of the catalogue is the served file: its course id and file name come
// from the address "/lessons/<course id>/<file>" the site was told to serve.
bool LessonOfUrl(const std::string& url, const site::SiteUrls& urls, site::DemoData& data) {
    const std::size_t at = url.find(site::kLessonPathPrefix);
    if (at == std::string::npos)
        return false;
    const std::string rest = url.substr(at + std::string(site::kLessonPathPrefix).size());
    site::Course course;
    course.id = std::atoi(rest.c_str());
    course.name = "下载中心基准";
    course.type = "基准测试";
    course.level = "初级";
    course.complete = "1";
    site::Lesson lesson;
    lesson.id = course.id * 100 + 1;
    lesson.name = "基准课时";
    lesson.chapter = "第一章";
    lesson.sort = 1;
    lesson.file = rest.substr(rest.find('/') + 1);
    lesson.download_host = 1;
    course.lessons.push_back(lesson);
    data.course_types = {course.type};
    data.courses = {course};
    return course.id > 0 && urls.LessonUrl(course, lesson) == url;
}

int RunLesson(char** argv) {
    const std::filesystem::path source = argv[6];
    const std::string url = argv[5];
    const SiteSettings site = SiteSettings::Load(argv[4]);
    const site::SiteUrls urls(site);
    site::DemoData data;
    if (!LessonOfUrl(url, urls, data)) {
        std::fprintf(stderr, "bench_download_center: %s is not <Download1>%s<id>/<file>\n",
                     url.c_str(), site::kLessonPathPrefix);
        return 2;
    }
    ProgramFolder folder(argv[2], argv[3]);
    if (!BuildCatalogue(folder.path(), data, urls))
        return 1;
    const site::Course& course = data.courses.front();
    const std::filesystem::path final_file = std::filesystem::path(folder.DownloadRoot()) /
                                             course.type / course.name /
                                             course.lessons.front().file;
    Client client(folder, {site.HostName(SiteHost::kDownload1), site.HostName(SiteHost::kDownload2),
                           site.HostName(SiteHost::kDownload3)});
    if (!client.Start())
        return 1;

    QEventLoop loop;
    Clock::time_point finished{};
    std::unique_ptr<DiskWatch> watch;
    LatencyProbe probe([&] {
        gui::TemplateTree* tree = client.center().finished_tree();
        if (finished == Clock::time_point{} && tree != nullptr && tree->ItemCount() > 0)
            finished = Clock::now();
        if (finished != Clock::time_point{} && watch->on_disk() != Clock::time_point{})
            loop.quit();
    });
    QTimer::singleShot(kDownloadLimit, &loop, &QEventLoop::quit);

    const auto started = Clock::now();
    watch = std::make_unique<DiskWatch>(client.engine(), final_file,
                                        std::filesystem::file_size(source));
    client.center().Open(DownloadKind::kLesson, course.lessons.front().id);
    const auto opened = Clock::now();
    probe.Start();
    loop.exec();
    probe.Stop();
    const Clock::time_point on_disk = watch->on_disk();
    if (finished == Clock::time_point{} || on_disk == Clock::time_point{}) {
        std::fprintf(stderr, "bench_download_center: the lesson did not finish\n");
        return 1;
    }
    // The worker renames (here: keeps) the file, lets the queue go on and ends.
    Clock::time_point worker_ended{};
    QElapsedTimer wait;
    wait.start();
    while (client.center().running_workers() > 0 && wait.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    if (client.center().running_workers() == 0)
        worker_ended = Clock::now();
    const Clock::time_point task_started = watch->task_started();
    watch.reset();
    const int boxes = client.boxes();
    client.End();
    if (boxes > 0 || !SameBytes(final_file, source)) {
        std::fprintf(stderr, "bench_download_center: wrong bytes or a box shown\n");
        return 1;
    }
    const auto from_start = [&](Clock::time_point at) {
        return at == Clock::time_point{} ? -1.0 : Seconds(started, at);
    };
    std::printf("%.3f %ju %.1f %.3f %.3f %.3f %.3f %.2f %.2f %zu %.3f\n",
                Seconds(started, std::max(on_disk, finished)), std::filesystem::file_size(source),
                Ms(started, opened), from_start(task_started), from_start(on_disk),
                from_start(finished), from_start(worker_ended), probe.MaxMs(), probe.P99Ms(),
                probe.ticks(), from_start(probe.worst_at()));
    return 0;
}

// LESSONS lessons in courses of 20 in five types; the first courses are the finished ones.
site::DemoData ListCatalogue(int lessons) {
    site::DemoData data;
    for (int type = 0; type < 5; ++type)
        data.course_types.push_back("类别" + std::to_string(type));
    for (int n = 0; n < lessons; ++n) {
        if (n % kLessonsPerCourse == 0) {
            site::Course course;
            course.id = 5000 + n / kLessonsPerCourse;
            course.name = "课程" + std::to_string(course.id);
            course.type = data.course_types[static_cast<std::size_t>(course.id) % 5];
            course.level = "中级";
            course.complete = "1";
            course.picture = std::to_string(course.id) + ".png";
            data.courses.push_back(course);
        }
        site::Course& course = data.courses.back();
        site::Lesson lesson;
        lesson.id = 100000 + n;
        lesson.name = "第" + std::to_string(n % kLessonsPerCourse + 1) + "课 " + course.name;
        lesson.chapter = "第一章";
        lesson.sort = n % kLessonsPerCourse + 1;
        lesson.file = "lesson-" + std::to_string(lesson.id) + ".tessal";
        course.lessons.push_back(lesson);
    }
    return data;
}

// Every lesson queued; the finished courses each hold one lesson file of their own.
void WriteLists(const ProgramFolder& folder, const site::DemoData& data) {
    std::ofstream list(folder.path() / kLoadListFile, std::ios::trunc);
    int count = 0;
    for (const site::Course& course : data.courses)
        count += static_cast<int>(course.lessons.size());
    list << "[" << kLoadingSection << "]\nCount=" << count << "\n";
    int key = 0;
    for (const site::Course& course : data.courses)
        for (const site::Lesson& lesson : course.lessons)
            list << ++key << "=" << lesson.id << "\n";
    const int finished = std::min<int>(kFinishedCourses, static_cast<int>(data.courses.size()));
    list << "[" << kFinishedSection << "]\nCount=" << finished << "\n";
    for (int n = 0; n < finished; ++n) {
        const site::Course& course = data.courses[static_cast<std::size_t>(n)];
        list << n + 1 << "=" << course.id << "\n";
        const auto course_folder =
            std::filesystem::path(folder.DownloadRoot()) / course.type / course.name;
        std::filesystem::create_directories(course_folder);
        std::ofstream(course_folder / "earlier.tessal") << std::string(4096, 'x');
    }
}

class PaintWatch : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

bool Click(QWidget* parent, int element) {
    auto* button = qobject_cast<QAbstractButton*>(gui::FindElement(parent, element));
    if (button == nullptr)
        return false;
    button->click();
    return true;
}

struct ListRun {
    double open_ms = -1;
    double close_ms = -1;
    double delete_ms = -1;
    int loading_items = 0;
    int finished_items = 0;
};

// One client start: open to the tree's first paint, the close button, a row's delete.
bool RunListOnce(const ProgramFolder& folder, const site::DemoData& data, ListRun& run) {
    WriteLists(folder, data);
    Client client(folder, {});
    if (!client.Start())
        return false;
    DownloadCenter& center = client.center();
    PaintWatch paint;
    const auto started = Clock::now();
    center.Open(DownloadKind::kWindow, 0);
    auto* view =
        center.window() != nullptr ? gui::FindElementAs<QTreeView>(center.window(), 7) : nullptr;
    if (view == nullptr || center.loading_tree() == nullptr)
        return false;
    view->viewport()->installEventFilter(&paint);
    center.loading_tree()->RefreshNow();
    QElapsedTimer limit;
    limit.start();
    while (!paint.painted && limit.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    if (!paint.painted)
        return false;
    run.open_ms = Ms(started, Clock::now());
    view->viewport()->removeEventFilter(&paint);
    run.loading_items = center.loading_tree()->ItemCount();
    run.finished_items = center.finished_tree()->ItemCount();

    auto at = Clock::now();
    if (!Click(center.window(), 4))
        return false;
    run.close_ms = Ms(at, Clock::now());

    center.Open(DownloadKind::kWindow, 0);
    QApplication::processEvents();
    gui::TemplateTree& tree = *center.loading_tree();
    const int first = tree.FirstChild(gui::kRootItem);
    tree.Select(first);
    tree.RefreshNow();
    QWidget* row = tree.RowWidget(first);
    if (row == nullptr)
        return false;
    at = Clock::now();
    if (!Click(row, 6))
        return false;
    run.delete_ms = Ms(at, Clock::now());
    const std::string saved =
        ReadProfileString(folder.path() / kLoadListFile, kLoadingSection, "Count", "", 29);
    client.End();
    return saved == std::to_string(run.loading_items - 1) && client.boxes() == 0;
}

struct Spread {
    double median = 0;
    double least = 0;
    double most = 0;
};

Spread SpreadOf(std::vector<double> values) {
    std::ranges::sort(values);
    return {values[values.size() / 2], values.front(), values.back()};
}

int RunList(int argc, char** argv) {
    const int lessons = argc > 4 ? std::atoi(argv[4]) : 1000;
    const int runs = argc > 5 ? std::atoi(argv[5]) : 7;
    if (lessons < 2 || runs < 1)
        return 2;
    ProgramFolder folder(argv[2], argv[3]);
    const site::DemoData data = ListCatalogue(lessons);
    if (!BuildCatalogue(folder.path(), data,
                        site::SiteUrls(SiteSettings::Load(folder.path() / "Site.ini"))))
        return 1;
    std::vector<double> open;
    std::vector<double> close;
    std::vector<double> remove;
    ListRun run;
    for (int n = 0; n < runs; ++n) {
        run = ListRun{};
        if (!RunListOnce(folder, data, run)) {
            std::fprintf(stderr, "bench_download_center: run %d failed\n", n + 1);
            return 1;
        }
        open.push_back(run.open_ms);
        close.push_back(run.close_ms);
        remove.push_back(run.delete_ms);
    }
    const Spread o = SpreadOf(open);
    const Spread c = SpreadOf(close);
    const Spread d = SpreadOf(remove);
    std::printf("%.1f %.1f %.1f %.1f %.1f %.1f %.1f %.1f %.1f %d %d\n", o.median, c.median,
                d.median, o.least, o.most, c.least, c.most, d.least, d.most, run.loading_items,
                run.finished_items);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (!(mode == "lesson" && argc == 7) && !(mode == "list" && argc >= 4 && argc <= 6)) {
        std::fprintf(stderr,
                     "usage: bench_download_center lesson DATA_FOLDER ENGINE SITE_INI URL "
                     "SOURCE_FILE\n"
                     "       bench_download_center list DATA_FOLDER ENGINE [LESSONS] [RUNS]\n");
        return 2;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    gui::SetUpToolkit();
    return mode == "lesson" ? RunLesson(argv) : RunList(argc, argv);
}
