#include "client/shell/installation_check.h"

#include <string_view>

#include "client/download/down_wrapper.h"
#include "common/gui/web/ewe_library.h"
#include "engines/video/loader/aplayer_functions.h"
#include "engines/video/loader/aplayer_loader.h"

namespace tessal::client {
namespace {

// The engines by the names they are loaded with, in the system's order: the video engine
// itself first, then its caller, the web engine ("ewe.dll"), the download engine.
constexpr std::string_view kRequiredFiles[] = {kAPlayerEngineLibrary,
                                               APlayerLoader::kLibraryName,
                                               gui::EweLibrary::kLibraryName,
                                               DownWrapper::kLibraryName,
                                               "cache/cache.dll",
                                               "codecs/Course.dll",
                                               "TessalUpdata"};

}  // namespace

std::optional<std::string> FirstMissingFile(const std::filesystem::path& program_folder) {
    for (const std::string_view file : kRequiredFiles) {
        std::error_code error;
        if (!std::filesystem::exists(program_folder / file, error))
            return std::string(file);
    }
    return std::nullopt;
}

}  // namespace tessal::client
