#include "common/files/file_type_association.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <system_error>
#include <thread>
#include <vector>

#include "common/base/atomic_write.h"
#include "common/base/runtime_paths.h"
#include "common/settings/ini_file.h"

extern char** environ;

namespace tessal {
namespace {

// The cache tools take well under a second; a hung one must not hold up start-up.
constexpr auto kToolTimeout = std::chrono::milliseconds(5000);
constexpr auto kToolPollInterval = std::chrono::milliseconds(10);
constexpr const char* kDefaultApplications = "Default Applications";

std::string EscapeXml(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

// The escapes every string value of a desktop entry goes through.
std::string EscapeDesktopString(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\t':
                escaped += "\\t";
                break;
            case '\r':
                escaped += "\\r";
                break;
            default:
                escaped += c;
        }
    }
    if (escaped.starts_with(' ')) {
        escaped.replace(0, 1, "\\s");
    }
    return escaped;
}

// One argument of an Exec line. It is quoted only when it holds a character the
// desktop entry format reserves, because simple readers (xdg-mime among them) take the
// first word of Exec as the program. Inside quotes four characters stay special.
// "%" is doubled everywhere so that it is not taken for a field code.
std::string ExecArgument(std::string_view argument) {
    constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    const bool quote = argument.find_first_of(kReserved) != std::string_view::npos;
    std::string text = quote ? "\"" : "";
    for (const char c : argument) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) {
            text += '\\';
        }
        text += c;
        if (c == '%') {
            text += '%';
        }
    }
    return quote ? text + '"' : text;
}

std::string_view WithoutDot(std::string_view extension) {
    return extension.starts_with('.') ? extension.substr(1) : extension;
}

std::string MimePackageXml(const FileTypeRegistration& registration, std::string_view mime_type) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
           "  <mime-type type=\"" +
           EscapeXml(mime_type) + "\">\n    <comment>" + EscapeXml(registration.description) +
           "</comment>\n    <glob pattern=\"*." + EscapeXml(WithoutDot(registration.extension)) +
           "\"/>\n  </mime-type>\n</mime-info>\n";
}

std::string DesktopEntryText(const FileTypeRegistration& registration, std::string_view mime_type) {
    std::string text = "[Desktop Entry]\nType=Application\n";
    text += "Name=" + EscapeDesktopString(registration.command_path.filename().string()) + "\n";
    text += "Comment=" + EscapeDesktopString(registration.description) + "\n";
    text += "Exec=" + DesktopExecValue(registration.command_path) + "\n";
    if (!registration.icon_path.empty()) {
        text += "Icon=" + EscapeDesktopString(registration.icon_path.string()) + "\n";
    }
    text += "Terminal=false\nNoDisplay=true\n";
    text += "MimeType=" + std::string(mime_type) + ";\n";
    return text;
}

bool WriteInFolder(const std::filesystem::path& file, std::string_view contents) {
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    return !error && WriteFileAtomically(file, contents);
}

// A member's mimeapps.list may be a link into a folder of their own settings: the default
// goes where the link points, and only when it is not there yet, so that no start of the
// client replaces the link or touches the file for nothing.
bool SetDefaultApplication(const std::filesystem::path& list, const std::string& mime_type,
                           const std::string& desktop_file) {
    std::error_code error;
    // Followed link by link, so that a link whose file is not made yet gets it where it
    // points, as the installer does; a loop is left as it is.
    std::filesystem::path target = list;
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(target, error); ++hops) {
        const std::filesystem::path next = std::filesystem::read_symlink(target, error);
        if (error)
            break;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    // A loop, or a chain longer than the system follows, is left as it is; so is anything
    // but a plain file (a FIFO would block the read, a device would be replaced).
    if (std::filesystem::is_symlink(target, error))
        return false;
    const auto kind = std::filesystem::status(target, error).type();
    if (kind != std::filesystem::file_type::regular &&
        kind != std::filesystem::file_type::not_found)
        return false;
    if (target != list)
        std::filesystem::create_directories(target.parent_path(), error);
    return UpdateProfile(target, [&](IniDocument& document) {
        if (document.Value(kDefaultApplications, mime_type) == desktop_file)
            return false;
        document.Set(kDefaultApplications, mime_type, desktop_file);
        return true;
    });
}

// Waits for `pid` until the deadline; a program still running then is killed.
void ReapWithin(pid_t pid, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return;
        }
        std::this_thread::sleep_for(kToolPollInterval);
    }
}

// Runs a desktop tool found on PATH with its output discarded; a missing tool is skipped.
void RunTool(const char* tool, const std::filesystem::path& folder) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_RDWR, 0);
    }
    std::string folder_text = folder.string();
    std::string tool_text = tool;
    char* const arguments[] = {tool_text.data(), folder_text.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, tool, &actions, nullptr, arguments, environ) == 0) {
        ReapWithin(pid, kToolTimeout);
    }
    posix_spawn_file_actions_destroy(&actions);
}

bool IsUsableName(std::string_view name) {
    return !name.empty() && name.find('/') == std::string_view::npos && name != "." && name != "..";
}

}  // namespace

std::string MimeTypeOfExtension(std::string_view extension) {
    std::string subtype(WithoutDot(extension));
    const auto allowed = [](unsigned char c) {
        return std::isalnum(c) || c == '-' || c == '+' || c == '.' || c == '_';
    };
    if (subtype.empty() || !std::all_of(subtype.begin(), subtype.end(), allowed)) {
        return {};
    }
    std::transform(subtype.begin(), subtype.end(), subtype.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return "application/x-" + subtype;
}

std::string DesktopExecValue(const std::filesystem::path& command_path) {
    return EscapeDesktopString(ExecArgument(command_path.string()) + " %f");
}

bool RegisterFileType(const FileTypeRegistration& registration) {
    const std::string mime_type = MimeTypeOfExtension(registration.extension);
    const std::filesystem::path data = UserDataFolder();
    const std::filesystem::path config = UserConfigFolder();
    if (mime_type.empty() || !IsUsableName(registration.prog_id) || data.empty() ||
        config.empty()) {
        return false;
    }
    const std::string desktop_file = registration.prog_id + ".desktop";
    std::error_code error;
    std::filesystem::create_directories(config, error);
    const bool written = WriteInFolder(data / "mime/packages" / (registration.prog_id + ".xml"),
                                       MimePackageXml(registration, mime_type)) &&
                         WriteInFolder(data / "applications" / desktop_file,
                                       DesktopEntryText(registration, mime_type));
    if (!written) {
        return false;
    }
    // A list that cannot be written (its link leads into a read-only folder) leaves the
    // member's default as it is, but the type is still known and TessalPlayer offered.
    RunTool("update-mime-database", data / "mime");
    RunTool("update-desktop-database", data / "applications");
    return SetDefaultApplication(config / "mimeapps.list", mime_type, desktop_file);
}

}  // namespace tessal
