#pragma once

// "thunder://" links: base64 of "AA" + the plain URL + "ZZ".

#include <optional>
#include <string>
#include <string_view>

namespace tessal::xldl {

std::optional<std::string> PlainUrlOfThunderLink(std::string_view link);

}  // namespace tessal::xldl
