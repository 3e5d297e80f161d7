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

}  // namespace tessal
