#include "client/shell/session_reporter.h"

#include "client/shell/login_protocol.h"
#include "common/base/system_waits.h"
#include "common/net/http_client.h"
#include "common/net/public_ip.h"

namespace tessal::client {
namespace {

constexpr std::chrono::milliseconds kHeartbeatInterval{180000};
// Short enough that the client's end never waits long on a report in flight.
constexpr HttpTimeouts kReportTimeouts{5000, 10000};

}  // namespace

SessionReporter::SessionReporter(SiteSettings site, Session& session)
    : site_(std::move(site)), session_(session) {}

SessionReporter::~SessionReporter() {
    Stop();
}

bool SessionReporter::Start(const std::string& uid) {
    EndRunningReport();
    std::lock_guard lock(mutex_);
    if (closed_)
        return false;
    stopping_ = false;
    thread_ = std::thread([this, uid] { Run(uid); });
    return true;
}

void SessionReporter::Stop() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    EndRunningReport();
}

// The thread is taken out under the lock, so a Start on the login thread and a Stop on
// the GUI thread never touch the same std::thread.
void SessionReporter::EndRunningReport() {
    std::thread ending;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        ending = std::move(thread_);
    }
    wake_.notify_all();
    if (ending.joinable() && ending.get_id() != std::this_thread::get_id())
        ending.join();
    else if (ending.joinable())
        ending.detach();
}

bool SessionReporter::running() const {
    std::lock_guard lock(mutex_);
    return thread_.joinable() && !stopping_;
}

// The IP is sent even when the lookup found none. Without a sign nothing follows.
void SessionReporter::Run(std::string uid) {
    HttpTimeouts timeouts = kReportTimeouts;
    timeouts.abandon = &stopping_;
    std::string ip;
    std::string place;
    LookupPublicIp(site_.HostUrl(SiteHost::kIpLookup), ip, place, site_.code_page(), timeouts);
    const HttpPost report = LoginReportPost(site_, uid, ip);
    const std::string reply = SendRequest(report.url, report.body, "", HttpMethod::kPost, timeouts);
    if (!IsSessionSign(reply))
        return;
    session_.SetSign(reply);
    while (WaitOrStop(SystemWait(kHeartbeatInterval))) {
        const HttpPost heartbeat = HeartbeatPost(site_, uid, reply);
        SendRequest(heartbeat.url, heartbeat.body, "", HttpMethod::kPost, timeouts);
    }
}

// True when the wait ran out, false when Stop came first.
bool SessionReporter::WaitOrStop(std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, wait, [this] { return stopping_.load(); });
}

}  // namespace tessal::client
