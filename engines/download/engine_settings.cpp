#include "engines/download/engine_settings.h"

#include <utility>

namespace tessal::xldl {

EngineSettings& EngineSettings::Instance() {
    static EngineSettings settings;
    return settings;
}

void EngineSettings::SetUserAgent(std::string user_agent) {
    const std::lock_guard lock(mutex_);
    values_.user_agent = std::move(user_agent);
}

void EngineSettings::SetProxy(ProxySetting proxy) {
    const std::lock_guard lock(mutex_);
    values_.proxy = std::move(proxy);
}

void EngineSettings::SetDownloadLimit(std::int64_t bytes_per_second) {
    const std::lock_guard lock(mutex_);
    values_.download_limit_bytes_per_second = bytes_per_second;
}

EngineSettingsSnapshot EngineSettings::Snapshot() const {
    const std::lock_guard lock(mutex_);
    return values_;
}

}  // namespace tessal::xldl
