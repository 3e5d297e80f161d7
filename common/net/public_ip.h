#pragma once

// The machine's public IP address and place, read from the IP lookup service's pages.

#include <string>
#include <string_view>

#include "common/base/text_codec.h"
#include "common/net/http_client.h"

namespace tessal {

// GETs `home_url`, follows the address frame it embeds and reads the IP and the place
// from that page. Both pages are in `code_page`; the results are UTF-8. `ip` and
// `place` start empty and keep whatever was found; true only when both were found.
bool LookupPublicIp(std::string_view home_url, std::string& ip, std::string& place,
                    std::string_view code_page = kDefaultSiteCodePage,
                    const HttpTimeouts& timeouts = {});

// The address of the frame the home page embeds; empty when it has none.
std::string AddressFrameUrl(std::string_view home_page);

// Reads the IP and the place from the address page into `ip` and `place` (each empty
// when its markers are missing); true only when both were found.
bool ReadAddressPage(std::string_view address_page, std::string& ip, std::string& place);

}  // namespace tessal
