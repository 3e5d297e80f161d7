#pragma once

// The files the codec updater fetches again, in the order it fetches them: the decoder
// libraries, the filter libraries, then the engine into both places the player loads it from.

#include <filesystem>
#include <string>
#include <vector>

namespace tessal::codecs {

struct CodecDownload {
    std::string url_path;         // on the codec host, from "/"
    std::filesystem::path local;  // relative to the program folder
    std::string start_message;    // printed before the download
    std::string label;            // printed before " 更新成功" or " 更新失败"
};

const std::vector<CodecDownload>& CodecDownloads();

}  // namespace tessal::codecs
