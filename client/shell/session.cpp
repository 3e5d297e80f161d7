#include "client/shell/session.h"

namespace tessal::client {

SessionRecord Session::Snapshot() const {
    std::lock_guard lock(mutex_);
    return record_;
}

void Session::Fill(const SessionRecord& record) {
    std::lock_guard lock(mutex_);
    record_ = record;
}

void Session::SetSign(const std::string& sign) {
    std::lock_guard lock(mutex_);
    record_.sign = sign;
}

bool Session::LoggedIn() const {
    std::lock_guard lock(mutex_);
    return !record_.uid.empty();
}

}  // namespace tessal::client
