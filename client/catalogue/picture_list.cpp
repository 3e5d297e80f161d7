#include "client/catalogue/picture_list.h"

#include <algorithm>
#include <charconv>

#include "common/settings/ini_file.h"

namespace tessal::client {
namespace {

std::string FoldedCase(std::string_view text) {
    std::string folded(text);
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return folded;
}

// A value never breaks the file's lines (a profile write makes line breaks blanks).
std::string OneLine(std::string_view text) {
    std::string line(text);
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return line;
}

// The id read as the handlers read it: at most 9 characters, a whole decimal number.
std::optional<int> ItemNumber(std::string_view text) {
    text = text.substr(0, 9);
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

}  // namespace

void PictureListWriter::Add(const std::string& name, int item) {
    names_.push_back(OneLine(name));
    const std::string section = FoldedCase(names_.back());
    if (items_.find(section) == items_.end())
        sections_.push_back(names_.back());
    items_[section] = item;
}

bool PictureListWriter::Write(const std::filesystem::path& file) const {
    std::string text = std::string("[") + kPictureListSection + "]\n";
    for (std::size_t i = 0; i < names_.size(); ++i)
        text += std::to_string(i + 1) + "=" + names_[i] + "\n";
    for (const std::string& section : sections_)
        text += "[" + section + "]\nid=" + std::to_string(items_.at(FoldedCase(section))) + "\n";
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    return UpdateProfile(file, [&text](IniDocument& document) {
        document = IniDocument::Parse(text);
        return true;
    });
}

std::vector<PictureListEntry> ReadPictureList(const std::filesystem::path& file) {
    const IniDocument document = LoadProfile(file);
    std::vector<PictureListEntry> entries;
    for (int key = 1;; ++key) {
        const auto name = document.Value(kPictureListSection, std::to_string(key));
        if (!name || name->empty())
            break;
        const auto item = document.Value(*name, "id");
        entries.push_back({*name, item ? ItemNumber(*item) : std::nullopt});
    }
    return entries;
}

}  // namespace tessal::client
