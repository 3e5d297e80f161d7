#include "engines/download/retry_policy.h"

#include <netdb.h>

#include <algorithm>
#include <cstdlib>

#include "common/base/system_waits.h"

namespace tessal::xldl {

FailureKind ClassifyFailure(int aria2_error_code) {
    switch (aria2_error_code) {
        case 1:   // unknown: refused, reset or cut connections end here
        case 2:   // time-out
        case 5:   // too slow: a stalled connection
        case 6:   // network problem
        case 29:  // the server is temporarily unavailable (502, 503, 504)
            return FailureKind::kTransient;
        case 19:
            return FailureKind::kNameLookup;
        case 22:
            return FailureKind::kHttpStatus;
        default:  // 3 not found, 9 disk full, 16-18 files and folders, 24 401, ...
            return FailureKind::kPermanent;
    }
}

CheckVerdict VerdictOfLookup(int getaddrinfo_result) {
    switch (getaddrinfo_result) {
        case EAI_NONAME:
#ifdef EAI_NODATA
        case EAI_NODATA:
#endif
#ifdef EAI_ADDRFAMILY
        case EAI_ADDRFAMILY:
#endif
            return CheckVerdict::kIncurable;
        default:  // found, or EAI_AGAIN, EAI_FAIL, EAI_SYSTEM: the resolver is unreachable
            return CheckVerdict::kCurable;
    }
}

CheckVerdict VerdictOfStatus(long http_status) {
    if (http_status >= 200 && http_status < 300)
        return CheckVerdict::kStartOver;
    const bool refused = http_status >= 400 && http_status < 500;
    // A time-out or "too many requests" passes; other 4xx are the server's last word.
    if (refused && http_status != 408 && http_status != 429)
        return CheckVerdict::kIncurable;
    return CheckVerdict::kCurable;  // 5xx, a redirect loop, or no answer at all
}

RetryTimes RetryTimes::FromEnvironment() {
    const char* text = std::getenv(kWaitDivisorVariable);
    const int divisor = text != nullptr ? WaitDivisorOf(text) : 1;
    RetryTimes times;
    times.outage_limit /= divisor;
    times.first_wait /= divisor;
    times.longest_wait /= divisor;
    return times;
}

void RetryBudget::Start(Clock::time_point now) {
    started_ = true;
    last_progress_ = now;
}

void RetryBudget::OnBytes(std::int64_t completed_bytes, Clock::time_point now) {
    if (completed_bytes <= most_bytes_)
        return;
    most_bytes_ = completed_bytes;
    last_progress_ = now;
    tries_since_progress_ = 0;
}

std::optional<Clock::time_point> RetryBudget::NextTry(const RetryTimes& times,
                                                      Clock::time_point now) {
    if (now - last_progress_ >= times.outage_limit)
        return std::nullopt;
    const int doublings = std::min(tries_since_progress_, 16);
    ++tries_since_progress_;
    const auto wait = std::min(times.first_wait * (1 << doublings), times.longest_wait);
    return now + wait;
}

}  // namespace tessal::xldl
