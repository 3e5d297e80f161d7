#pragma once

// The download engine libxldl.so, loaded at run time by full path, with its seventeen
// entry points resolved by name. A name the library does not export leaves its pointer
// null; every caller tests the pointer and skips the call when it is null.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "engines/download/xldl.h"

namespace tessal {

class DownWrapper final {
public:
    static constexpr std::string_view kLibraryName = "libxldl.so";
    // The text a failed load reports; the client has always shown this one.
    static constexpr std::string_view kLoadError = "can not load xldl.dll";

    // Loads `folder`/libxldl.so. Null with `error` set to kLoadError when it cannot be
    // loaded.
    static std::unique_ptr<DownWrapper> Load(const std::filesystem::path& folder,
                                             std::string& error);
    // Loads the library at that full path; same failure as Load.
    static std::unique_ptr<DownWrapper> LoadFile(const std::filesystem::path& library,
                                                 std::string& error);

    ~DownWrapper();  // unloads the library
    DownWrapper(const DownWrapper&) = delete;
    DownWrapper& operator=(const DownWrapper&) = delete;

private:
    explicit DownWrapper(void* module);
    void* module_;

public:
    // Set once while the wrapper is built and never changed, so worker threads read them
    // without a lock. Declared in the engine header's order, which is the order they are
    // resolved in.
    XL_Init_t* const XL_Init;
    XL_UnInit_t* const XL_UnInit;
    XL_CreateTask_t* const XL_CreateTask;
    XL_DeleteTask_t* const XL_DeleteTask;
    XL_StartTask_t* const XL_StartTask;
    XL_StopTask_t* const XL_StopTask;
    XL_QueryTaskInfo_t* const XL_QueryTaskInfo;
    XL_QueryTaskInfoEx_t* const XL_QueryTaskInfoEx;
    XL_SetSpeedLimit_t* const XL_SetSpeedLimit;
    XL_SetUploadSpeedLimit_t* const XL_SetUploadSpeedLimit;
    XL_DelTempFile_t* const XL_DelTempFile;
    XL_SetProxy_t* const XL_SetProxy;
    XL_SetUserAgent_t* const XL_SetUserAgent;
    XL_GetFileSizeWithUrl_t* const XL_GetFileSizeWithUrl;
    XL_ParseThunderPrivateUrl_t* const XL_ParseThunderPrivateUrl;
    XL_SetAdditionInfo_t* const XL_SetAdditionInfo;
    XL_SetFileIdAndSize_t* const XL_SetFileIdAndSize;
};

}  // namespace tessal
