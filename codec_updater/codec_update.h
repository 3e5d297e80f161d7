#pragma once

// One run of the codec updater: end the player, fetch every codec file again over the
// installed one, print the totals and wait for the member to dismiss the console.

#include <chrono>
#include <filesystem>
#include <functional>
#include <istream>
#include <string>
#include <string_view>

namespace tessal::codecs {

// What the run does to the world, passed in by the program (and by tests as fakes).
struct CodecUpdateActions {
    std::function<void(std::string_view message)> print;
    std::function<void(std::chrono::milliseconds wait)> wait;
    std::function<void()> end_player;
    std::function<bool(const std::string& url, const std::filesystem::path& local)> download;
};

struct CodecUpdateTotals {
    int succeeded = 0;
    int failed = 0;
};

// `codec_host_url` is "http://host:port" without a trailing "/". Reads one line of
// `input` at the end; end of input counts as that line.
CodecUpdateTotals RunCodecUpdate(const std::string& codec_host_url,
                                 const CodecUpdateActions& actions, std::istream& input);

}  // namespace tessal::codecs
