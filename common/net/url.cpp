#include "common/net/url.h"

#include <algorithm>
#include <cstddef>
#include <optional>

namespace tessal {
namespace {

constexpr std::string_view kPlainMarker = "http://";
constexpr std::string_view kSecureMarker = "https://";

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::size_t FindIgnoringCase(std::string_view text, std::string_view marker) {
    auto it = std::search(text.begin(), text.end(), marker.begin(), marker.end(),
                          [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
    return it == text.end() ? std::string_view::npos : static_cast<std::size_t>(it - text.begin());
}

// Where the host starts: just after the first scheme marker. Taking the earliest of
// the two keeps a URL carried in the query ("...?next=http://...") from being mistaken
// for the address itself.
std::size_t HostStart(std::string_view url) {
    std::size_t plain = FindIgnoringCase(url, kPlainMarker);
    std::size_t secure = FindIgnoringCase(url, kSecureMarker);
    if (plain == std::string_view::npos && secure == std::string_view::npos) {
        return 0;
    }
    if (plain <= secure) {
        return plain + kPlainMarker.size();
    }
    return secure + kSecureMarker.size();
}

bool IsKeptByEncoding(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '/' ||
           byte == ':' || byte == '_';
}

// RFC 3986: unreserved characters and the delimiters that give a URL its structure.
bool IsKeptInUrl(unsigned char byte) {
    constexpr std::string_view kMarks = "-._~:/?#[]@!$&'()*+,;=";
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
           (byte >= '0' && byte <= '9') || kMarks.find(static_cast<char>(byte)) != kMarks.npos;
}

void AppendEscape(std::string& out, unsigned char byte) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    out.push_back('%');
    out.push_back(kHexDigits[byte >> 4]);
    out.push_back(kHexDigits[byte & 0x0F]);
}

std::optional<int> HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    char lower = LowerAscii(c);
    if (lower >= 'a' && lower <= 'f') {
        return lower - 'a' + 10;
    }
    return std::nullopt;
}

bool StartsEscape(std::string_view text, std::size_t at) {
    return at + 2 < text.size() && HexValue(text[at + 1]) && HexValue(text[at + 2]);
}

// A "%" that is not followed by two hex digits is an ordinary byte; scanning goes on
// with the byte after it.
std::string PercentDecode(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            std::optional<int> high = HexValue(text[i + 1]);
            std::optional<int> low = HexValue(text[i + 2]);
            if (high && low) {
                bytes.push_back(static_cast<char>(*high * 16 + *low));
                i += 2;
                continue;
            }
        }
        bytes.push_back(text[i]);
    }
    return bytes;
}

}  // namespace

std::string HostOfUrl(std::string_view url) {
    std::size_t start = HostStart(url);
    if (start == 0) {
        return std::string(url);
    }
    std::size_t slash = url.find('/', start);
    std::size_t end = slash == std::string_view::npos ? url.size() : slash;
    return std::string(url.substr(start, end - start));
}

std::string PathOfUrl(std::string_view url) {
    std::size_t slash = url.find('/', HostStart(url));
    if (slash == std::string_view::npos) {
        return "/";
    }
    return std::string(url.substr(slash));
}

bool IsSecureUrl(std::string_view url) {
    return url.substr(0, 5) == "https";
}

std::string RequestUrl(std::string_view url) {
    std::string scheme = IsSecureUrl(url) ? "https://" : "http://";
    std::string_view rest = url.substr(HostStart(url));
    const std::size_t host_end = rest.find_first_of("/?#");
    if (host_end == std::string_view::npos) {
        return scheme + std::string(rest) + "/";
    }
    const std::string_view separator = rest[host_end] == '/' ? "" : "/";
    return scheme + std::string(rest.substr(0, host_end)) + std::string(separator) +
           EscapeUrlText(rest.substr(host_end));
}

std::string EscapedUrl(std::string_view url) {
    const std::size_t host_start = HostStart(url);
    const std::size_t host_end = url.find_first_of("/?#", host_start);
    if (host_start == 0 || host_end == std::string_view::npos) {
        return std::string(url);
    }
    return std::string(url.substr(0, host_end)) + EscapeUrlText(url.substr(host_end));
}

std::string EscapeUrlText(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (IsKeptInUrl(byte) || (byte == '%' && StartsEscape(text, i))) {
            escaped.push_back(text[i]);
        } else {
            AppendEscape(escaped, byte);
        }
    }
    return escaped;
}

std::string UrlEncode(std::string_view text, bool to_utf8, std::string_view code_page) {
    std::string bytes = to_utf8 ? std::string(text) : CodePageFromUtf8(text, code_page);
    std::string encoded;
    encoded.reserve(bytes.size() * 3);
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        if (IsKeptByEncoding(byte)) {
            encoded.push_back(c);
        } else {
            AppendEscape(encoded, byte);
        }
    }
    return encoded;
}

std::string UrlDecode(std::string_view text, bool from_utf8, std::string_view code_page) {
    std::string bytes = PercentDecode(text);
    return from_utf8 ? bytes : Utf8FromCodePage(bytes, code_page);
}

}  // namespace tessal
