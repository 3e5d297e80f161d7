#pragma once

// After a login: the login report (public IP and digest to the client data host), which
// answers with the session sign, then a heartbeat every three minutes until the client
// ends. One worker thread; Stop ends it without waiting out a heartbeat interval, but
// lets a report already on its way bring its sign for a while, since the site holds that
// session open until the logout that needs the sign.

#include <condition_variable>
#include <mutex>
#include <string>

#include "client/shell/session.h"
#include "common/base/stoppable_thread.h"
#include "common/net/http_client.h"
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
    // Ends the report for good: no Start after it starts anything. A report on its way is
    // waited for up to kReportGrace first.
    void Stop();
    bool running() const;

    static constexpr std::chrono::milliseconds kReportGrace{2000};

private:
    void Run(std::string uid);
    // Sends the login report and keeps its sign in the session; the sign, or empty when
    // the reply holds none or Stop has begun.
    std::string Report(const std::string& uid, const std::string& ip, const HttpTimeouts& timeouts);

    const SiteSettings site_;
    Session& session_;
    StoppableThread thread_;
    std::mutex report_mutex_;
    std::condition_variable report_done_;
    bool stopping_ = false;
    bool reporting_ = false;
};

}  // namespace tessal::client
