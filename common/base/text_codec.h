#pragma once

// Conversions between the three text forms the programs handle.
// Internal 8-bit text is UTF-8. Wide text is UTF-16. The site code page (GBK unless
// Site.ini says otherwise) is what the site expects where it always received the
// Windows system code page. Invalid input never fails: a byte that cannot be
// converted becomes a replacement ("?" in 8-bit targets, U+FFFD in Unicode targets)
// and conversion goes on with the next byte.

#include <string>
#include <string_view>

namespace tessal {

inline constexpr std::string_view kDefaultSiteCodePage = "GBK";

std::u16string WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::u16string_view wide);

// UTF-8 to the named code page; characters the code page lacks become "?".
std::string CodePageFromUtf8(std::string_view utf8,
                             std::string_view code_page = kDefaultSiteCodePage);
// The named code page to UTF-8; invalid sequences become U+FFFD.
std::string Utf8FromCodePage(std::string_view bytes,
                             std::string_view code_page = kDefaultSiteCodePage);

// One character per source unit; for ASCII values such as the machine identifier.
std::u16string WideFromAscii(std::string_view ascii);
std::string AsciiFromWide(std::u16string_view wide);

}  // namespace tessal
