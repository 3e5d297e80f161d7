#pragma once

// One "Progarm" item of the client's own update list ("TessalUpdata.xml"), as the
// self-update check reads it: which file to fetch, where it lands in "./New/" and which
// installed file it replaces. The list comes from the network, so every text here is
// checked before anything is fetched or written.

#include <tinyxml2.h>

#include <string>
#include <string_view>

namespace tessal::client {

// How the log lines name the staging folder.
inline constexpr std::string_view kStagingPrefix = "./New/";

struct ClientUpdateItem {
    std::string name;
    std::string url;
    std::string local;
    std::string md5;

    bool Complete() const {
        return !name.empty() && !url.empty() && !local.empty() && !md5.empty();
    }
    std::string StagedText() const { return std::string(kStagingPrefix) + name; }
};

// The item's attributes; a missing one reads as empty.
ClientUpdateItem ReadClientUpdateItem(const tinyxml2::XMLElement& element);

// The log line of an incomplete item, cut to the log's buffer on a character boundary.
std::string ParseFailureLine(const ClientUpdateItem& item);

// A name is where the download lands inside "./New/": one file there, nothing else.
bool IsPlainFileName(std::string_view name);

}  // namespace tessal::client
