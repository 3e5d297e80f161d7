#include "engines/download/thunder_url.h"

#include <array>
#include <cstdint>

namespace tessal::xldl {
namespace {

constexpr std::string_view kScheme = "thunder://";

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+' || c == '-')
        return 62;
    if (c == '/' || c == '_')
        return 63;
    return -1;
}

std::optional<std::string> DecodeBase64(std::string_view text) {
    // Links copied from pages often carry a trailing "/" that is no base64 digit.
    if (text.size() % 4 == 1 && text.ends_with('/'))
        text.remove_suffix(1);
    while (text.ends_with('='))
        text.remove_suffix(1);
    std::string out;
    std::uint32_t bits = 0;
    int bit_count = 0;
    for (const char c : text) {
        const int value = Base64Value(c);
        if (value < 0)
            return std::nullopt;
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        bit_count += 6;
        if (bit_count >= 8) {
            bit_count -= 8;
            out.push_back(static_cast<char>((bits >> bit_count) & 0xFF));
        }
    }
    return out;
}

}  // namespace

std::optional<std::string> PlainUrlOfThunderLink(std::string_view link) {
    if (link.size() < kScheme.size())
        return std::nullopt;
    for (std::size_t i = 0; i < kScheme.size(); ++i) {
        const char c = link[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != kScheme[i]) {
            return std::nullopt;
        }
    }
    const auto decoded = DecodeBase64(link.substr(kScheme.size()));
    if (!decoded || decoded->size() < 4 || !decoded->starts_with("AA") ||
        !decoded->ends_with("ZZ")) {
        return std::nullopt;
    }
    return decoded->substr(2, decoded->size() - 4);
}

}  // namespace tessal::xldl
