#include "engines/video/config_items.h"

#include <charconv>
#include <map>

namespace tessal::aplayer {

std::optional<int> ParseDecimal(std::string_view text) {
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<int> ParseSpeedPercent(std::string_view text) {
    const auto percent = ParseDecimal(text);
    if (!percent || *percent < kMinSpeedPercent || *percent > kMaxSpeedPercent)
        return std::nullopt;
    return percent;
}

std::optional<int> ParseRenderMode(std::string_view text) {
    const auto mode = ParseDecimal(text);
    if (!mode || (*mode != kRenderModeOpenGl && *mode != kRenderModeSoftware))
        return std::nullopt;
    return mode;
}

const char* KeepForThisThread(int item, std::string text) {
    thread_local std::map<int, std::string> slots;
    auto& slot = slots[item];
    slot = std::move(text);
    return slot.c_str();
}

const char16_t* KeepWideForThisThread(int item, std::u16string text) {
    thread_local std::map<int, std::u16string> slots;
    auto& slot = slots[item];
    slot = std::move(text);
    return slot.c_str();
}

}  // namespace tessal::aplayer
