#pragma once

// The configuration items of the engine: which values each accepts, and the text that
// APlayer_GetConfigA/W hand out, which the engine keeps alive for the caller.

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace tessal::aplayer {

inline constexpr int kMinSpeedPercent = 50;
inline constexpr int kMaxSpeedPercent = 400;
inline constexpr int kRenderModeOpenGl = 1;
inline constexpr int kRenderModeSoftware = 2;

// The whole text as a decimal integer (optional sign, no spaces); nothing otherwise.
std::optional<int> ParseDecimal(std::string_view text);
// The speed in percent when `text` is one within range.
std::optional<int> ParseSpeedPercent(std::string_view text);
// The render mode when `text` is "1" or "2".
std::optional<int> ParseRenderMode(std::string_view text);

// Text handed to callers, one slot per item and width. A slot is replaced only when the
// same item is read again, so a pointer stays valid while the caller copies it.
class ConfigTexts {
public:
    const char* Keep(int item, std::string text);
    const char16_t* KeepWide(int item, std::u16string text);

private:
    std::mutex mutex_;
    std::map<int, std::string> narrow_;
    std::map<int, std::u16string> wide_;
};

}  // namespace tessal::aplayer
