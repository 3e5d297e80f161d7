#pragma once

// UTF-16 <-> UTF-8 for the records' fixed-size fields. The engine carries its own small
// converter so that the plugin depends on nothing of the programs but its header.

#include <cstddef>
#include <string>
#include <string_view>

namespace tessal::xldl {

// The UTF-16 text up to the first NUL or `capacity` units; unpaired surrogates become
// U+FFFD.
std::string Utf8FromField(const char16_t* field, std::size_t capacity);
std::string Utf8FromWide(std::u16string_view wide);
// Invalid UTF-8 bytes become U+FFFD.
std::u16string WideFromUtf8(std::string_view utf8);

// Copies `text` into a field of `capacity` units, truncated, always NUL-terminated.
void CopyToField(std::u16string_view text, char16_t* field, std::size_t capacity);

}  // namespace tessal::xldl
