#include "updater/update_list.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>

namespace tessal::updater {

const tinyxml2::XMLElement* LoadUpdateList(const std::filesystem::path& file,
                                           tinyxml2::XMLDocument& document, DailyLog& log) {
    if (document.LoadFile(file.c_str()) != tinyxml2::XML_SUCCESS) {
        log.Write(document.ErrorStr());
        return nullptr;
    }
    const tinyxml2::XMLElement* root = document.RootElement();
    if (root == nullptr) {
        log.Write("Failed to load file: No root element");
    }
    return root;
}

bool IsVersionElement(const tinyxml2::XMLElement& element) {
    return std::string_view(element.Name()) == "version";
}

bool IsGroupElement(const tinyxml2::XMLElement& element) {
    const std::string_view name = element.Name();
    return name == kProgramGroup || name == "layout" || name == "dll" || name == "image";
}

std::string Attribute(const tinyxml2::XMLElement& element, const char* name) {
    const char* value = element.Attribute(name);
    return value == nullptr ? std::string() : std::string(value);
}

int DecimalValue(std::string_view text) {
    const std::string terminated(text);
    const long value = std::strtol(terminated.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

bool SameDigest(std::string_view left, std::string_view right) {
    return std::equal(left.begin(), left.end(), right.begin(), right.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

}  // namespace tessal::updater
