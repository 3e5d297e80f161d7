// The conversions between the site code page, UTF-8 and UTF-16 that every reply, form
// and file name goes through. Invalid input never fails: it becomes replacements.

#include "common/base/text_codec.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using tessal::fuzz::IsValidUtf8;
    using tessal::fuzz::Require;
    const std::string_view bytes = tessal::fuzz::Text(data, size);

    const std::string utf8 = tessal::Utf8FromCodePage(bytes);
    Require(IsValidUtf8(utf8), "code page text converts to UTF-8");
    tessal::CodePageFromUtf8(utf8);
    tessal::CodePageFromUtf8(bytes);

    const std::u16string wide = tessal::WideFromUtf8(bytes);
    Require(IsValidUtf8(tessal::Utf8FromWide(wide)), "wide text converts to UTF-8");
    if (IsValidUtf8(bytes))
        Require(tessal::Utf8FromWide(wide) == bytes, "UTF-8 survives the way through UTF-16");

    std::u16string units(size / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    Require(IsValidUtf8(tessal::Utf8FromWide(units)), "any UTF-16 units convert to UTF-8");
    tessal::AsciiFromWide(units);
    tessal::WideFromAscii(bytes);
    return 0;
}
