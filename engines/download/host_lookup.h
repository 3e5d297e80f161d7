#pragma once

// Whether a lesson host's name exists, asked on a thread of its own: during an outage a
// lookup can take the resolver's whole time-out, and the engine thread must not wait.

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engines/download/retry_policy.h"

namespace tessal::xldl {

// The host of "scheme://[user@]host[:port]/..." ("[::1]" gives "::1"); empty if none.
std::string HostOfUrl(std::string_view url);

class HostLookup {
public:
    // Starts the lookup. The thread is detached and touches only the returned object;
    // the library is never unloaded, so its code outlives any engine.
    static std::shared_ptr<HostLookup> Start(const std::string& host);

    // Nothing while the lookup runs.
    std::optional<LookupVerdict> verdict() const;

private:
    static constexpr int kRunning = 1;  // no getaddrinfo result is positive
    std::atomic<int> result_{kRunning};
};

}  // namespace tessal::xldl
