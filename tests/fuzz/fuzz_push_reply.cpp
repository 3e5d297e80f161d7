// The push poll reply: site code page bytes, converted, then read as "#"-marked fields;
// its links decide what may be opened or downloaded.

#include "client/messages/push_reply.h"
#include "client/messages/web_link.h"
#include "common/base/text_codec.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessal::client;
    const std::string reply = tessal::Utf8FromCodePage(tessal::fuzz::Text(data, size));
    const auto message = ParsePushReply(reply, "10001");
    if (!message)
        return 0;
    StoredText(*message);
    IsWebLink(message->link);
    IsWebLink(message->picture_url);
    IsWebLink(message->custom_url);
    return 0;
}
