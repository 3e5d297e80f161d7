#pragma once

// Links and custom pages come from the server: only web addresses are ever opened.

#include <string_view>

namespace tessal::client {

// True for an "http://" or "https://" address with a host (scheme without regard to
// case); false for every other scheme ("file:", custom ones) and for empty text.
bool IsWebLink(std::string_view url);

}  // namespace tessal::client
