#include "client/shell/installation_check.h"

namespace tessal::client {
namespace {

constexpr const char* kRequiredFiles[] = {"libAPlayerCaller.so", "libxldl.so", "cache/cache.dll",
                                          "codecs/Course.dll", "TessalUpdata"};

}  // namespace

std::optional<std::string> FirstMissingFile(const std::filesystem::path& program_folder) {
    for (const char* file : kRequiredFiles) {
        std::error_code error;
        if (!std::filesystem::exists(program_folder / file, error))
            return file;
    }
    return std::nullopt;
}

}  // namespace tessal::client
