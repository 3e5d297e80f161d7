#pragma once

// The reference site: every host of Site.ini on its own loopback port, answering from
// the demo data set, recording every request and misbehaving on demand. Tests build it
// in-process; the tessal-site program runs it for the demo and for other processes.

#include <httplib.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "site/model/demo_data.h"
#include "site/model/site_addresses.h"
#include "site/server/fault_rules.h"
#include "site/server/host_outages.h"
#include "site/server/request_log.h"
#include "site/server/site_state.h"
#include "site/server/stop_signal.h"

namespace tessal::site {

struct SiteContext;
class Routes;

struct SiteOptions {
    int base_port = kDefaultBasePort;  // 0: the first free range from a random start
    std::filesystem::path data_folder;
    std::filesystem::path media_folder;
    std::string code_page = "GBK";
    std::string hotline = kDefaultHotline;
    std::filesystem::path request_log_file;  // JSON lines; empty: none
    // Where every port listens. Loopback for tests and the demo; a benchmark inside a
    // network namespace of its own names the namespace's address.
    std::string listen_address = kLoopbackAddress;
    // Extra files on the download hosts: decoded path ("/lessons/...") -> file.
    std::map<std::string, std::filesystem::path> extra_files;
    // Served as the codec host's engine; empty: made-up bytes like the decoder files.
    std::filesystem::path engine_file;
};

// Where the build left the demo data set and the generated media.
SiteOptions DefaultSiteOptions();

class ReferenceSite {
public:
    explicit ReferenceSite(SiteOptions options);
    ~ReferenceSite();
    ReferenceSite(const ReferenceSite&) = delete;
    ReferenceSite& operator=(const ReferenceSite&) = delete;

    // Loads the data set and listens on every port. False with `error` when the data
    // cannot be read or a port is taken.
    bool Start(std::string& error);
    // Stops listening and ends every reply in progress; waits for the listeners.
    void Stop();
    // Takes one host (a Site.ini key such as "Download1") off the line for `duration`:
    // replies in progress are cut and its port refuses connections; then it listens on
    // the same port again. Returns once the port is closed; false for an unknown host, the
    // control port, a host already down, a negative duration, or a site that is not
    // running.
    bool StartOutage(const std::string& host, std::chrono::milliseconds duration);

    const SiteAddresses& addresses() const { return addresses_; }
    const SiteUrls& urls() const { return *urls_; }
    std::string SiteIniText() const;
    const DemoData& data() const { return data_; }
    RequestLog& requests() { return requests_; }
    FaultRules& faults() { return faults_; }
    SiteState& state() { return *state_; }

private:
    bool BindAll(int base_port);
    bool BindFreeRange();
    bool AllListening();
    void RegisterEndpoints();
    void ConfigureServer(int slot, httplib::Server& server);
    bool Relisten(int slot);
    void EndOutages();
    void Serve(int slot, const httplib::Request& request, httplib::Response& response);

    SiteOptions options_;
    SiteAddresses addresses_{kDefaultBasePort};
    DemoData data_;
    std::unique_ptr<SiteUrls> urls_;
    std::unique_ptr<SiteState> state_;
    std::unique_ptr<SiteContext> context_;
    std::unique_ptr<Routes> routes_;
    RequestLog requests_;
    FaultRules faults_;
    StopSignal stop_;
    HostOutages outages_;
    std::mutex servers_mutex_;  // servers_ and threads_ change during an outage
    std::vector<std::unique_ptr<httplib::Server>> servers_;  // by slot
    std::vector<std::thread> threads_;                       // by slot; none while down
    std::vector<std::thread> outage_threads_;                // by slot: the host's last outage
    std::vector<bool> down_;
};

}  // namespace tessal::site
