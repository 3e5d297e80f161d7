// The user-information reply: kept in the site code page, read back and parsed for the
// head picture's address.

#include <exception>

#include "client/shell/user_profile.h"
#include "common/base/text_codec.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

// Text nested deeper than the reader's limit ends in its exception, which the fetch
// catches and logs; anything else escaping is a fault.
void ReadPicture(std::string_view json_text) {
    try {
        tessal::client::HeadPictureUrl(json_text);
    } catch (const std::exception&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply = tessal::fuzz::Text(data, size);
    // As the login reads it: through "UserJson.json", written in the site code page.
    ReadPicture(tessal::Utf8FromCodePage(tessal::CodePageFromUtf8(reply)));
    // And as the bytes came, so the JSON reader sees every byte the site could send.
    ReadPicture(reply);
    return 0;
}
