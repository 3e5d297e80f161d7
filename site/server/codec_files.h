#pragma once

// The codec host's files: the engine and the decoder and filter libraries that the codec
// updater fetches again. Their bytes are made up but fixed, so a test can check what
// landed where.

#include <string>
#include <vector>

namespace tessal::site {

inline constexpr const char* kCodecFolderPath = "/TessalClient/codecs/";
inline constexpr const char* kFilterFolderPath = "/TessalClient/codecs/lavfilters/";
inline constexpr const char* kEnginePath = "/TessalClient/APlayer.dll";

std::vector<std::string> CodecFilePaths();
// The same bytes for the same path on every run.
std::string CodecFileContent(const std::string& path);

}  // namespace tessal::site
