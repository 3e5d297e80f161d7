#include "engines/video/mpv_session.h"

#include <clocale>
#include <cstdlib>

namespace tessal::aplayer {
namespace {

// Fixed for every engine: video through our render context, no window or terminal of
// mpv's own, no user configuration or scripts that could change what the player sees,
// and none of mpv's built-in scripts, each of which would run a Lua thread for nothing.
constexpr std::pair<const char*, const char*> kBaseOptions[] = {
    {"config", "no"},
    {"load-scripts", "no"},
    {"load-stats-overlay", "no"},
    {"load-osd-console", "no"},
    {"load-auto-profiles", "no"},
    {"ytdl", "no"},
    {"terminal", "no"},
    {"input-default-bindings", "no"},
    {"input-vo-keyboard", "no"},
    {"osc", "no"},
    {"idle", "yes"},
    {"keep-open", "no"},
    {"audio-display", "no"},
    {"vo", "libmpv"},
    {"hwdec", "no"},
    // Frames are handed to the render path at their display time, so rendering on the
    // GUI thread never waits for one.
    {"video-timing-offset", "0"},
    {"volume", "50"},
    {"volume-max", "100"},
};

bool SetOption(mpv_handle* mpv, const std::string& name, const std::string& value,
               std::string& error) {
    const int result = mpv_set_option_string(mpv, name.c_str(), value.c_str());
    if (result < 0) {
        error = "mpv option " + name + "=" + value + ": " + mpv_error_string(result);
        return false;
    }
    return true;
}

bool SetOptions(mpv_handle* mpv, std::string& error) {
    for (const auto& [name, value] : kBaseOptions) {
        if (!SetOption(mpv, name, value, error))
            return false;
    }
    const char* extra = std::getenv(kExtraOptionsVariable);
    for (const auto& [name, value] : ParseOptionList(extra != nullptr ? extra : "")) {
        if (!SetOption(mpv, name, value, error))
            return false;
    }
    return true;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> ParseOptionList(std::string_view text) {
    std::vector<std::pair<std::string, std::string>> options;
    while (!text.empty()) {
        const auto comma = text.find(',');
        const auto entry = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        if (entry.empty())
            continue;
        const auto equals = entry.find('=');
        if (equals == std::string_view::npos)
            options.emplace_back(std::string(entry), "yes");
        else
            options.emplace_back(std::string(entry.substr(0, equals)),
                                 std::string(entry.substr(equals + 1)));
    }
    return options;
}

mpv_handle* CreateMpvSession(std::string& error) {
    // mpv refuses to start unless numbers are formatted the C way; Qt sets the locale
    // from the environment when the application object is made.
    std::setlocale(LC_NUMERIC, "C");
    mpv_handle* mpv = mpv_create();
    if (mpv == nullptr) {
        error = "mpv_create failed";
        return nullptr;
    }
    if (!SetOptions(mpv, error)) {
        mpv_terminate_destroy(mpv);
        return nullptr;
    }
    const int result = mpv_initialize(mpv);
    if (result < 0) {
        error = std::string("mpv_initialize: ") + mpv_error_string(result);
        mpv_terminate_destroy(mpv);
        return nullptr;
    }
    return mpv;
}

}  // namespace tessal::aplayer
