#pragma once

// The files a working installation has beside TessalClient. A client without one of
// them tells the member to reinstall and ends before it changes anything.

#include <filesystem>
#include <optional>
#include <string>

namespace tessal::client {

inline constexpr const char* kIncompleteText = "您的客户端的文件不完整，请去Tessal网站重新下载安装";
inline constexpr const char* kIncompleteCaption = "文件不完整";

// The first required file missing from `program_folder`, in the order checked.
std::optional<std::string> FirstMissingFile(const std::filesystem::path& program_folder);

}  // namespace tessal::client
