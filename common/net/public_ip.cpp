#include "common/net/public_ip.h"

#include "common/base/text_helpers.h"

namespace tessal {
namespace {

std::string FetchPage(std::string_view url, std::string_view code_page,
                      const HttpTimeouts& timeouts) {
    if (url.empty()) {
        return {};
    }
    std::string page = SendRequest(url, {}, {}, HttpMethod::kGet, timeouts);
    return page.empty() ? page : Utf8FromCodePage(page, code_page);
}

}  // namespace

bool LookupPublicIp(std::string_view home_url, std::string& ip, std::string& place,
                    std::string_view code_page, const HttpTimeouts& timeouts) {
    ip.clear();
    place.clear();
    // The home page embeds the page that shows the address in a frame.
    std::string home = FetchPage(home_url, code_page, timeouts);
    std::string address_page = FetchPage(AddressFrameUrl(home), code_page, timeouts);
    if (address_page.empty()) {
        return false;
    }
    return ReadAddressPage(address_page, ip, place);
}

std::string AddressFrameUrl(std::string_view home_page) {
    return TextBetween(home_page, "<iframe src=\"", "\" rel=");
}

bool ReadAddressPage(std::string_view address_page, std::string& ip, std::string& place) {
    ip = TextBetween(address_page, "您的IP是：[", "]");
    place = TextBetween(address_page, "] 来自：", "<");
    return !ip.empty() && !place.empty();
}

}  // namespace tessal
