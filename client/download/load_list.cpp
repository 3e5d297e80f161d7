#include "client/download/load_list.h"

#include <algorithm>

#include "common/base/text_helpers.h"
#include "common/settings/ini_file.h"

namespace tessal::client {
namespace {

// The list has always been read into 30-byte buffers.
constexpr std::size_t kValueLimit = 29;

}  // namespace

std::vector<std::string> ReadSavedIds(const std::filesystem::path& file, const char* section) {
    const IniDocument document = LoadProfile(file);
    const int count = std::max(0, LeadingNumber(document.Value(section, "Count").value_or("")));
    std::vector<std::string> ids;
    for (int n = 1; n <= count; ++n) {
        const auto value = document.Value(section, std::to_string(n));
        if (!value) {
            // Keys past the last one written: a count larger than the list says nothing more.
            if (n > static_cast<int>(document.Keys(section).size()))
                break;
            continue;
        }
        if (!value->empty())
            ids.push_back(value->substr(0, kValueLimit));
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
        int written = 0;
        for (const std::string& id : ids) {
            if (!id.empty())
                document.Set(section, std::to_string(++written), id);
        }
        document.Set(section, "Count", std::to_string(written));
        return true;
    });
}

}  // namespace tessal::client
