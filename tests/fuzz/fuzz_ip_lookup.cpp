// The IP lookup service's two pages, in the site code page: the home page's frame
// address, which is requested next, and the address page's IP and place.

#include "common/base/text_codec.h"
#include "common/net/public_ip.h"
#include "common/net/url.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string page = tessal::Utf8FromCodePage(tessal::fuzz::Text(data, size));
    const std::string frame_url = tessal::AddressFrameUrl(page);
    if (!frame_url.empty())
        tessal::RequestUrl(frame_url);
    std::string ip;
    std::string place;
    tessal::ReadAddressPage(page, ip, place);
    return 0;
}
