#pragma once

// After a login: the login report (public IP and digest to the client data host), which
// answers with the session sign, then a heartbeat every three minutes until the client
// ends. One worker thread; Stop ends it without waiting out a heartbeat interval.

#include <string>

#include "client/shell/session.h"
#include "common/base/stoppable_thread.h"
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

    const SiteSettings site_;
    Session& session_;
    StoppableThread thread_;
};

}  // namespace tessal::client
