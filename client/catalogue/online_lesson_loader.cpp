#include "client/catalogue/online_lesson_loader.h"

#include <algorithm>

#include "common/net/http_client.h"

namespace tessal::client {
namespace {

// A time is a few dozen bytes; anything much longer is no time.
constexpr std::size_t kLongestReply = 64 * 1024;

}  // namespace

OnlineLessonLoader::~OnlineLessonLoader() {
    Stop();
}

std::uint64_t OnlineLessonLoader::Fetch(std::string url, ReplyHandler on_reply) {
    ++newest_;
    if (stopped_)
        return newest_;
    handler_ = std::move(on_reply);
    JoinEnded();
    CutShortAll();
    Request request{
        std::make_shared<std::atomic<bool>>(false), std::make_shared<std::atomic<bool>>(false), {}};
    // `this` outlives the thread: Stop joins it.
    request.thread = std::thread([this, ticket = newest_, url = std::move(url),
                                  cut_short = request.cut_short, ended = request.ended] {
        HttpTimeouts timeouts;
        timeouts.abandon = cut_short.get();
        timeouts.max_reply_bytes = kLongestReply;
        const std::string reply = SendRequest(url, "", "", HttpMethod::kGet, timeouts);
        QMetaObject::invokeMethod(
            this, [this, ticket, reply] { Deliver(ticket, reply); }, Qt::QueuedConnection);
        *ended = true;
    });
    requests_.push_back(std::move(request));
    return newest_;
}

void OnlineLessonLoader::Forget(std::uint64_t ticket) {
    if (ticket != newest_)
        return;
    ++newest_;
    handler_ = nullptr;
    CutShortAll();
}

void OnlineLessonLoader::Stop() {
    stopped_ = true;
    handler_ = nullptr;
    CutShortAll();
    for (Request& request : requests_)
        request.thread.join();
    requests_.clear();
}

void OnlineLessonLoader::Deliver(std::uint64_t ticket, const std::string& reply) {
    JoinEnded();
    if (ticket != newest_ || !handler_)
        return;
    const ReplyHandler handler = std::move(handler_);
    handler_ = nullptr;
    handler(reply);
}

void OnlineLessonLoader::JoinEnded() {
    const auto ended = std::stable_partition(requests_.begin(), requests_.end(),
                                             [](const Request& r) { return !*r.ended; });
    for (auto it = ended; it != requests_.end(); ++it)
        it->thread.join();
    requests_.erase(ended, requests_.end());
}

void OnlineLessonLoader::CutShortAll() {
    for (const Request& request : requests_)
        *request.cut_short = true;
}

}  // namespace tessal::client
