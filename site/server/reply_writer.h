#pragma once

// Puts a reply on the wire through cpp-httplib, spoiled as a fault rule asks: another
// status or body, a body cut off after N bytes (the connection then closes short of
// the announced length), or a body trickled at a fixed rate.

#include <httplib.h>

#include <optional>

#include "site/server/fault_rules.h"
#include "site/server/reply.h"
#include "site/server/stop_signal.h"

namespace tessal::site {

void WriteReply(Reply reply, const std::optional<FaultRule>& fault, StopSignal& stop,
                httplib::Response& response);

}  // namespace tessal::site
