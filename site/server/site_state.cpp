#include "site/server/site_state.h"

#include <chrono>

#include "common/files/md5.h"

namespace tessal::site {

SiteState::SiteState(const DemoData& data) : updates_(data.updates) {
    for (const PushMessage& message : data.pushes)
        pushes_[message.uid].push_back(message);
}

std::optional<PushMessage> SiteState::NextPush(const std::string& uid) {
    std::lock_guard lock(mutex_);
    auto queue = pushes_.find(uid);
    if (queue == pushes_.end() || queue->second.empty())
        return std::nullopt;
    PushMessage message = queue->second.front();
    queue->second.pop_front();
    return message;
}

void SiteState::QueuePush(PushMessage message) {
    std::lock_guard lock(mutex_);
    pushes_[message.uid].push_back(std::move(message));
}

std::string SiteState::StartSession(const std::string& uid, const std::string& ip) {
    std::lock_guard lock(mutex_);
    const auto now = std::chrono::system_clock::now().time_since_epoch().count();
    const std::string seed =
        uid + "/" + std::to_string(now) + "/" + std::to_string(++sign_counter_);
    Session session{uid, "sign" + TextMd5(seed).substr(0, 20), ip, 0, false};
    sessions_.push_back(session);
    return session.sign;
}

Session* SiteState::FindSession(const std::string& uid, const std::string& sign) {
    for (Session& session : sessions_) {
        if (session.uid == uid && session.sign == sign && !sign.empty())
            return &session;
    }
    return nullptr;
}

bool SiteState::Heartbeat(const std::string& uid, const std::string& sign) {
    std::lock_guard lock(mutex_);
    Session* session = FindSession(uid, sign);
    if (session == nullptr || session->logged_out)
        return false;
    ++session->heartbeats;
    return true;
}

bool SiteState::LogOut(const std::string& uid, const std::string& sign) {
    std::lock_guard lock(mutex_);
    Session* session = FindSession(uid, sign);
    if (session == nullptr || session->logged_out)
        return false;
    session->logged_out = true;
    return true;
}

std::vector<Session> SiteState::Sessions() const {
    std::lock_guard lock(mutex_);
    return sessions_;
}

void SiteState::AddQuestion(Question question) {
    std::lock_guard lock(mutex_);
    questions_.push_back(std::move(question));
}

std::vector<Question> SiteState::Questions() const {
    std::lock_guard lock(mutex_);
    return questions_;
}

UpdateLists SiteState::Updates() const {
    std::lock_guard lock(mutex_);
    return updates_;
}

void SiteState::SetUpdates(UpdateLists lists) {
    std::lock_guard lock(mutex_);
    updates_ = std::move(lists);
}

void SiteState::SetListVersion(const std::string& version) {
    std::lock_guard lock(mutex_);
    updates_.version = version;
}

}  // namespace tessal::site
