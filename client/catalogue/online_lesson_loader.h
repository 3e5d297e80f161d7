#pragma once

// Asks the app API host for its time on a thread of its own, so that a lesson window
// never waits for the network. Only the newest request counts: a newer one cuts short
// the one in progress and replaces one not yet started, and a reply is handed back (on
// the GUI thread) only while its request is still the newest. One loader serves every
// lesson window of the run; the shutdown routine stops it.

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace tessal::client {

class OnlineLessonLoader : public QObject {
    Q_OBJECT
public:
    // The reply body, as SendRequest gives it (empty on any failure).
    using ReplyHandler = std::function<void(const std::string& reply)>;

    OnlineLessonLoader();
    ~OnlineLessonLoader() override;

    // GETs `url`; `on_reply` runs on the GUI thread unless a newer Fetch, or a Forget of
    // this request, came first. The request's ticket.
    std::uint64_t Fetch(std::string url, ReplyHandler on_reply);
    // The reply to request `ticket` is not wanted any more (its window is closing);
    // nothing when a newer request was made since.
    void Forget(std::uint64_t ticket);
    // Ends the thread, cutting short a request in progress. Fetch does nothing after.
    void Stop();

private:
    struct Request {
        std::uint64_t ticket;
        std::string url;
    };
    void Run();
    void Deliver(std::uint64_t ticket, const std::string& reply);

    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<Request> pending_;
    bool stopping_ = false;
    std::atomic<bool> cut_short_{false};  // the request in progress is no longer wanted
    std::uint64_t newest_ = 0;            // GUI thread
    ReplyHandler handler_;                // GUI thread: the newest request's
    std::thread thread_;
};

}  // namespace tessal::client
