#pragma once

// What a lesson needs to play online: the server's time from the timestamp reply, the
// token that signs the request, and the miniplayer page's address. The like and view
// counters of the lesson window are shown by the same rule everywhere.

#include <optional>
#include <string>
#include <string_view>

#include "common/settings/site_settings.h"

namespace tessal::client {

inline constexpr const char* kTimestampPath = "/app_client_api_v2/timestamp";

// The "timestamp" string of a timestamp reply; nothing when the reply is not JSON, is
// not an object, or has no non-empty string "timestamp" made of letters, digits and
// "-._:" only (it goes into the page's address unencoded).
std::optional<std::string> TimestampOf(std::string_view reply);

// MD5 of uid + timestamp + the site's key, as 32 lowercase hexadecimal digits.
std::string OnlinePlayToken(std::string_view uid, std::string_view timestamp);

struct OnlineLesson {
    std::string uid;
    std::string course_id;
    std::string lesson_id;
    std::string timestamp;
};

// The miniplayer page on the course host; the values go in as they are, as the page
// has always been asked.
std::string MiniplayerUrl(const SiteSettings& site, const OnlineLesson& lesson);

// A counter up to 100000 as its integer part; above, in units of ten thousand with one
// decimal and "万" (234567 reads "23.5万"). Beyond ±10^15, or not a number: "0".
std::string CounterText(double value);

// Course and lesson ids go into the page's address as they are: only decimal digits may.
bool IsDecimalId(std::string_view id);

}  // namespace tessal::client
