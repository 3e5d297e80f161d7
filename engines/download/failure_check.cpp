#include "engines/download/failure_check.h"

#include <curl/curl.h>
#include <netdb.h>
#include <sys/socket.h>

#include <thread>

namespace tessal::xldl {
namespace {

int LookUp(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int result = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (found != nullptr)
        ::freeaddrinfo(found);
    return result;
}

std::size_t Discard(char*, std::size_t size, std::size_t count, void*) {
    return size * count;
}

// The HTTP status of the first byte of `url`; 0 when no answer came.
long StatusOf(const std::string& url, const EngineSettingsSnapshot& settings) {
    CURL* curl = curl_easy_init();
    if (curl == nullptr)
        return 0;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_RANGE, "0-0");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 20L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Discard);
    if (!settings.user_agent.empty())
        curl_easy_setopt(curl, CURLOPT_USERAGENT, settings.user_agent.c_str());
    curl_easy_setopt(curl, CURLOPT_PROXY, settings.proxy.url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "");
    if (!settings.proxy.url.empty()) {
        curl_easy_setopt(curl, CURLOPT_PROXYUSERNAME, settings.proxy.user.c_str());
        curl_easy_setopt(curl, CURLOPT_PROXYPASSWORD, settings.proxy.password.c_str());
    }
    long status = 0;
    if (curl_easy_perform(curl) == CURLE_OK)
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    return status;
}

}  // namespace

std::string HostOfUrl(std::string_view url) {
    const auto scheme_end = url.find("://");
    if (scheme_end == std::string_view::npos)
        return {};
    std::string_view rest = url.substr(scheme_end + 3);
    rest = rest.substr(0, rest.find_first_of("/?#"));
    if (const auto at = rest.rfind('@'); at != std::string_view::npos)
        rest.remove_prefix(at + 1);
    if (rest.starts_with('[')) {
        const auto close = rest.find(']');
        return close == std::string_view::npos ? std::string()
                                               : std::string(rest.substr(1, close - 1));
    }
    return std::string(rest.substr(0, rest.find(':')));
}

std::shared_ptr<FailureCheck> FailureCheck::LookUpHost(const std::string& host) {
    auto check = std::make_shared<FailureCheck>();
    std::thread([check, host] {
        check->verdict_.store(static_cast<int>(VerdictOfLookup(LookUp(host))));
    }).detach();
    return check;
}

std::shared_ptr<FailureCheck> FailureCheck::AskServer(const std::string& url,
                                                      const EngineSettingsSnapshot& settings) {
    auto check = std::make_shared<FailureCheck>();
    std::thread([check, url, settings] {
        check->verdict_.store(static_cast<int>(VerdictOfStatus(StatusOf(url, settings))));
    }).detach();
    return check;
}

std::optional<CheckVerdict> FailureCheck::verdict() const {
    const int verdict = verdict_.load();
    if (verdict == kOpen)
        return std::nullopt;
    return static_cast<CheckVerdict>(verdict);
}

}  // namespace tessal::xldl
