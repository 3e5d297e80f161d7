#include "player/core/view_history.h"

#include <fcntl.h>
#include <stdio.h>
#include <tinyxml2.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string_view>

namespace tessal::player {
namespace fs = std::filesystem;
namespace {

// More records than any member closes lessons in one second.
constexpr int kMaxNameTries = 1000;

std::string RecordText(const ViewRecord& record) {
    tinyxml2::XMLDocument document;
    tinyxml2::XMLElement* body = document.NewElement("body");
    document.InsertEndChild(body);
    tinyxml2::XMLElement* view = body->InsertNewChildElement("view");
    view->InsertNewChildElement("name");
    view->InsertNewChildElement("ip")->SetText(
        (record.ip.empty() ? std::string(kUnknownAddress) : record.ip).c_str());
    view->InsertNewChildElement("begin")->SetText(record.begin.c_str());
    view->InsertNewChildElement("end")->SetText(record.end.c_str());
    view->InsertNewChildElement("uid")->SetText(record.uid.c_str());
    tinyxml2::XMLPrinter printer;
    document.Print(&printer);
    return printer.CStr();
}

std::string NameStem(const std::tm& now) {
    char stem[64];
    std::snprintf(stem, sizeof stem, "%04d%02d%02d%02d%02d%02d", now.tm_year + 1900, now.tm_mon + 1,
                  now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec);
    return stem;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// A complete, synced temporary file in the folder; empty path on failure.
fs::path WriteTemporary(const fs::path& folder, std::string_view bytes) {
    std::string pattern = (folder / ".view-XXXXXX").string();
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written) {
        ::unlink(pattern.c_str());
        return {};
    }
    return pattern;
}

enum class Claim { kDone, kTaken, kFailed };

// Gives the temporary the name unless a file has it: a hard link never replaces, and
// where the file system has none, a rename that refuses to replace does the same.
Claim ClaimName(const fs::path& temporary, const fs::path& name) {
    if (::link(temporary.c_str(), name.c_str()) == 0) {
        ::unlink(temporary.c_str());
        return Claim::kDone;
    }
    if (errno == EEXIST) {
        return Claim::kTaken;
    }
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0) {
        return Claim::kDone;
    }
    return errno == EEXIST ? Claim::kTaken : Claim::kFailed;
}

}  // namespace

std::string ViewTime(const std::tm& local) {
    char text[96];
    std::snprintf(text, sizeof text, "%i-%i-%i %i:%i:%i", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

fs::path WriteViewRecord(const fs::path& history_folder, const ViewRecord& record,
                         const std::tm& now) {
    if (record.uid.empty()) {
        return {};
    }
    const fs::path temporary = WriteTemporary(history_folder, RecordText(record));
    if (temporary.empty()) {
        return {};
    }
    const std::string stem = NameStem(now);
    for (int number = 1; number <= kMaxNameTries; ++number) {
        const std::string suffix = number == 1 ? "" : "-" + std::to_string(number);
        const fs::path name = history_folder / (stem + suffix + ".xml");
        const Claim claim = ClaimName(temporary, name);
        if (claim == Claim::kDone) {
            return name;
        }
        if (claim == Claim::kFailed) {
            break;
        }
    }
    ::unlink(temporary.c_str());
    return {};
}

}  // namespace tessal::player
