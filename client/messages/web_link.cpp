#include "client/messages/web_link.h"

#include <algorithm>
#include <cctype>

namespace tessal::client {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char lower, char c) {
               return std::tolower(static_cast<unsigned char>(c)) == lower;
           });
}

// What follows the scheme up to the path, query or fragment, without the user part and
// the port.
std::string_view HostOf(std::string_view rest) {
    std::string_view authority = rest.substr(0, rest.find_first_of("/?#\\"));
    const auto at = authority.rfind('@');
    if (at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    return authority.substr(0, authority.find(':'));
}

bool IsCleanHost(std::string_view host) {
    return !host.empty() && std::none_of(host.begin(), host.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= 0x20 || byte == 0x7F;
    });
}

}  // namespace

bool IsWebLink(std::string_view url) {
    for (std::string_view scheme : {std::string_view("http://"), std::string_view("https://")}) {
        if (StartsWithNoCase(url, scheme))
            return IsCleanHost(HostOf(url.substr(scheme.size())));
    }
    return false;
}

}  // namespace tessal::client
