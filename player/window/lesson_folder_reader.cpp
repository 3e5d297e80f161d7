#include "player/window/lesson_folder_reader.h"

#include <QCoreApplication>
#include <chrono>
#include <utility>

namespace tessal::player {

LessonFolderReader::LessonFolderReader(Read read) : read_(std::move(read)) {}

// The walk in progress cannot be cut short; it ends, and what it found is dropped with
// the results still queued for the GUI thread (QObject's destructor removes them).
LessonFolderReader::~LessonFolderReader() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void LessonFolderReader::Queue(std::filesystem::path folder, Done done) {
    {
        const std::lock_guard lock(mutex_);
        if (stopping_)
            return;
        requests_.push_back({std::move(folder), std::move(done)});
    }
    ++unfinished_;
    if (!thread_.joinable())
        thread_ = std::thread([this] { Run(); });
    wake_.notify_one();
}

void LessonFolderReader::Finish() {
    while (unfinished_ > 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Only `read_` runs here; the result goes to the GUI thread as a queued call on this
// object, which lives until this thread was joined.
void LessonFolderReader::Run() {
    for (;;) {
        Request request;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !requests_.empty(); });
            if (stopping_)
                return;
            request = std::move(requests_.front());
            requests_.pop_front();
        }
        std::optional<PlaylistCourse> course = read_(request.folder);
        QMetaObject::invokeMethod(
            this,
            [this, done = std::move(request.done), course = std::move(course)] {
                --unfinished_;
                done(course);
            },
            Qt::QueuedConnection);
    }
}

}  // namespace tessal::player
