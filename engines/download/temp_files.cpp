#include "engines/download/temp_files.h"

namespace tessal::xldl {

bool RemoveTempFiles(const std::filesystem::path& file, const TaskTable* tasks) {
    if (file.filename().empty())
        return false;
    if (tasks != nullptr && tasks->FileInUse(file))
        return false;
    std::filesystem::path control = file;
    control += ".aria2";
    std::error_code error;
    std::filesystem::remove(file, error);
    std::filesystem::remove(control, error);
    return !std::filesystem::exists(file, error) && !std::filesystem::exists(control, error);
}

}  // namespace tessal::xldl
