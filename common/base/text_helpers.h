#pragma once

#include <string>
#include <string_view>

namespace tessal {

// The text after the first `start` marker up to the first `end` marker that follows it;
// empty when either marker is missing.
std::string TextBetween(std::string_view source, std::string_view start, std::string_view end);

// Every occurrence of `pattern` replaced, scanning left to right and resuming after
// the inserted replacement (so a replacement containing the pattern does not loop).
std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement);

// A number read as the C library's atoi reads it: blanks skipped, then an optional minus
// and the decimal digits that follow; 0 when there are none (or too many for an int).
int LeadingNumber(std::string_view text);

}  // namespace tessal
