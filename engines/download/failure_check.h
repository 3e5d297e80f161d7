#pragma once

// Questions about a failure that only the network can answer, each asked on a thread of
// its own so that the engine thread never waits: does the lesson host's name exist (a
// lookup can take the resolver's whole time-out during an outage), and what does the
// server answer for the lesson now (aria2 reports a 403 and a 500 alike).

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engines/download/engine_settings.h"
#include "engines/download/retry_policy.h"

namespace tessal::xldl {

// The host of "scheme://[user@]host[:port]/..." ("[::1]" gives "::1"); empty if none.
std::string HostOfUrl(std::string_view url);

class FailureCheck {
public:
    // Whether `host` resolves (VerdictOfLookup).
    static std::shared_ptr<FailureCheck> LookUpHost(const std::string& host);
    // The server's status for the first byte of `url`, through the engine's proxy and
    // user agent (VerdictOfStatus).
    static std::shared_ptr<FailureCheck> AskServer(const std::string& url,
                                                   const EngineSettingsSnapshot& settings);

    // Nothing while the question is open. The threads are detached and touch only this
    // object; the library is never unloaded, so their code outlives any engine.
    std::optional<CheckVerdict> verdict() const;

private:
    static constexpr int kOpen = -1;
    std::atomic<int> verdict_{kOpen};
};

}  // namespace tessal::xldl
