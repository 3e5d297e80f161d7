#pragma once

// The URL helpers every request of the programs goes through: where a URL points
// (host and path, as the site's URLs are written) and the percent-encoding of form
// fields and replies. Internal text is UTF-8; the "not UTF-8" forms travel in the site
// code page, which is what the site always received.

#include <string>
#include <string_view>

#include "common/base/text_codec.h"

namespace tessal {

// The text between "http://" (or "https://", whichever comes first, any letter case)
// and the next "/"; everything after the marker when no "/" follows; the URL itself
// when it holds neither marker. A ":port" stays part of the host.
std::string HostOfUrl(std::string_view url);

// From the first "/" after the host to the end, query included; "/" when there is none.
std::string PathOfUrl(std::string_view url);

// Only a URL whose first five characters are exactly "https" is secure; "HTTPS://..."
// goes out as plain HTTP.
bool IsSecureUrl(std::string_view url);

// The URL a request really goes to: the scheme chosen by IsSecureUrl, then host and
// path, so that a port written in the host is used and nothing else of the text counts.
// Path and query are escaped by EscapeUrlText, so a file name with a blank is fetched.
std::string RequestUrl(std::string_view url);

// `url` with the text after its host escaped by EscapeUrlText, everything else as given:
// what a request names as its referrer.
std::string EscapedUrl(std::string_view url);

// Makes a path and query a valid part of a URL without changing what it addresses:
// blanks, control bytes, bytes of 0x80 and above, `"<>\^`{|}` and a "%" that does not
// start an escape become "%XX" (upper-case hex). Letters, digits, "-._~", the marks that
// structure a URL (":/?#[]@!$&'()*+,;=") and escapes already there stay, so an escaped
// text comes out unchanged.
std::string EscapeUrlText(std::string_view text);

// Letters, digits and "-./:_" stay; every other byte becomes "%XX" (upper-case hex).
// With `to_utf8` the UTF-8 bytes are encoded as they are; without it the text is first
// converted to `code_page`.
std::string UrlEncode(std::string_view text, bool to_utf8,
                      std::string_view code_page = kDefaultSiteCodePage);

// "%" with two hex digits (either case) becomes that byte; anything else, "+" and a
// "%" without two hex digits included, is copied. With `from_utf8` the decoded bytes
// are UTF-8 already; without it they are in `code_page` and are converted to UTF-8.
std::string UrlDecode(std::string_view text, bool from_utf8,
                      std::string_view code_page = kDefaultSiteCodePage);

}  // namespace tessal
