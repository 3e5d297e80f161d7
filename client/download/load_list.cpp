#include "client/download/load_list.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

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
    // One pass over the section: a long list reads in linear time.
    std::unordered_map<std::string, std::string> values;
    long long last_key = 0;  // keys past it hold nothing, whatever Count says
    for (auto& [key, value] : document.Entries(section)) {
        if (!key.empty() && key.size() < 10 &&
            key.find_first_not_of("0123456789") == std::string::npos)
            last_key = std::max(last_key, std::stoll(key));
        values.emplace(AsciiLower(key), std::move(value));
    }
    const auto count_text = values.find("count");
    const long long count =
        std::min(count_text == values.end() ? 0 : SavedCount(count_text->second), last_key);
    std::vector<std::string> ids;
    for (long long n = 1; n <= count; ++n) {
        const auto value = values.find(std::to_string(n));
        if (value != values.end() && !value->second.empty())
            ids.push_back(value->second.substr(0, kValueLimit));
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
