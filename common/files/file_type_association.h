#pragma once

// Ties the lesson file type to TessalPlayer for the user's desktop: a shared-mime-info
// type for the extension, a desktop entry that opens a file with the player, and the
// default-application entry, all under the user's XDG data and config folders.

#include <filesystem>
#include <string>
#include <string_view>

namespace tessal {

struct FileTypeRegistration {
    std::string extension;    // ".tessal"
    std::string prog_id;      // "TessalClient.tessal.1.0"; names the written files
    std::string description;  // "TessalClient Interpretation Files"
    std::filesystem::path icon_path;
    std::filesystem::path command_path;  // the program that opens the file
};

// Writes the MIME package, the desktop entry and the default application, each file
// replaced atomically, then refreshes the desktop's caches when their tools are
// installed. False when the registration is unusable or a file cannot be written.
bool RegisterFileType(const FileTypeRegistration& registration);

// "application/x-" and the extension in lower case without its dot ("application/x-tessal");
// empty when the extension is empty or holds characters a MIME type cannot.
std::string MimeTypeOfExtension(std::string_view extension);

// The Exec value that starts `command_path` with the opened file: the path, quoted when
// it must be and escaped as desktop entries require, then " %f".
std::string DesktopExecValue(const std::filesystem::path& command_path);

}  // namespace tessal
