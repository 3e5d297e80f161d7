#include "engines/download/task_records.h"

#include <iterator>

#include "engines/download/task_status.h"
#include "engines/download/wide_text.h"

namespace tessal::xldl {

TaskRequest RequestFromParam(const XlTaskParam& param) {
    TaskRequest request;
    request.url = Utf8FromField(param.url, std::size(param.url));
    request.file_name = Utf8FromField(param.file_name, std::size(param.file_name));
    request.folder = Utf8FromField(param.save_folder, std::size(param.save_folder));
    request.file_name_wide = WideFromUtf8(request.file_name);
    return request;
}

void FillInfo(const Task& task, XlTaskInfo& info) {
    const std::int32_t status = StatusOf(task);
    const std::int64_t total = task.total_bytes.load();
    const std::int64_t completed = task.completed_bytes.load();
    info.status = status;
    info.fail_code = status == kXlFailed ? task.error_code.load() : 0;
    CopyToField(task.request.file_name_wide, info.file_name, std::size(info.file_name));
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
