#include "client/shell/client_update_item.h"

#include "updater/update_list.h"

namespace tessal::client {
namespace {

// The parse-failure line has always been cut to this buffer, its terminating zero included.
constexpr std::size_t kParseFailureLineBuffer = 260;

}  // namespace

ClientUpdateItem ReadClientUpdateItem(const tinyxml2::XMLElement& element) {
    return {updater::Attribute(element, "name"), updater::Attribute(element, "url"),
            updater::Attribute(element, "local"), updater::Attribute(element, "md5")};
}

// Cut where the log's buffer always cut it, but never through a character: half of one
// would leave the line invalid text.
std::string ParseFailureLine(const ClientUpdateItem& item) {
    std::string line = "xml解析失败name:" + item.name + " url:" + item.url +
                       " local:" + item.local + " md5:" + item.md5;
    if (line.size() >= kParseFailureLineBuffer) {
        std::size_t cut = kParseFailureLineBuffer - 1;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        line.resize(cut);
    }
    return line;
}

bool IsPlainFileName(std::string_view name) {
    return name.find('/') == std::string_view::npos && name != "." && name != "..";
}

}  // namespace tessal::client
