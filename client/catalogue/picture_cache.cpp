#include "client/catalogue/picture_cache.h"

namespace tessal::client {

std::string PictureFileName(std::string_view url) {
    std::size_t separator = url.rfind('/');
    if (separator == std::string_view::npos)
        separator = url.rfind('\\');
    if (separator == std::string_view::npos)
        return {};
    return std::string(url.substr(separator + 1));
}

std::optional<std::filesystem::path> PictureCachePath(const std::filesystem::path& program_folder,
                                                      std::string_view url) {
    const std::string name = PictureFileName(url);
    // A URL ending in "\.." keeps its "\" inside the name; it stays one file name on
    // Linux, so only the names that are not files at all are refused.
    if (name.empty() || name == "." || name == "..")
        return std::nullopt;
    return program_folder / kPictureFolder / name;
}

}  // namespace tessal::client
