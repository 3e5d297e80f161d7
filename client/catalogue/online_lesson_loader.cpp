#include "client/catalogue/online_lesson_loader.h"

#include "common/net/http_client.h"

namespace tessal::client {

OnlineLessonLoader::OnlineLessonLoader() : thread_([this] { Run(); }) {}

OnlineLessonLoader::~OnlineLessonLoader() {
    Stop();
}

std::uint64_t OnlineLessonLoader::Fetch(std::string url, ReplyHandler on_reply) {
    handler_ = std::move(on_reply);
    const std::lock_guard lock(mutex_);
    ++newest_;
    if (!stopping_) {
        pending_ = Request{newest_, std::move(url)};
        cut_short_ = true;
        wake_.notify_one();
    }
    return newest_;
}

void OnlineLessonLoader::Forget(std::uint64_t ticket) {
    if (ticket != newest_)
        return;
    ++newest_;
    handler_ = nullptr;
    const std::lock_guard lock(mutex_);
    pending_.reset();
    cut_short_ = true;
}

void OnlineLessonLoader::Stop() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        pending_.reset();
        cut_short_ = true;
        wake_.notify_one();
    }
    if (thread_.joinable())
        thread_.join();
    handler_ = nullptr;
}

void OnlineLessonLoader::Run() {
    for (;;) {
        Request request;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || pending_.has_value(); });
            if (stopping_)
                return;
            request = std::move(*pending_);
            pending_.reset();
            cut_short_ = false;
        }
        HttpTimeouts timeouts;
        timeouts.abandon = &cut_short_;
        const std::string reply = SendRequest(request.url, "", "", HttpMethod::kGet, timeouts);
        // Queued to this object: nothing arrives once it is gone.
        QMetaObject::invokeMethod(
            this, [this, ticket = request.ticket, reply] { Deliver(ticket, reply); },
            Qt::QueuedConnection);
    }
}

void OnlineLessonLoader::Deliver(std::uint64_t ticket, const std::string& reply) {
    if (ticket != newest_ || !handler_)
        return;
    const ReplyHandler handler = std::move(handler_);
    handler_ = nullptr;
    handler(reply);
}

}  // namespace tessal::client
