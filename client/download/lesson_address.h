#pragma once

// What a download task is given for a lesson: its address percent-encoded as the
// download hosts have always been asked (letters, digits and "-./:_" kept, every other
// byte "%XX"), moved to the download host of the member's channel, and the file name the
// engine saves under; and the name the finished file is given back.

#include <array>
#include <string>
#include <string_view>

namespace tessal::client {

std::string EncodeLessonAddress(std::string_view url);

// Channel 1, 2 or 3 asks for download host 1, 2 or 3: an address that names another of
// the three gets every occurrence of it replaced by the channel's host. An address that
// names the channel's host already, names none of them, or a channel outside 1 to 3
// leaves it as it is. `hosts` are the three download hosts as they appear in addresses.
std::string AddressForChannel(std::string url, int channel,
                              const std::array<std::string, 3>& hosts);

// The file name the finished lesson keeps: the saved (encoded) name percent-decoded,
// which is the address's last segment as the course database stores it.
std::string DecodedLessonFileName(std::string_view saved_name);

}  // namespace tessal::client
