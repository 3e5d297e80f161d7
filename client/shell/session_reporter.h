#pragma once

// After a login: the login report (public IP and digest to the client data host), which
// answers with the session sign, then a heartbeat every three minutes until the client
// ends. One worker thread; Stop ends it without waiting out a heartbeat interval.

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "client/shell/session.h"
#include "common/settings/site_settings.h"

namespace tessal::client {

class SessionReporter {
public:
    SessionReporter(SiteSettings site, Session& session);
    ~SessionReporter();  // stops
    SessionReporter(const SessionReporter&) = delete;
    SessionReporter& operator=(const SessionReporter&) = delete;

    // Starts reporting the session of `uid`; a running report ends first. False, and
    // nothing started, after Stop.
    bool Start(const std::string& uid);
    // Ends the report for good: no Start after it starts anything.
    void Stop();
    bool running() const;

private:
    void Run(std::string uid);
    bool WaitOrStop(std::chrono::milliseconds wait);
    void EndRunningReport();

    const SiteSettings site_;
    Session& session_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    // Set under the lock (the wait watches it); atomic so the report's requests may poll it.
    std::atomic<bool> stopping_ = false;
    bool closed_ = false;
    std::thread thread_;
};

}  // namespace tessal::client
