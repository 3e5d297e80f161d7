#pragma once

// What changes while the site runs: push messages still waiting, the sessions reported
// by logged-in clients with their heartbeats and logouts, the questions posted, and the
// update lists (whose version a test or the maintainer may raise).

#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "site/model/demo_data.h"

namespace tessal::site {

struct Session {
    std::string uid;
    std::string sign;
    std::string ip;
    int heartbeats = 0;
    bool logged_out = false;
};

struct Question {
    std::string account;
    std::string password;
    std::string title;
    std::string content;
    std::string course;
};

class SiteState {
public:
    explicit SiteState(const DemoData& data);

    std::optional<PushMessage> NextPush(const std::string& uid);
    void QueuePush(PushMessage message);

    // A new sign for a reported login of `uid`.
    std::string StartSession(const std::string& uid, const std::string& ip);
    // False when no session of `uid` holds `sign`.
    bool Heartbeat(const std::string& uid, const std::string& sign);
    bool LogOut(const std::string& uid, const std::string& sign);
    std::vector<Session> Sessions() const;

    void AddQuestion(Question question);
    std::vector<Question> Questions() const;

    UpdateLists Updates() const;
    void SetUpdates(UpdateLists lists);
    void SetListVersion(const std::string& version);

private:
    Session* FindSession(const std::string& uid, const std::string& sign);

    mutable std::mutex mutex_;
    std::map<std::string, std::deque<PushMessage>> pushes_;
    std::vector<Session> sessions_;
    std::vector<Question> questions_;
    UpdateLists updates_;
    unsigned sign_counter_ = 0;
};

}  // namespace tessal::site
