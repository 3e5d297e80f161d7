// The URL decoder the login reply and the forms go through, and the escaping of the
// addresses that lists and replies name.

#include "common/net/url.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using tessal::fuzz::Require;
    const std::string_view text = tessal::fuzz::Text(data, size);
    tessal::UrlDecode(text, true);
    Require(tessal::fuzz::IsValidUtf8(tessal::UrlDecode(text, false)),
            "decoding from the code page gives UTF-8");
    Require(tessal::UrlDecode(tessal::UrlEncode(text, true), true) == text,
            "decoding undoes encoding");
    const std::string escaped = tessal::EscapeUrlText(text);
    Require(tessal::EscapeUrlText(escaped) == escaped, "an escaped text comes out unchanged");
    tessal::HostOfUrl(text);
    tessal::PathOfUrl(text);
    tessal::RequestUrl(text);
    tessal::EscapedUrl(text);
    return 0;
}
