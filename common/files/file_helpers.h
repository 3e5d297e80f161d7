#pragma once

// Whole-file operations and path texts shared by client, player and updater.
// Path texts may use "/" or "\\" as separators; the programs build them with "/".

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tessal {

// Size in bytes; 0 when the path cannot be opened or is not a regular file.
std::uint64_t FileSize(const std::filesystem::path& path);

// The contents up to the first zero byte; empty when the file cannot be read.
std::string ReadWholeFile(const std::filesystem::path& path);

// Copies `source` over `destination`, which then holds either its old contents or the
// whole copy, never a part. False when either cannot be opened, when both name the same
// file, or when the copy fails (a full disk, say).
bool CopyFile(const std::filesystem::path& source, const std::filesystem::path& destination);

// Appends the path of every file below `folder`, depth first and in byte-wise name order
// within each folder. Folders are not listed; symbolic links to folders are neither listed
// nor followed; a folder that cannot be read adds nothing.
void WalkDirectory(const std::filesystem::path& folder, std::vector<std::string>& files);

// The text after the last "/"; when there is none, after the last "\\"; else empty.
std::string FileNameOfPath(std::string_view path);

// The text up to and including the separator FileNameOfPath cuts at; else empty.
std::string FolderOfPath(std::string_view path);

}  // namespace tessal
