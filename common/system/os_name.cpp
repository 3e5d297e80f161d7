#include "common/system/os_name.h"

#include <fstream>
#include <string_view>

namespace tessal {
namespace {

constexpr std::string_view kUnknownOs = "unknown OperatingSystem.";
constexpr std::string_view kPrettyNameKey = "PRETTY_NAME=";

// os-release values follow shell quoting: one pair of single or double quotes, and
// inside double quotes a backslash makes the next character literal.
std::string UnquoteValue(std::string_view value) {
    if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'') {
        return std::string(value.substr(1, value.size() - 2));
    }
    const bool double_quoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
    if (double_quoted) {
        value = value.substr(1, value.size() - 2);
    }
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            ++i;
        }
        text += value[i];
    }
    return text;
}

}  // namespace

std::string OsName(const std::filesystem::path& os_release) {
    std::ifstream file(os_release);
    std::string name;
    std::string line;
    // The file is shell assignments, so a later PRETTY_NAME overrides an earlier one.
    while (std::getline(file, line)) {
        if (line.starts_with(kPrettyNameKey)) {
            std::string_view value(line);
            value.remove_prefix(kPrettyNameKey.size());
            while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) {
                value.remove_suffix(1);
            }
            name = UnquoteValue(value);
        }
    }
    return name.empty() ? std::string(kUnknownOs) : name;
}

}  // namespace tessal
