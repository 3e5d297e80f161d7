// How long a member waits from a double click on a course in TessalClient's main window
// to the first lesson of that course playing in the lesson window: once for the first
// page of the run (the web engine loads then), then for other courses in the same run.
//
// TessalClient is built in this process on a temporary installation (the programs,
// libraries, layouts and images of INSTALLED_FOLDER, a `cmake --install` folder) with a
// reference site of its own, logs in by a remembered automatic login and is driven
// through its real windows. A thread watches from outside the client: the site's
// requests (the lesson page tells the site "/p/playing?lessonid=" once its video plays,
// which ends a round), the web engine library being loaded and the processes the
// engine starts. A timer on the GUI thread measures the longest time the windows were
// frozen.
//
// Prints one line per round, "cold" then "warm", with the milliseconds from the double
// click to playing and to each stage seen on the way (-1: not seen), then the client
// process's peak resident memory and the engine processes' proportional share in MiB,
// and their number:
//   cold 1834.2 window=40.1 time=41.0 mapped=120.3 process=310.2 page=900.1 media=950.0
//        playing=1834.2 frozen=700.2 frozen_until=820.0
//   memory 310.5 402.7 4
//
//   bench_lesson_window INSTALLED_FOLDER [WARM_ROUNDS] [PAUSE_MS]

#include <dirent.h>
#include <dlfcn.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "client/shell/client_app.h"
#include "common/gui/elements.h"
#include "common/gui/toolkit_setup.h"
#include "common/gui/web/web_engine_environment.h"
#include "tests/support/installation/test_installation.h"

namespace {

using namespace tessal;
using namespace tessal::client;
using Clock = std::chrono::steady_clock;

constexpr auto kRoundLimit = std::chrono::seconds(60);
constexpr auto kLoginLimit = std::chrono::seconds(30);
constexpr auto kProcessScanInterval = std::chrono::milliseconds(2);

double Ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// A "Name: number kB" line of a /proc file, in KiB; 0 when absent.
long ProcKib(const std::string& file, const std::string& name) {
    std::ifstream stream(file);
    std::string line;
    while (std::getline(stream, line)) {
        if (line.rfind(name + ":", 0) == 0)
            return std::strtol(line.c_str() + name.size() + 1, nullptr, 10);
    }
    return 0;
}

// The parent of process `pid`; 0 when it is gone.
pid_t ParentOf(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(stat, text);
    // "pid (name) state ppid ...": the name may hold spaces and parentheses.
    const auto name_end = text.rfind(')');
    if (name_end == std::string::npos)
        return 0;
    char state = 0;
    int parent = 0;
    return std::sscanf(text.c_str() + name_end + 1, " %c %d", &state, &parent) == 2 ? parent : 0;
}

std::vector<pid_t> ProcessIds() {
    std::vector<pid_t> ids;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr)
        return ids;
    while (const dirent* entry = ::readdir(proc)) {
        const pid_t id = static_cast<pid_t>(std::atoi(entry->d_name));
        if (id > 0)
            ids.push_back(id);
    }
    ::closedir(proc);
    return ids;
}

// The value of `name` in a query string; empty when absent.
std::string Param(const std::string& query, const std::string& name) {
    std::size_t start = 0;
    while (start <= query.size()) {
        const std::size_t end = std::min(query.find('&', start), query.size());
        const std::string pair = query.substr(start, end - start);
        if (pair.rfind(name + "=", 0) == 0)
            return pair.substr(name.size() + 1);
        start = end + 1;
    }
    return {};
}

// What a round saw, in milliseconds from the double click; -1 when not seen.
struct Stages {
    double window = -1;   // the double click handled: the lesson window built and shown
    double time = -1;     // the app API host asked for its time
    double mapped = -1;   // the web engine library loaded (the first page of the run only)
    double process = -1;  // the first process the engine started in this round
    double page = -1;     // the lesson page asked for
    double media = -1;    // the lesson's media asked for
    double playing = -1;  // the page's video playing
    double frozen = 0;    // the longest time the GUI thread did not turn its event loop
    double frozen_until = 0;
};

// Watches the site's requests, the engine library and the client's new child processes
// on a thread of its own, so that it sees them while the GUI thread is busy.
class OutsideWatch {
public:
    OutsideWatch(site::RequestLog& requests, std::filesystem::path engine_library)
        : requests_(requests), engine_library_(std::move(engine_library)) {
        for (const pid_t id : ProcessIds())
            seen_.insert(id);
        thread_ = std::thread([this] { Run(); });
    }
    ~OutsideWatch() {
        stop_ = true;
        thread_.join();
    }

