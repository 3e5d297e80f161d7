#include "client/download/load_list.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>

#include "common/settings/ini_file.h"

namespace tessal::client {
namespace {

// The list has always been read into 30-byte buffers.
constexpr std::size_t kValueLimit = 29;

std::string AsciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Count as written, read as a number: missing or not a number is 0, a number past the
// list (however large) is the whole list.
long long SavedCount(const std::string& text) {
    return std::max(0LL, std::strtoll(text.c_str(), nullptr, 10));
}

}  // namespace

std::vector<std::string> ReadSavedIds(const std::filesystem::path& file, const char* section) {
    const IniDocument document = LoadProfile(file);
    // One pass over the section, then one over its numbered keys: a key named 999999999
    // under a count as large costs no more than any other.
    std::map<int, std::string> numbered;  // the first key of a number wins
    std::optional<std::string> count_text;
    for (auto& [key, value] : document.Entries(section)) {
        // Entries are "1", "2", ...; the list has never read a "0".
        if (const auto number = PlainKeyNumber(key); number && *number > 0)
            numbered.emplace(*number, std::move(value));
        else if (!count_text && AsciiLower(key) == "count")
            count_text = std::move(value);
    }
    const long long count = count_text ? SavedCount(*count_text) : 0;
    std::vector<std::string> ids;
    for (const auto& [number, value] : numbered) {
        if (number > count)
            break;
        if (!value.empty())
            ids.push_back(value.substr(0, kValueLimit));
    }
    return ids;
}

SavedLists ReadSavedLists(const std::filesystem::path& file) {
    return {ReadSavedIds(file, kLoadingSection), ReadSavedIds(file, kFinishedSection)};
}

bool WriteSavedIds(const std::filesystem::path& file, const char* section,
                   const std::vector<std::string>& ids) {
    return UpdateProfile(file, [&](IniDocument& document) {
        document.RemoveSection(section);
        std::vector<std::pair<std::string, std::string>> entries;
        for (const std::string& id : ids) {
            if (!id.empty())
                entries.emplace_back(std::to_string(entries.size() + 1), id);
        }
        entries.emplace_back("Count", std::to_string(entries.size()));
        document.Append(section, entries);
        return true;
    });
}

}  // namespace tessal::client
