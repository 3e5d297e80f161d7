#include "engines/download/task_records.h"

#include <iterator>

#include "engines/download/task_status.h"
#include "engines/download/wide_text.h"

namespace tessal::xldl {

TaskSpec SpecFromParam(const XlTaskParam& param) {
    TaskSpec spec;
    spec.url = Utf8FromField(param.url, std::size(param.url));
    spec.file_name = Utf8FromField(param.file_name, std::size(param.file_name));
    spec.folder = Utf8FromField(param.save_folder, std::size(param.save_folder));
    spec.file_name_wide = WideFromUtf8(spec.file_name);
    return spec;
}

void FillInfo(const Task& task, XlTaskInfo& info) {
    const std::int32_t status = StatusOf(task);
    const std::int64_t total = task.total_bytes.load();
    const std::int64_t completed = task.completed_bytes.load();
    info.status = status;
    info.fail_code = status == kXlFailed ? task.error_code.load() : 0;
    CopyToField(task.spec.file_name_wide, info.file_name, std::size(info.file_name));
    info.total_size = total;
    info.downloaded_size = completed;
    if (status == kXlComplete) {
        info.progress = 1.0F;
    } else {
        info.progress =
            total > 0
                ? static_cast<float>(static_cast<double>(completed) / static_cast<double>(total))
                : 0.0F;
    }
}

}  // namespace tessal::xldl
