#pragma once

// The mpv instance behind one engine: made with the options every engine uses, plus the
// ones named in TESSAL_APLAYER_MPV_OPTIONS (for tests and benchmarks, e.g.
// "ao=null,vo=null").

#include <mpv/client.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessal::aplayer {

inline constexpr const char* kExtraOptionsVariable = "TESSAL_APLAYER_MPV_OPTIONS";

// "a=1,b=2" as pairs; an entry without "=" gets "yes", empty entries are skipped.
std::vector<std::pair<std::string, std::string>> ParseOptionList(std::string_view text);

// An initialised mpv instance, or null with `error` set.
mpv_handle* CreateMpvSession(std::string& error);

}  // namespace tessal::aplayer
