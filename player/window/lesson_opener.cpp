#include "player/window/lesson_opener.h"

#include <filesystem>

#include "common/base/system_waits.h"
#include "player/core/lesson_path.h"

namespace tessal::player {
namespace {

using namespace std::chrono_literals;

constexpr auto kClosePoll = 200ms;
// A resume waits for playback to settle before it seeks.
constexpr auto kResumeSettle = 3000ms;
constexpr auto kResumeAfterPlaying = 1000ms;
constexpr auto kPlayingPoll = 50ms;
// A file that neither plays nor fails within this long is not waited for any more.
constexpr auto kPlayingLimit = 60s;
// A resume lands only before the last ten seconds.
constexpr int kResumeTailMs = 10000;

constexpr int kStateClosed = 0;
constexpr int kStatePaused = 3;
constexpr int kStatePlaying = 5;

}  // namespace

LessonOpener::LessonOpener(QObject* gui, OpenerHooks hooks)
    : gui_(gui), hooks_(std::move(hooks)), thread_([this] { Run(); }) {}

LessonOpener::~LessonOpener() {
    Close();
}

void LessonOpener::Open(std::string path) {
    {
        std::lock_guard lock(mutex_);
        if (ending_)
            return;
        pending_ = std::move(path);
        ++newest_;
    }
    wake_.notify_all();
}

void LessonOpener::Close() {
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

std::uint64_t LessonOpener::newest() const {
    std::lock_guard lock(mutex_);
    return newest_;
}

void LessonOpener::Run() {
    for (;;) {
        std::string path;
        std::uint64_t start = 0;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return ending_ || newest_ != taken_; });
            if (ending_)
                return;
            taken_ = start = newest_;
            path = std::move(pending_);
        }
        Handle(path, start);
    }
}

void LessonOpener::Handle(const std::string& requested, std::uint64_t start) {
    if (requested.empty()) {
        hooks_.log("path is null");
        OnGui(hooks_.opened);
        return;
    }
    const std::string path = StripSurroundingQuotes(requested);
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::u8path(path), error)) {
        const std::string text = path + ":文件不存在";
        hooks_.log(text);
        OnGui([this, text] { hooks_.missing_file(text); });
        OnGui(hooks_.opened);
        return;
    }
    OnGui(hooks_.close_engine);
    if (!WaitForClosedEngine(start))
        return;
    const bool lesson = IsLessonFile(path);
    const int stored = lesson ? hooks_.stored_position(LessonTitle(path)).value_or(0) : 0;
    OnGui([this, path, lesson, stored, start] { hooks_.open_engine(path, lesson, stored, start); });
    OnGui(hooks_.opened);
    if (stored > 0)
        Resume(stored, start);
}

bool LessonOpener::WaitForClosedEngine(std::uint64_t start) {
    while (hooks_.engine_state() != kStateClosed) {
        if (!Wait(kClosePoll, start))
            return false;
    }
    return !Superseded(start);
}

// Tells the GUI thread how the lesson resumes: at its stored position once it plays,
// unless that is within its last ten seconds, or not at all (-1).
void LessonOpener::Resume(int stored_ms, std::uint64_t start) {
    const int position = WaitToResume(stored_ms, start) ? stored_ms : -1;
    if (!Superseded(start))
        OnGui([this, position, start] { hooks_.resume_at(position, start); });
}

bool LessonOpener::WaitToResume(int stored_ms, std::uint64_t start) {
    if (!Wait(SystemWait(kResumeSettle), start))
        return false;
    const auto give_up = std::chrono::steady_clock::now() + kPlayingLimit;
    for (int state = hooks_.engine_state(); state != kStatePlaying; state = hooks_.engine_state()) {
        if (state == kStateClosed || state == kStatePaused ||
            std::chrono::steady_clock::now() > give_up || !Wait(kPlayingPoll, start))
            return false;
    }
    return Wait(SystemWait(kResumeAfterPlaying), start) &&
           stored_ms < hooks_.engine_duration() - kResumeTailMs;
}

bool LessonOpener::Wait(std::chrono::milliseconds wait, std::uint64_t start) {
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, wait, [&] { return ending_ || newest_ != start; });
}

bool LessonOpener::Superseded(std::uint64_t start) const {
    std::lock_guard lock(mutex_);
    return ending_ || newest_ != start;
}

void LessonOpener::OnGui(std::function<void()> work) {
    if (!work)
        return;
    QMetaObject::invokeMethod(gui_, std::move(work), Qt::QueuedConnection);
}

}  // namespace tessal::player
