#pragma once

// The session record: who is logged in, as the login reply told, and the session sign
// the login report received. The login thread fills it, the report thread adds the
// sign; every reader takes a copy, so no one sees a half-written field.

#include <mutex>
#include <string>

namespace tessal::client {

struct SessionRecord {
    std::string account;
    std::string password;
    std::string loginname;
    std::string truename;
    std::string grade;
    std::string email;
    std::string uid;
    std::string hd;
    std::string dqdate;
    std::string sign;
};

class Session {
public:
    SessionRecord Snapshot() const;
    void Fill(const SessionRecord& record);
    void SetSign(const std::string& sign);
    bool LoggedIn() const;

private:
    mutable std::mutex mutex_;
    SessionRecord record_;
};

}  // namespace tessal::client
