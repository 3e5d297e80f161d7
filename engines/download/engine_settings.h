#pragma once

// Settings that outlive engine sessions: the user agent, the proxy and the download
// speed limit. Client threads write them; the engine thread reads them when it adds a
// task or starts a session.

#include <cstdint>
#include <mutex>
#include <string>

namespace tessal::xldl {

struct ProxySetting {
    std::string url;  // "http://host:port"; empty: none
    std::string user;
    std::string password;
};

struct EngineSettingsSnapshot {
    std::string user_agent;
    ProxySetting proxy;
    std::int64_t download_limit_bytes_per_second = 0;  // 0: unlimited
};

class EngineSettings {
public:
    static EngineSettings& Instance();

    void SetUserAgent(std::string user_agent);
    void SetProxy(ProxySetting proxy);
    void SetDownloadLimit(std::int64_t bytes_per_second);
    EngineSettingsSnapshot Snapshot() const;

private:
    mutable std::mutex mutex_;
    EngineSettingsSnapshot values_;
};

}  // namespace tessal::xldl
