// The login reply of all three channels: URL-encoded pairs, each ended by "&", and the
// reports that carry its uid on.

#include "client/shell/login_protocol.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessal::client;
    const std::string_view raw = tessal::fuzz::Text(data, size);
    if (!IsLoginReply(raw))
        return 0;
    const LoginReply reply = ParseLoginReply(raw);
    static const tessal::SiteSettings site;
    LoginReportPost(site, reply.uid, "203.0.113.7");
    HeartbeatPost(site, reply.uid, reply.msg);
    IsSessionSign(raw);
    return 0;
}