    // Starts a round that ends when `lesson_id` plays or another lesson does.
    void Begin(Clock::time_point click, int lesson_id) {
        const std::lock_guard lock(mutex_);
        click_ = click;
        lesson_id_ = std::to_string(lesson_id);
        stages_ = Stages{};
        wrong_lesson_.clear();
        active_ = true;
        ended_ = false;
    }
    bool ended() const { return ended_; }
    Stages Finish(std::string& wrong_lesson) {
        const std::lock_guard lock(mutex_);
        active_ = false;
        wrong_lesson = wrong_lesson_;
        return stages_;
    }
    // The engine's processes, live or gone.
    std::set<pid_t> descendants() {
        const std::lock_guard lock(mutex_);
        return descendants_;
    }

private:
    void Run() {
        Clock::time_point next_scan = Clock::now();
        while (!stop_) {
            ReadRequests();
            if (!mapped_)
                CheckEngine();
            if (Clock::now() >= next_scan) {
                ScanProcesses();
                next_scan = Clock::now() + kProcessScanInterval;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    }

    void Mark(double& stage, Clock::time_point at) {
        if (active_ && stage < 0 && at >= click_)
            stage = Ms(click_, at);
    }

    void ReadRequests() {
        const auto requests = requests_.Since(sequence_);
        if (requests.empty())
            return;
        const auto now = Clock::now();
        sequence_ = requests.back().sequence;
        const std::lock_guard lock(mutex_);
        for (const site::RecordedRequest& request : requests)
            Classify(request, now);
    }

    void Classify(const site::RecordedRequest& request, Clock::time_point now) {
        if (!active_)
            return;
        if (request.host == "AppApi" && request.path == "/app_client_api_v2/timestamp") {
            Mark(stages_.time, now);
        } else if (request.host != "Course") {
            return;
        } else if (request.path == "/p/miniplayer" &&
                   Param(request.query, "lessonid") == lesson_id_) {
            Mark(stages_.page, now);
        } else if (request.path == "/p/media/" + lesson_id_ + ".webm") {
            Mark(stages_.media, now);
        } else if (request.path == "/p/playing") {
            const std::string lesson = Param(request.query, "lessonid");
            if (lesson == lesson_id_)
                Mark(stages_.playing, now);
            else
                wrong_lesson_ = lesson;
            ended_ = true;
        }
    }

    // The loader's lock is held while the library loads, so this sees it once it is
    // loaded with everything it needs and its constructors have run.
    void CheckEngine() {
        void* handle = ::dlopen(engine_library_.c_str(), RTLD_LAZY | RTLD_NOLOAD);
        if (handle == nullptr)
            return;
        const auto now = Clock::now();
        ::dlclose(handle);
        mapped_ = true;
        const std::lock_guard lock(mutex_);
        Mark(stages_.mapped, now);
    }

    // Processes are only read when they are new; a new one whose parent is the client
    // or one of its descendants is the engine's.
    void ScanProcesses() {
        std::map<pid_t, pid_t> fresh;  // id -> parent
        for (const pid_t id : ProcessIds()) {
            if (seen_.insert(id).second)
                fresh.emplace(id, ParentOf(id));
        }
        if (fresh.empty())
            return;
        const auto now = Clock::now();
        const std::lock_guard lock(mutex_);
        for (bool added = true; added;) {
            added = false;
            for (auto it = fresh.begin(); it != fresh.end();) {
                if (it->second != self_ && !descendants_.contains(it->second)) {
                    ++it;
                    continue;
                }
                descendants_.insert(it->first);
                Mark(stages_.process, now);
                it = fresh.erase(it);
                added = true;
            }
        }
    }

    site::RequestLog& requests_;
    const std::filesystem::path engine_library_;
    const pid_t self_ = ::getpid();
    std::atomic<bool> stop_{false};
    std::atomic<bool> ended_{false};
    // The watching thread's own.
    std::uint64_t sequence_ = 0;
    bool mapped_ = false;
    std::set<pid_t> seen_;
    // Shared with the GUI thread.
    std::mutex mutex_;
    Clock::time_point click_;
    std::string lesson_id_;
    Stages stages_;
    std::string wrong_lesson_;
    bool active_ = false;
    std::set<pid_t> descendants_;
    std::thread thread_;
};

class RecordingBoxes : public gui::MessageBoxes {
public:
    void Show(QWidget*, const QString& text, const QString& caption) override {
        std::fprintf(stderr, "box: %s|%s\n", caption.toUtf8().constData(),
                     text.toUtf8().constData());
    }
};

// Pages, the folder dialog and started programs (TessalUpdata's logout at the end)
// never leave the bench.
ClientEnvironment BenchEnvironment(const std::filesystem::path& folder, gui::MessageBoxes& boxes) {
    ClientEnvironment environment;
    environment.program_folder = folder;
    environment.boxes = &boxes;
    environment.open_page = [](const QString&) {};
    environment.choose_folder = [](QWidget*, const QString&) { return std::optional<QString>(); };
    environment.start_program = [](const std::filesystem::path&, const std::string&) {
        return true;
    };
    environment.machine_identifier = [] { return std::string("BENCH-MACHINE-1"); };
    return environment;
}

// The installed programs, libraries, layouts and images beside what the site assembled.
bool FillInstallation(test::TestInstallation& installation, const std::filesystem::path& from) {
    std::error_code error;
    std::filesystem::copy(
        from, installation.folder(),
        std::filesystem::copy_options::recursive | std::filesystem::copy_options::skip_existing,
        error);
    if (error) {
        std::fprintf(stderr, "bench_lesson_window: %s\n", error.message().c_str());
        return false;
    }
    installation.Write("UserInfo.ini", "[Login]\nAcc=demo\nPwd=demo123\nRemPwd=1\nAutoLogin=1\n");
    return true;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    return QTest::qWaitFor(done, static_cast<int>(limit.count()));
}

// The course's row in the main window's tree, as a member finds it: its group open and
// the others closed, so that the row is in view. Null when the tree has no such course.
QWidget* CourseRow(gui::TemplateTree& tree, int course_id) {
    int found = gui::kNoItem;
    for (int group = tree.FirstChild(gui::kRootItem); group != gui::kNoItem;
         group = tree.NextSibling(group)) {
        bool holds = false;
        for (int item = tree.FirstChild(group); item != gui::kNoItem;
             item = tree.NextSibling(item)) {
            if (tree.Text(item, "id").toInt() == course_id) {
                found = item;
                holds = true;
            }
        }
        tree.Expand(group, holds);
    }
    if (found == gui::kNoItem)
        return nullptr;
    tree.RefreshNow();
    QWidget* row = tree.RowWidget(found);
    return row != nullptr ? gui::FindElement(row, 1) : nullptr;
}

// One double click on `course_id` until `lesson_id` plays; nothing when the lesson
// window did not open or the lesson did not play in time.
std::optional<Stages> PlayCourse(ClientApp& client, OutsideWatch& watch, int course_id,
                                 int lesson_id) {
    QWidget* target = CourseRow(client.main_window()->course_tree()->tree(), course_id);
    if (target == nullptr) {
        std::fprintf(stderr, "bench_lesson_window: course %d is not in view\n", course_id);
        return std::nullopt;
    }
    QApplication::processEvents();
    QEventLoop loop;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    Clock::time_point last_turn;
    double frozen = 0;
    Clock::time_point frozen_until;
    const Clock::time_point click = Clock::now();
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        if (Ms(last_turn, now) > frozen) {
            frozen = Ms(last_turn, now);
            frozen_until = now;
        }
        last_turn = now;
        if (watch.ended() || now - click > kRoundLimit)
            loop.quit();
    });
    ticker.start();
    watch.Begin(click, lesson_id);
    last_turn = Clock::now();
    QTest::mouseDClick(target, Qt::LeftButton);
    const double window_ms = Ms(click, Clock::now());
    loop.exec();
    ticker.stop();
    std::string wrong_lesson;
    Stages stages = watch.Finish(wrong_lesson);
    stages.window = window_ms;
    stages.frozen = frozen;
    stages.frozen_until = Ms(click, frozen_until);
    const LessonWindow* window = client.lesson_windows()->current();
    if (window == nullptr || window->course_id() != std::to_string(course_id)) {
        std::fprintf(stderr, "bench_lesson_window: no lesson window for course %d\n", course_id);
        return std::nullopt;
    }
    if (stages.playing < 0) {
        std::fprintf(stderr, "bench_lesson_window: course %d: lesson %d did not play%s%s\n",
                     course_id, lesson_id, wrong_lesson.empty() ? "" : ", lesson ",
                     wrong_lesson.c_str());
        return std::nullopt;
    }
    return stages;
}

