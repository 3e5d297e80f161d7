#pragma once

// "data/lesson/Updata.ini": the courses whose picture was not on disk when the tree was
// built. Section "Courselist" holds keys "1", "2", ... with the course names in the
// order met; a section named by each course holds "id", its tree item. The build
// collects the entries and writes the file once (one replace instead of two locked
// rewrites per course, which a catalogue of thousands could not afford); the picture
// thread reads it after that.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/settings/ini_document.h"

namespace tessal::client {

inline constexpr const char* kPictureListFile = "data/lesson/Updata.ini";
inline constexpr const char* kPictureListSection = "Courselist";

class PictureListWriter {
public:
    // The next key of "Courselist" is `name`; the section `name` gets "id" = `item`. A
    // course name met twice keeps one section, with the later item, as a profile write
    // would leave it.
    void Add(const std::string& name, int item);
    // Replaces `file` with the list; false when it cannot be written.
    bool Write(const std::filesystem::path& file) const;

private:
    std::vector<std::string> names_;
    std::vector<std::string> sections_;  // first-met order
    std::map<std::string, int> items_;   // by section name without regard to ASCII case
};

// One course of the list, as the picture thread reads it.
struct PictureListEntry {
    std::string name;
    std::optional<int> item;  // nothing when its section has no usable "id"
};

// The entries from key "1" up to the first key that is missing or empty.
std::vector<PictureListEntry> ReadPictureList(const std::filesystem::path& file);

}  // namespace tessal::client
