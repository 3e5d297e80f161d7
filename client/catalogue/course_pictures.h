#pragma once

// The course-picture thread of one tree build: for each course of the picture list, one
// at a time and 500 ms apart, it asks the catalogue for the picture's URL and downloads
// it into the picture folder (whole files only). It never touches a widget: each
// finished picture goes to `on_picture`, which hands it to the GUI thread. A new build
// or the client's end stops it; a download in progress is abandoned.

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "client/catalogue/catalogue_queries.h"
#include "common/base/stop_signal.h"

namespace tessal::client {

struct CoursePicturesContext {
    std::filesystem::path program_folder;
    const CatalogueQueries* catalogue = nullptr;
    // Called on the thread for a downloaded picture with the tree item the list names.
    std::function<void(int item, const std::filesystem::path& picture)> on_picture;
    std::function<void(const std::string& line)> log;
    // The client's: once raised, no further course is begun.
    const StopSignal* client_stop = nullptr;
};

class CoursePictures {
public:
    explicit CoursePictures(CoursePicturesContext context);
    ~CoursePictures();  // stops and joins
    CoursePictures(const CoursePictures&) = delete;
    CoursePictures& operator=(const CoursePictures&) = delete;

    // Starts the thread on the list the build wrote.
    void Start();
    // Ends the thread soon (a download in progress is given up) and waits for it.
    void Stop();
    bool finished() const { return finished_.load(); }

private:
    void Run();
    void Fetch(const std::string& course, std::optional<int> item);
    bool Pause();  // false when told to stop meanwhile
    bool stopping() const;

    CoursePicturesContext context_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread thread_;
};

}  // namespace tessal::client
