#include "codec_updater/codec_downloads.h"

#include <string_view>

#include "engines/video/loader/aplayer_functions.h"

namespace tessal::codecs {
namespace {

constexpr std::string_view kCodecFolderUrl = "/TessalClient/codecs/";
constexpr std::string_view kFilterFolderUrl = "/TessalClient/codecs/lavfilters/";
constexpr std::string_view kEngineUrl = "/TessalClient/APlayer.dll";

constexpr std::string_view kCodecFiles[] = {"adetection.dll",
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

constexpr std::string_view kFilterFiles[] = {
    "avcodec-56.dll",        "avfilter-5.dll",   "avformat-56.dll",
    "avresample-2.dll",      "avutil-54.dll",    "lavvideo.dll",
    "lavvideo.dll.manifest", "swresample-1.dll", "swscale-3.dll"};

CodecDownload NamedFile(std::string_view folder_url, const std::filesystem::path& folder,
                        std::string_view name) {
    const std::string text(name);
    return {std::string(folder_url) + text, folder / text, "开始更新" + text, text};
}

CodecDownload Engine(const std::filesystem::path& local, const std::string& label) {
    return {std::string(kEngineUrl), local, label + " 开始更新", label};
}

std::vector<CodecDownload> BuildDownloads() {
    std::vector<CodecDownload> downloads;
    for (std::string_view name : kCodecFiles) {
        downloads.push_back(NamedFile(kCodecFolderUrl, "codecs", name));
    }
    for (std::string_view name : kFilterFiles) {
        downloads.push_back(NamedFile(kFilterFolderUrl, "codecs/lavfilters", name));
    }
    // The engine goes where the installed caller loads it from, under the same name.
    downloads.push_back(Engine(kAPlayerEngineLibrary, "APlayer1"));
    downloads.push_back(Engine(std::filesystem::path("Apdll") / kAPlayerEngineLibrary, "APlayer2"));
    return downloads;
}

}  // namespace

const std::vector<CodecDownload>& CodecDownloads() {
    static const std::vector<CodecDownload> downloads = BuildDownloads();
    return downloads;
}

}  // namespace tessal::codecs
