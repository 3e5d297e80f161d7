#pragma once

// Puts a reply on the wire through cpp-httplib, spoiled as a fault rule asks: another
// status or body, a body cut off after N bytes (the connection then closes short of
// the announced length), or a body trickled at a fixed rate.

#include <httplib.h>

#include <optional>
#include <string_view>

#include "site/server/fault_rules.h"
#include "site/server/host_outages.h"
#include "site/server/reply.h"
#include "site/server/stop_signal.h"

namespace tessal::site {

// A byte range asked of a file reply. Several ranges, or a header that does not parse,
// get the whole file, as a server may answer; a start past the end gets 416.
struct ByteRange {
    std::size_t first = 0;
    std::size_t last = 0;  // inclusive
};
enum class RangeAnswer { kWhole, kPart, kUnsatisfiable };
RangeAnswer ChooseRange(std::string_view header, std::size_t size, ByteRange& range);

// `range_header` is the request's Range header; only a 200 file reply honours it (httplib
// must not apply it again: the caller clears the request's parsed ranges). A body sent in
// pieces stops, closing the connection, when the site stops or `cut` is raised.
void WriteReply(Reply reply, const std::optional<FaultRule>& fault, StopSignal& stop, CutSignal cut,
                std::string_view range_header, httplib::Response& response);

}  // namespace tessal::site
