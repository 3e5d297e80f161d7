#include "site/server/codec_files.h"

#include <cstdint>

namespace tessal::site {
namespace {

constexpr const char* kCodecFiles[] = {"adetection.dll",
                                       "agif.dll",
                                       "aplayerdlna.dll",
                                       "apng.dll",
                                       "audioswitcher.dll",
                                       "avx2.dll",
                                       "coreaac.ax",
                                       "d3dx9_43.dll",
                                       "evrcp.dll",
                                       "ijl15.dll",
                                       "intelwidiextensions.dll",
                                       "mp4splitter.dll",
                                       "vsfilter.dll"};
constexpr const char* kFilterFiles[] = {
    "avcodec-56.dll",        "avfilter-5.dll",   "avformat-56.dll",
    "avresample-2.dll",      "avutil-54.dll",    "lavvideo.dll",
    "lavvideo.dll.manifest", "swresample-1.dll", "swscale-3.dll"};

std::uint64_t Fnv1a(const std::string& text) {
    std::uint64_t hash = 1469598103934665603ULL;
    for (unsigned char c : text)
        hash = (hash ^ c) * 1099511628211ULL;
    return hash;
}

}  // namespace

std::vector<std::string> CodecFilePaths() {
    std::vector<std::string> paths;
    for (const char* name : kCodecFiles)
        paths.push_back(std::string(kCodecFolderPath) + name);
    for (const char* name : kFilterFiles)
        paths.push_back(std::string(kFilterFolderPath) + name);
    paths.emplace_back(kEnginePath);
    return paths;
}

std::string CodecFileContent(const std::string& path) {
    std::uint64_t state = Fnv1a(path);
    std::string content = "Tessal demo codec file " + path + "\n";
    const std::size_t size = 4096 + state % 28672;
    while (content.size() < size) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        content += static_cast<char>(state >> 56);
    }
    return content;
}

}  // namespace tessal::site
