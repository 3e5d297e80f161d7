#pragma once

// The configuration items of the engine: which values each accepts, and the text that
// APlayer_GetConfigA/W hand out, kept alive for the caller.

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

// Text handed to callers of APlayer_GetConfigA/W: one slot per calling thread, item and
// width, replaced only when the same thread reads the same item again. Nothing else
// touches it, so the text stays valid while its thread copies it, even when another
// thread destroys the engine meanwhile.
const char* KeepForThisThread(int item, std::string text);
const char16_t* KeepWideForThisThread(int item, std::u16string text);

}  // namespace tessal::aplayer
