#pragma once

// "Updata.xml": a root element holding a "version" element (attribute "id") and the
// groups "Progarm", "layout", "dll" and "image", whose items are child elements named
// like their group, with the attributes "url", "md5", "name", "truename", "local" and
// "priority". Both phases walk the root's children in document order.

#include <tinyxml2.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "common/log/daily_log.h"

namespace tessal::updater {

// The local copy of the list, written by the download phase and read by both phases.
inline constexpr const char* kUpdateListFile = "./cache/Updata.xml";
inline constexpr const char* kUpdateListPath = "/video_ftp/TessalClient/Updata.xml";
// The group of the programs themselves.
inline constexpr const char* kProgramGroup = "Progarm";

// Loads the list into `document` and returns its root element; on a parse failure logs
// the reader's error description, without a root element "Failed to load file: No root
// element", and returns null.
const tinyxml2::XMLElement* LoadUpdateList(const std::filesystem::path& file,
                                           tinyxml2::XMLDocument& document, DailyLog& log);

bool IsVersionElement(const tinyxml2::XMLElement& element);
bool IsGroupElement(const tinyxml2::XMLElement& element);

// The attribute's text; empty when it is missing.
std::string Attribute(const tinyxml2::XMLElement& element, const char* name);

// The leading decimal number of `text` as the C library reads it (blanks, a sign, then
// digits; 0 when there are none), clamped to the range of int.
int DecimalValue(std::string_view text);

// Digests as hexadecimal text, compared without regard to letter case.
bool SameDigest(std::string_view left, std::string_view right);

// Calls `visit` with each item of `group`: its child elements of the group's own name.
template <typename Visit>
void ForEachItem(const tinyxml2::XMLElement& group, Visit&& visit) {
    const char* name = group.Name();
    for (const auto* item = group.FirstChildElement(name); item != nullptr;
         item = item->NextSiblingElement(name)) {
        if (!visit(*item)) {
            return;
        }
    }
}

}  // namespace tessal::updater
