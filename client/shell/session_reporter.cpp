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
    return thread_.Start([this, uid] { Run(uid); });
}

void SessionReporter::Stop() {
    {
        std::unique_lock lock(report_mutex_);
        stopping_ = true;
        report_done_.wait_for(lock, kReportGrace, [this] { return !reporting_; });
    }
    thread_.Close();
}

bool SessionReporter::running() const {
    return thread_.running();
}

// The IP is sent even when the lookup found none. Without a sign nothing follows.
void SessionReporter::Run(std::string uid) {
    HttpTimeouts timeouts = kReportTimeouts;
    timeouts.abandon = &thread_.ending();
    std::string ip;
    std::string place;
    LookupPublicIp(site_.HostUrl(SiteHost::kIpLookup), ip, place, site_.code_page(), timeouts);
    const std::string sign = Report(uid, ip, timeouts);
    if (sign.empty())
        return;
    while (thread_.WaitFor(SystemWait(kHeartbeatInterval))) {
        const HttpPost heartbeat = HeartbeatPost(site_, uid, sign);
        SendRequest(heartbeat.url, heartbeat.body, "", HttpMethod::kPost, timeouts);
    }
}

// The sign is in the session before Stop may go on, so the logout that follows has it.
std::string SessionReporter::Report(const std::string& uid, const std::string& ip,
                                    const HttpTimeouts& timeouts) {
    {
        const std::lock_guard lock(report_mutex_);
        if (stopping_)
            return {};
        reporting_ = true;
    }
    const HttpPost report = LoginReportPost(site_, uid, ip);
    std::string reply = SendRequest(report.url, report.body, "", HttpMethod::kPost, timeouts);
    // A site script may end its reply with a line break, which is no part of the sign.
    while (!reply.empty() && (reply.back() == '\n' || reply.back() == '\r'))
        reply.pop_back();
    if (IsSessionSign(reply))
        session_.SetSign(reply);
    else
        reply.clear();
    {
        const std::lock_guard lock(report_mutex_);
        reporting_ = false;
    }
    report_done_.notify_all();
    return reply;
}

}  // namespace tessal::client
