#include "common/base/text_helpers.h"

#include <charconv>

namespace tessal {

std::string TextBetween(std::string_view source, std::string_view start, std::string_view end) {
    const std::size_t start_at = source.find(start);
    if (start_at == std::string_view::npos) {
        return {};
    }
    const std::size_t value_at = start_at + start.size();
    const std::size_t end_at = source.find(end, value_at);
    if (end_at == std::string_view::npos) {
        return {};
    }
    return std::string(source.substr(value_at, end_at - value_at));
}

std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement) {
    if (pattern.empty()) {
        return std::string(text);
    }
    std::string result;
    result.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at = text.find(pattern); at != std::string_view::npos;
         at = text.find(pattern, from)) {
        result.append(text.substr(from, at - from));
        result.append(replacement);
        from = at + pattern.size();
    }
    result.append(text.substr(from));
    return result;
}

int LeadingNumber(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos)
        return 0;
    text.remove_prefix(start);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() ? value : 0;
}

}  // namespace tessal
