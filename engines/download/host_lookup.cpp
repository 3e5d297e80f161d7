#include "engines/download/host_lookup.h"

#include <netdb.h>
#include <sys/socket.h>

#include <thread>

namespace tessal::xldl {

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

std::shared_ptr<HostLookup> HostLookup::Start(const std::string& host) {
    auto lookup = std::make_shared<HostLookup>();
    std::thread([lookup, host] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        const int result = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
        if (found != nullptr)
            ::freeaddrinfo(found);
        lookup->result_.store(result);
    }).detach();
    return lookup;
}

std::optional<LookupVerdict> HostLookup::verdict() const {
    const int result = result_.load();
    if (result == kRunning)
        return std::nullopt;
    return VerdictOfLookup(result);
}

}  // namespace tessal::xldl
