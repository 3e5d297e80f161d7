#pragma once

// Every start of a lesson goes through the opener: it checks the file, has the engine
// close what plays and waits for it, opens the file and, for a lesson file, resumes it
// where it was left. It works on a thread of its own that never waits for the GUI
// thread: engine commands and window changes are queued to the GUI thread, the opener
// only reads the engine's state and the play progress. A newer start supersedes the one
// in progress, whose waits end at once, so only the newest file opens.

#include <QObject>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace tessal::player {

struct OpenerHooks {
    // Thread-safe readers: the engine's state and duration, the stored position of a
    // lesson (none when there is no row or the store is closed).
    std::function<int()> engine_state;
    std::function<int()> engine_duration;
    std::function<std::optional<int>(const std::string& key)> stored_position;
    std::function<void(const std::string& line)> log;
    // Run on the GUI thread, in this order for one start.
    std::function<void(const std::string& text)> missing_file;  // "%s:文件不存在"
    std::function<void()> close_engine;
    // Opens `path`; `lesson` for lesson files, `stored_ms` where the lesson was left (0:
    // nowhere). `start` numbers the start.
    std::function<void(const std::string& path, bool lesson, int stored_ms, std::uint64_t start)>
        open_engine;
    std::function<void()> opened;  // the video shown again, the animation gone
    // The resume of start `start`: its position, or -1 when it will not come (the
    // lesson's last ten seconds, or it never played).
    std::function<void(int position_ms, std::uint64_t start)> resume_at;
};

class LessonOpener {
public:
    // `gui` is the GUI thread's object the hooks run on; it must outlive the opener
    // (Close joins the thread).
    LessonOpener(QObject* gui, OpenerHooks hooks);
    ~LessonOpener();  // Close
    LessonOpener(const LessonOpener&) = delete;
    LessonOpener& operator=(const LessonOpener&) = delete;

    // Starts opening `path` (the opener keeps its own copy); returns at once.
    void Open(std::string path);
    // Ends the opener for good; a start in progress is abandoned.
    void Close();
    // The number of the newest start (0 before the first).
    std::uint64_t newest() const;

private:
    void Run();
    void Handle(const std::string& path, std::uint64_t start);
    bool WaitForClosedEngine(std::uint64_t start);
    void Resume(int stored_ms, std::uint64_t start);
    bool WaitToResume(int stored_ms, std::uint64_t start);
    // False when a newer start or the end came before `wait` ran out.
    bool Wait(std::chrono::milliseconds wait, std::uint64_t start);
    bool Superseded(std::uint64_t start) const;
    void OnGui(std::function<void()> work);

    QObject* gui_;
    OpenerHooks hooks_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::string pending_;
    std::uint64_t newest_ = 0;
    std::uint64_t taken_ = 0;
    bool ending_ = false;
    std::thread thread_;
};

}  // namespace tessal::player
