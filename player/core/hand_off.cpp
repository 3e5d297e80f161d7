#include "player/core/hand_off.h"

#include "common/settings/ini_file.h"
#include "player/core/player_list_ini.h"

namespace tessal::player {
namespace {

constexpr const char* kSection = "p";
constexpr const char* kNameKey = "h";
constexpr const char* kDataKey = "data";

}  // namespace

std::string ReadHandOffName(const std::filesystem::path& file) {
    return ReadProfileString(file, kSection, kNameKey, "");
}

bool WriteHandOffName(const std::filesystem::path& file, const std::string& name) {
    return WriteProfileString(file, kSection, kNameKey, name);
}

bool WriteHandOffData(const std::filesystem::path& file, const std::string& path) {
    // Quoted where the reader would otherwise drop blanks or quotes at its ends.
    return WriteProfileString(file, kSection, kDataKey, QuotedIniValue(path));
}

std::string TakeHandOffData(const std::filesystem::path& file) {
    // The member still gets the lesson when the file cannot be rewritten.
    std::string path;
    UpdateProfile(file, [&path](IniDocument& document) {
        path = document.Value(kSection, kDataKey).value_or("");
        if (path.empty()) {
            return false;
        }
        document.Set(kSection, kDataKey, "");
        return true;
    });
    return path;
}

bool ClearHandOff(const std::filesystem::path& file) {
    return WriteProfileEntries(file, kSection, {{kNameKey, ""}, {kDataKey, ""}});
}

}  // namespace tessal::player
