#include "client/download/lesson_address.h"

#include "common/base/text_helpers.h"
#include "common/net/url.h"

namespace tessal::client {
namespace {

bool IsKept(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '/' || c == ':' || c == '_';
}

}  // namespace

std::string EncodeLessonAddress(std::string_view url) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(url.size());
    for (const char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsKept(byte)) {
            encoded.push_back(c);
        } else {
            encoded.push_back('%');
            encoded.push_back(kHex[byte >> 4]);
            encoded.push_back(kHex[byte & 0x0F]);
        }
    }
    return encoded;
}

std::string AddressForChannel(std::string url, int channel,
                              const std::array<std::string, 3>& hosts) {
    if (channel < 1 || channel > 3)
        return url;
    const std::string& wanted = hosts[static_cast<std::size_t>(channel - 1)];
    if (wanted.empty() || url.find(wanted) != std::string::npos)
        return url;
    // The other two in their order: the first one the address names is replaced.
    for (std::size_t k = 0; k < hosts.size(); ++k) {
        const std::string& other = hosts[k];
        if (static_cast<int>(k) == channel - 1 || other.empty() ||
            url.find(other) == std::string::npos)
            continue;
        return ReplaceAll(url, other, wanted);
    }
    return url;
}

std::string DecodedLessonFileName(std::string_view saved_name) {
    return UrlDecode(saved_name, true);
}

}  // namespace tessal::client
