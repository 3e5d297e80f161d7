#include "updater/group_installer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string_view>
#include <system_error>

#include "common/files/md5.h"
#include "updater/installed_mode.h"
#include "updater/update_list.h"

namespace tessal::updater {
namespace {

struct ItemPaths {
    std::string staged;  // "./New/" + name
    std::string target;  // "./New/" + truename
    std::string local;
};

bool IsFolder(const std::string& path) {
    std::error_code failure;
    return std::filesystem::is_directory(std::filesystem::symlink_status(path, failure));
}

bool Exists(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

// The staged file takes the name the list gives it, replacing an older file of that name.
// Without a staged file the one under that name stays: a run ended between this rename and
// the move into place left it there, and its digest decides as for a fresh one.
void RenameStaged(const ItemPaths& paths) {
    if (paths.staged == paths.target || !Exists(paths.staged)) {
        return;
    }
    ::unlink(paths.target.c_str());  // like a file delete: never removes a folder
    ::rename(paths.staged.c_str(), paths.target.c_str());
}

// One rename replaces the installed file: there is no moment without it. A missing
// folder on the way to "local" makes it fail, and no folder is created for it.
bool ReplaceInstalled(const UpdaterContext& context, const ItemPaths& paths) {
    if (::rename(paths.target.c_str(), paths.local.c_str()) == 0) {
        return true;
    }
    if (IsFolder(paths.local)) {
        context.log.Write("remove:" + paths.local + "  fail");
    }
    context.log.Write("MoveFile:" + paths.staged + "To:" + paths.local + "  fail");
    return false;
}

bool IsConfined(const UpdaterContext& context, const tinyxml2::XMLElement& item,
                const ItemPaths& paths) {
    return context.Confined(Attribute(item, "name"), paths.staged) &&
           context.Confined(Attribute(item, "truename"), paths.target) &&
           context.Confined(paths.local, paths.local);
}

// False when the item's priority stops the group.
bool InstallItem(const UpdaterContext& context, const tinyxml2::XMLElement& item,
                 bool program_group, int& priority_counter) {
    const std::string md5 = Attribute(item, "md5");
    const std::string name = Attribute(item, "name");
    const std::string priority = Attribute(item, "priority");
    const ItemPaths paths{"./New/" + name, "./New/" + Attribute(item, "truename"),
                          Attribute(item, "local")};
    if (!priority.empty() && DecimalValue(priority) != priority_counter + 1) {
        return false;
    }
    if (md5.empty() || name.empty() || paths.local.empty() || !IsConfined(context, item, paths)) {
        return true;
    }
    RenameStaged(paths);
    if (!SameDigest(FileMd5(paths.target), md5)) {
        priority_counter = DecimalValue(priority);
        return true;
    }
    TakeInstalledMode(paths.target, paths.local, program_group);
    if (ReplaceInstalled(context, paths)) {
        priority_counter = DecimalValue(priority);
    }
    return true;
}

}  // namespace

void InstallGroup(const UpdaterContext& context, const tinyxml2::XMLElement& group,
                  int& priority_counter) {
    const bool program_group = std::string_view(group.Name()) == kProgramGroup;
    ForEachItem(group, [&](const tinyxml2::XMLElement& item) {
        return InstallItem(context, item, program_group, priority_counter);
    });
}

}  // namespace tessal::updater
