#pragma once

// The size of the file behind a URL, from the Content-Length of a HEAD request.

#include <cstdint>
#include <optional>
#include <string>

namespace tessal::xldl {

// Blocks up to about 10 s; empty when the server does not answer 2xx with a length.
std::optional<std::int64_t> FileSizeOfUrl(const std::string& url, const std::string& user_agent);

}  // namespace tessal::xldl
