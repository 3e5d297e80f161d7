#pragma once

// Asks the app API host for its time off the GUI thread, so that a lesson window never
// waits for the network. Only the newest request counts: each request has a thread of its
// own, a newer request cuts short those still running (they end within a second), and a
// reply is handed back (on the GUI thread) only while its request is still the newest.
// One loader serves every lesson window of the run; the shutdown routine stops it.

#include <QObject>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace tessal::client {

class OnlineLessonLoader : public QObject {
    Q_OBJECT
public:
    // The reply body, as SendRequest gives it (empty on any failure, and for a reply
    // longer than any time could be).
    using ReplyHandler = std::function<void(const std::string& reply)>;

    OnlineLessonLoader() = default;
    ~OnlineLessonLoader() override;

    // GETs `url`; `on_reply` runs on the GUI thread unless a newer Fetch, or a Forget of
    // this request, came first. The request's ticket. GUI thread only, like the rest.
    std::uint64_t Fetch(std::string url, ReplyHandler on_reply);
    // The reply to request `ticket` is not wanted any more (its window is closing);
    // nothing when a newer request was made since.
    void Forget(std::uint64_t ticket);
    // Cuts short every request and waits for their threads. Fetch does nothing after.
    void Stop();

private:
    struct Request {
        std::shared_ptr<std::atomic<bool>> cut_short;
        std::shared_ptr<std::atomic<bool>> ended;
        std::thread thread;
    };
    void Deliver(std::uint64_t ticket, const std::string& reply);
    void JoinEnded();
    void CutShortAll();

    std::vector<Request> requests_;
    std::uint64_t newest_ = 0;
    ReplyHandler handler_;  // the newest request's
    bool stopped_ = false;
};

}  // namespace tessal::client
