#pragma once

// The HTTP text the loopback server reads and writes (internal to the test support).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "tests/support/loopback_http_server.h"

namespace tessal::test {

// Splits a request head (through its blank line) into request line and header lines.
// The body is left empty.
CapturedRequest ParseRequestHead(std::string_view head);

// The Content-Length the request announces; 0 when absent or not a number.
std::size_t AnnouncedBodyLength(const CapturedRequest& request);

// Status line and headers of `reply`, through the blank line. Content-Length always
// announces the whole body, also when the reply is scripted to send less.
std::string ReplyHead(const ScriptedReply& reply);

}  // namespace tessal::test
