// The seventeen exported entry points. Each returns at once: state lives in the task
// table, and whatever aria2 must do is queued for the engine thread.

#include <iterator>

#include "engines/download/engine_instance.h"
#include "engines/download/engine_settings.h"
#include "engines/download/task_records.h"
#include "engines/download/temp_files.h"
#include "engines/download/thunder_url.h"
#include "engines/download/url_size.h"
#include "engines/download/wide_text.h"
#include "engines/download/xldl.h"

#define XLDL_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using tessal::xldl::CurrentEngine;
using tessal::xldl::EngineSettings;
using tessal::xldl::Task;

std::shared_ptr<Task> FindTask(XlTaskHandle handle) {
    const auto engine = CurrentEngine();
    return engine && handle != nullptr ? engine->tasks().Find(handle) : nullptr;
}

std::string Utf8FromText(const char16_t* text) {
    if (text == nullptr)
        return {};
    std::u16string_view view(text);
    return tessal::xldl::Utf8FromWide(view);
}

}  // namespace

XLDL_EXPORT XlBool XL_Init() {
    return tessal::xldl::InitEngine() ? 1 : 0;
}

XLDL_EXPORT XlBool XL_UnInit() {
    return tessal::xldl::UnInitEngine() ? 1 : 0;
}

XLDL_EXPORT XlTaskHandle XL_CreateTask(const XlTaskParam* param) {
    const auto engine = CurrentEngine();
    if (param == nullptr || !engine)
        return nullptr;
    auto request = tessal::xldl::RequestFromParam(*param);
    if (request.url.empty() || request.file_name.empty() || request.folder.empty())
        return nullptr;
    return tessal::xldl::TaskTable::HandleOf(*engine->tasks().Add(std::move(request)));
}

XLDL_EXPORT XlBool XL_DeleteTask(XlTaskHandle handle) {
    const auto engine = CurrentEngine();
    const auto task = FindTask(handle);
    if (!engine || !task)
        return 0;
    if (!task->deleted.exchange(true))
        engine->DeleteTask(task);
    return 1;
}

// A task starts once; a stopped one is resumed by a new task for the same file.
XLDL_EXPORT XlBool XL_StartTask(XlTaskHandle handle) {
    const auto engine = CurrentEngine();
    const auto task = FindTask(handle);
    if (!engine || !task || task->deleted || task->stop_requested)
        return 0;
    if (task->start_requested.exchange(true))
        return 0;
    engine->StartTask(task);
    return 1;
}

XLDL_EXPORT XlBool XL_StopTask(XlTaskHandle handle) {
    const auto engine = CurrentEngine();
    const auto task = FindTask(handle);
    if (!engine || !task || task->deleted)
        return 0;
    if (task->state == tessal::xldl::Aria2State::kComplete)
        return 1;
    if (!task->stop_requested.exchange(true))
        engine->StopTask(task);
    return 1;
}

XLDL_EXPORT XlBool XL_QueryTaskInfoEx(XlTaskHandle handle, XlTaskInfo* info) {
    if (info == nullptr)
        return 0;
    const auto task = FindTask(handle);
    if (!task) {
        info->status = kXlFailed;
        return 0;
    }
    tessal::xldl::FillInfo(*task, *info);
    return 1;
}

XLDL_EXPORT XlBool XL_QueryTaskInfo(XlTaskHandle handle, XlTaskInfo* info) {
    return XL_QueryTaskInfoEx(handle, info);
}

XLDL_EXPORT void XL_SetSpeedLimit(std::int32_t kib_per_second) {
    const std::int64_t bytes = kib_per_second > 0 ? std::int64_t{kib_per_second} * 1024 : 0;
    EngineSettings::Instance().SetDownloadLimit(bytes);
    if (const auto engine = CurrentEngine())
        engine->SetDownloadLimit(bytes);
}

// The engine never uploads.
XLDL_EXPORT void XL_SetUploadSpeedLimit(std::int32_t, std::int32_t) {}

#ifndef XLDL_WITHOUT_DELTEMPFILE
XLDL_EXPORT XlBool XL_DelTempFile(const XlTaskParam* param) {
    if (param == nullptr)
        return 0;
    const auto request = tessal::xldl::RequestFromParam(*param);
    if (request.file_name.empty() || request.folder.empty())
        return 0;
    const auto engine = CurrentEngine();
    return tessal::xldl::RemoveTempFiles(request.FilePath(), engine ? &engine->tasks() : nullptr)
               ? 1
               : 0;
}
#endif

// HTTP proxies only: aria2 has no SOCKS support.
XLDL_EXPORT XlBool XL_SetProxy(const XlProxyInfo* proxy) {
    if (proxy == nullptr)
        return 0;
    if (proxy->type == 0) {
        EngineSettings::Instance().SetProxy({});
        return 1;
    }
    const std::string host = tessal::xldl::Utf8FromField(proxy->host, std::size(proxy->host));
    if (proxy->type != 1 || host.empty() || proxy->port <= 0 || proxy->port > 65535)
        return 0;
    EngineSettings::Instance().SetProxy(
        {"http://" + host + ":" + std::to_string(proxy->port),
         tessal::xldl::Utf8FromField(proxy->user, std::size(proxy->user)),
         tessal::xldl::Utf8FromField(proxy->password, std::size(proxy->password))});
    return 1;
}

XLDL_EXPORT void XL_SetUserAgent(const char16_t* user_agent) {
    EngineSettings::Instance().SetUserAgent(Utf8FromText(user_agent));
}

XLDL_EXPORT XlBool XL_GetFileSizeWithUrl(const char16_t* url, std::int64_t* size) {
    if (url == nullptr || size == nullptr)
        return 0;
    const auto found =
        tessal::xldl::FileSizeOfUrl(Utf8FromText(url), EngineSettings::Instance().Snapshot());
    if (!found)
        return 0;
    *size = *found;
    return 1;
}

XLDL_EXPORT XlBool XL_ParseThunderPrivateUrl(const char16_t* private_url, char16_t* plain_url,
                                             std::int32_t capacity) {
    if (private_url == nullptr || plain_url == nullptr || capacity <= 0)
        return 0;
    const auto plain = tessal::xldl::PlainUrlOfThunderLink(Utf8FromText(private_url));
    if (!plain)
        return 0;
    const std::u16string wide = tessal::xldl::WideFromUtf8(*plain);
    if (wide.size() >= static_cast<std::size_t>(capacity))
        return 0;
    tessal::xldl::CopyToField(wide, plain_url, static_cast<std::size_t>(capacity));
    return 1;
}

// Hints the engine has no use for; accepted so that callers need not tell engines apart.
XLDL_EXPORT XlBool XL_SetAdditionInfo(XlTaskHandle, const char*, std::int32_t) {
    return 1;
}

XLDL_EXPORT XlBool XL_SetFileIdAndSize(XlTaskHandle, const char*, std::int64_t) {
    return 1;
}
