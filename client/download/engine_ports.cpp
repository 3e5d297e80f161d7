#include "client/download/engine_ports.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "common/base/text_codec.h"

namespace tessal::client {
namespace {

constexpr auto kStopCheck = std::chrono::milliseconds(50);

template <std::size_t N>
bool CopyWide(char16_t (&target)[N], const std::u16string& wide) {
    if (wide.size() >= N)
        return false;
    std::copy(wide.begin(), wide.end(), target);
    target[wide.size()] = u'\0';
    return true;
}

// True after `ms`, or as soon as `over` says so; false once the client ends.
bool WaitUnlessStopped(const StopSignal& stop, int ms,
                       const std::function<bool()>& over = nullptr) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!stop.raised()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= end || (over && over()))
            return true;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(kStopCheck, end - now));
    }
    return false;
}

}  // namespace

std::unique_ptr<XlTaskParam> MakeTaskParam(const std::string& url, const std::string& file_name,
                                           const std::filesystem::path& folder) {
    auto param = std::make_unique<XlTaskParam>();  // zero-filled
    if (!CopyWide(param->url, WideFromUtf8(url)) ||
        !CopyWide(param->file_name, WideFromUtf8(file_name)) ||
        !CopyWide(param->save_folder, WideFromUtf8(folder.string())))
        return nullptr;
    param->only_from_given_address = 0;
    param->reserved5 = 5;
    param->disable_auto_rename = 0;
    param->resume = 1;
    return param;
}

DownloadWorkerPorts EnginePorts(const DownloadEngine& engine, XlTaskHandle task,
                                const StopSignal& stop) {
    DownloadWorkerPorts ports;
    ports.query = [&engine, task](XlTaskInfo& info) { return engine.QueryTask(task, info); };
    ports.delete_task = [&engine, task] { engine.DeleteTask(task); };
    ports.delete_temporary = [&engine](const std::u16string& file_name,
                                       const std::filesystem::path& folder) {
        const DownWrapper* wrapper = engine.wrapper();
        if (wrapper == nullptr || wrapper->XL_DelTempFile == nullptr)
            return true;  // an engine without it leaves them; nothing to try again
        auto param = std::make_unique<XlTaskParam>();
        if (!CopyWide(param->file_name, file_name) ||
            !CopyWide(param->save_folder, WideFromUtf8(folder.string())))
            return true;
        return wrapper->XL_DelTempFile(param.get()) != 0;
    };
    ports.rename = [](const std::filesystem::path& from, const std::filesystem::path& to) {
        std::error_code error;
        std::filesystem::rename(from, to, error);
        return !error;
    };
    ports.wait = [&stop](int ms) { return WaitUnlessStopped(stop, ms); };
    ports.poll_wait = [&engine, task, &stop](int ms) {
        return WaitUnlessStopped(stop, ms, [&engine, task] {
            XlTaskInfo info{};
            return engine.QueryTask(task, info) &&
                   (info.status == kXlComplete || info.status == kXlFailed ||
                    info.status == kXlPaused);
        });
    };
    ports.ending = [&stop] { return stop.raised(); };
    return ports;
}

}  // namespace tessal::client