void PrintRound(const char* kind, const Stages& s) {
    std::printf(
        "%s %.1f window=%.1f time=%.1f mapped=%.1f process=%.1f page=%.1f media=%.1f "
        "playing=%.1f frozen=%.1f frozen_until=%.1f\n",
        kind, s.playing, s.window, s.time, s.mapped, s.process, s.page, s.media, s.playing,
        s.frozen, s.frozen_until);
    std::fflush(stdout);
}

// The engine processes' proportional share of memory, counting shared pages once.
long EngineProcessesPssKib(const std::set<pid_t>& processes, int& alive) {
    long total = 0;
    alive = 0;
    for (const pid_t id : processes) {
        const long pss = ProcKib("/proc/" + std::to_string(id) + "/smaps_rollup", "Pss");
        total += pss;
        alive += pss > 0 ? 1 : 0;
    }
    return total;
}

// The first course of the catalogue first, then each other course in turn.
std::vector<const site::Course*> CourseOrder(const site::DemoData& data, int warm_rounds) {
    std::vector<const site::Course*> order;
    if (data.courses.size() < 2)
        return order;
    order.push_back(&data.courses.front());
    for (int k = 0; k < warm_rounds; ++k)
        order.push_back(&data.courses[1 + k % (data.courses.size() - 1)]);
    return order;
}

