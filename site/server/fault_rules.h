#pragma once

// Misbehaviour on demand: a test names a host and a path and says how the next replies
// there go wrong (late, cut off, another status, a malformed body, a slow transfer).

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tessal::site {

struct FaultRule {
    std::string host;                   // Site.ini key of the host; empty: any host
    std::string path;                   // exact decoded path; empty: any path of the host
    int delay_ms = 0;                   // wait before answering
    int status = 0;                     // answer with this status instead; 0 keeps the endpoint's
    std::int64_t cut_after_bytes = -1;  // close the connection after this many body bytes
    std::optional<std::string> body;    // answer with this body instead (a malformed reply)
    std::int64_t rate_bytes_per_second = 0;  // throttle the body to this rate
    bool ignore_range = false;               // send the whole file whatever range is asked
    int times = -1;                          // how many replies it spoils; -1: all
};

// The rule as the control port takes it: a JSON object with the member names above
// ("cut_after_bytes", "rate_bytes_per_second", "ignore_range", ...). False with `error`
// when malformed.
bool FaultRuleFromJson(const std::string& json, FaultRule& rule, std::string& error);

class FaultRules {
public:
    void Add(FaultRule rule);
    void Clear();
    // The newest rule for this request, used up by one reply when counted.
    std::optional<FaultRule> Take(const std::string& host, const std::string& path);

private:
    std::mutex mutex_;
    std::vector<FaultRule> rules_;
};

}  // namespace tessal::site
