#pragma once

// The built libxldl.so, loaded by full path and driven the way the client drives it.

#include <dlfcn.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/base/text_codec.h"
#include "engines/download/xldl.h"

namespace tessal::xldl::test {

struct EngineLibrary {
    explicit EngineLibrary(const char* path) : module(::dlopen(path, RTLD_NOW | RTLD_LOCAL)) {
        Resolve(init, "XL_Init");
        Resolve(uninit, "XL_UnInit");
        Resolve(create, "XL_CreateTask");
        Resolve(remove, "XL_DeleteTask");
        Resolve(start, "XL_StartTask");
        Resolve(stop, "XL_StopTask");
        Resolve(query, "XL_QueryTaskInfoEx");
        Resolve(del_temp_file, "XL_DelTempFile");
        Resolve(parse_thunder, "XL_ParseThunderPrivateUrl");
        Resolve(set_speed_limit, "XL_SetSpeedLimit");
        Resolve(set_proxy, "XL_SetProxy");
        Resolve(set_user_agent, "XL_SetUserAgent");
        Resolve(file_size_of_url, "XL_GetFileSizeWithUrl");
    }
    // Never unloaded: a library that leaves a thread behind would crash here instead of
    // failing its test.
    EngineLibrary(const EngineLibrary&) = delete;
    EngineLibrary& operator=(const EngineLibrary&) = delete;

    template <typename Function>
    void Resolve(Function*& function, const char* name) {
        function = module ? reinterpret_cast<Function*>(::dlsym(module, name)) : nullptr;
    }

    void* module;
    XL_Init_t* init = nullptr;
    XL_UnInit_t* uninit = nullptr;
    XL_CreateTask_t* create = nullptr;
    XL_DeleteTask_t* remove = nullptr;
    XL_StartTask_t* start = nullptr;
    XL_StopTask_t* stop = nullptr;
    XL_QueryTaskInfoEx_t* query = nullptr;
    XL_DelTempFile_t* del_temp_file = nullptr;
    XL_ParseThunderPrivateUrl_t* parse_thunder = nullptr;
    XL_SetSpeedLimit_t* set_speed_limit = nullptr;
    XL_SetProxy_t* set_proxy = nullptr;
    XL_SetUserAgent_t* set_user_agent = nullptr;
    XL_GetFileSizeWithUrl_t* file_size_of_url = nullptr;
};

inline EngineLibrary& Library() {
    static EngineLibrary library(TESSAL_XLDL_LIBRARY);
    return library;
}

template <std::size_t N>
void CopyWide(const std::string& utf8, char16_t (&field)[N]) {
    const std::u16string wide = WideFromUtf8(utf8);
    for (std::size_t i = 0; i < wide.size() && i + 1 < N; ++i)
        field[i] = wide[i];
}

// Zero-filled and set as the client sets it.
inline std::unique_ptr<XlTaskParam> TaskParam(const std::string& url, const std::string& name,
                                              const std::filesystem::path& folder) {
    auto param = std::make_unique<XlTaskParam>();
    CopyWide(url, param->url);
    CopyWide(name, param->file_name);
    CopyWide(folder.string(), param->save_folder);
    param->reserved5 = 5;
    param->resume = 1;
    return param;
}

// Preset as the client presets it before each query.
inline XlTaskInfo Query(XlTaskHandle task) {
    XlTaskInfo info{};
    info.status = kXlPaused;
    Library().query(task, &info);
    return info;
}

// Polls until `done` holds or the time is up; the distinct statuses seen, in order.
template <typename Done>
std::vector<int> PollUntil(XlTaskHandle task, Done done, std::chrono::milliseconds timeout) {
    std::vector<int> seen;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        const XlTaskInfo info = Query(task);
        if (seen.empty() || seen.back() != info.status)
            seen.push_back(info.status);
        if (done(info))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return seen;
}

inline std::vector<int> PollUntilStatus(XlTaskHandle task, int status,
                                        std::chrono::milliseconds timeout) {
    return PollUntil(
        task, [status](const XlTaskInfo& info) { return info.status == status; }, timeout);
}

inline int ThreadCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/task")) {
        ++count;
    }
    return count;
}

}  // namespace tessal::xldl::test
