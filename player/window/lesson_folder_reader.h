#pragma once

// Reads the folders the member adds to the playlist on a thread of its own, one at a time
// and in the order asked, so that the walk of a large folder never stops the window. Each
// result comes back to the GUI thread, in order. Destroying the reader lets the walk in
// progress finish, joins its thread and drops the results not yet handed back.

#include <QObject>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "player/core/player_list.h"

namespace tessal::player {

class LessonFolderReader : public QObject {
public:
    using Done = std::function<void(const std::optional<PlaylistCourse>& course)>;
    using Read = std::function<std::optional<PlaylistCourse>(const std::filesystem::path&)>;

    // From the GUI thread; `read` runs on the reader's thread (ReadLessonFolder unless a
    // test passes its own).
    explicit LessonFolderReader(Read read = ReadLessonFolder);
    ~LessonFolderReader() override;

    // `done` runs on the GUI thread with the folder's course, or nullopt without lessons.
    void Queue(std::filesystem::path folder, Done done);
    // Waits until every folder queued so far was read and its `done` ran.
    void Finish();

private:
    struct Request {
        std::filesystem::path folder;
        Done done;
    };
    void Run();

    const Read read_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Request> requests_;
    int unfinished_ = 0;  // queued and not yet handed back (GUI thread only)
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace tessal::player