int RunRounds(ClientApp& client, test::TestInstallation& installation, int warm_rounds,
              std::chrono::milliseconds pause) {
    OutsideWatch watch(installation.site().requests(),
                       installation.folder() / gui::EweLibrary::kLibraryName);
    long engine_pss = 0;
    int engine_processes = 0;
    bool cold = true;
    for (const site::Course* course : CourseOrder(installation.site().data(), warm_rounds)) {
        QTest::qWait(static_cast<int>(pause.count()));  // the member finds the course
        if (course->lessons.empty())
            continue;
        const auto stages = PlayCourse(client, watch, course->id, course->lessons.front().id);
        if (!stages)
            return 1;
        PrintRound(cold ? "cold" : "warm", *stages);
        cold = false;
        int alive = 0;
        const long pss = EngineProcessesPssKib(watch.descendants(), alive);
        if (pss > engine_pss) {
            engine_pss = pss;
            engine_processes = alive;
        }
    }
    std::printf("memory %.1f %.1f %d\n", ProcKib("/proc/self/status", "VmHWM") / 1024.0,
                engine_pss / 1024.0, engine_processes);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: bench_lesson_window INSTALLED_FOLDER [WARM_ROUNDS] [PAUSE_MS]\n");
        return 2;
    }
    // The environment changes before any thread starts: the engine's, the display's,
    // and the installation's own desktop folders (which it sets before its site starts).
    gui::PrepareWebEngineEnvironment();
    ::setenv("QT_QPA_PLATFORM", std::getenv("DISPLAY") ? "xcb" : "offscreen", 0);
    test::TestInstallation installation;
    if (!installation.ok()) {
        std::fprintf(stderr, "bench_lesson_window: %s\n", installation.error().c_str());
        return 1;
    }
    if (!FillInstallation(installation, argv[1]))
        return 1;
    QApplication application(argc, argv);
    gui::SetUpToolkit();
    QApplication::setQuitOnLastWindowClosed(false);
    const int warm_rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 8;
    const std::chrono::milliseconds pause(argc > 3 ? std::max(0, std::atoi(argv[3])) : 1000);
    RecordingBoxes boxes;
    int status = 1;
    {
        ClientApp client(BenchEnvironment(installation.folder(), boxes));
        if (!client.Start())
            return 1;
        const MainWindow& main = *client.main_window();
        // Logged in by the remembered login; the member looks once the pictures are in.
        const auto shown = [&] {
            const CoursePictures* pictures = main.course_pictures();
            return main.window()->isVisible() && pictures != nullptr && pictures->finished();
        };
        if (!WaitFor(shown, kLoginLimit)) {
            std::fprintf(stderr, "bench_lesson_window: the main window did not show\n");
            return 1;
        }
        status = RunRounds(client, installation, warm_rounds, pause);
        client.Shutdown();
    }
    installation.site().Stop();
    return status;
}
