#include "client/download/down_wrapper.h"

#include <dlfcn.h>

#include "common/base/trace.h"

namespace tessal {
namespace {

// Null when the library does not export the name.
template <typename Function>
Function* Resolve(void* module, const char* name) {
    return reinterpret_cast<Function*>(::dlsym(module, name));
}

}  // namespace

std::unique_ptr<DownWrapper> DownWrapper::Load(const std::filesystem::path& folder,
                                               std::string& error) {
    return LoadFile(folder / kLibraryName, error);
}

std::unique_ptr<DownWrapper> DownWrapper::LoadFile(const std::filesystem::path& library,
                                                   std::string& error) {
    Trace(library.string());
    // Resolve everything now: a library with an unresolvable dependency must fail here,
    // not in the middle of a download.
    void* module = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* reason = ::dlerror();
        Trace(reason != nullptr ? reason : library.string());
        error = kLoadError;
        return nullptr;
    }
    return std::unique_ptr<DownWrapper>(new DownWrapper(module));
}

DownWrapper::DownWrapper(void* module)
    : module_(module),
      XL_Init(Resolve<XL_Init_t>(module, "XL_Init")),
      XL_UnInit(Resolve<XL_UnInit_t>(module, "XL_UnInit")),
      XL_CreateTask(Resolve<XL_CreateTask_t>(module, "XL_CreateTask")),
      XL_DeleteTask(Resolve<XL_DeleteTask_t>(module, "XL_DeleteTask")),
      XL_StartTask(Resolve<XL_StartTask_t>(module, "XL_StartTask")),
      XL_StopTask(Resolve<XL_StopTask_t>(module, "XL_StopTask")),
      XL_QueryTaskInfo(Resolve<XL_QueryTaskInfo_t>(module, "XL_QueryTaskInfo")),
      XL_QueryTaskInfoEx(Resolve<XL_QueryTaskInfoEx_t>(module, "XL_QueryTaskInfoEx")),
      XL_SetSpeedLimit(Resolve<XL_SetSpeedLimit_t>(module, "XL_SetSpeedLimit")),
      XL_SetUploadSpeedLimit(Resolve<XL_SetUploadSpeedLimit_t>(module, "XL_SetUploadSpeedLimit")),
      XL_DelTempFile(Resolve<XL_DelTempFile_t>(module, "XL_DelTempFile")),
      XL_SetProxy(Resolve<XL_SetProxy_t>(module, "XL_SetProxy")),
      XL_SetUserAgent(Resolve<XL_SetUserAgent_t>(module, "XL_SetUserAgent")),
      XL_GetFileSizeWithUrl(Resolve<XL_GetFileSizeWithUrl_t>(module, "XL_GetFileSizeWithUrl")),
      XL_ParseThunderPrivateUrl(
          Resolve<XL_ParseThunderPrivateUrl_t>(module, "XL_ParseThunderPrivateUrl")),
      XL_SetAdditionInfo(Resolve<XL_SetAdditionInfo_t>(module, "XL_SetAdditionInfo")),
      XL_SetFileIdAndSize(Resolve<XL_SetFileIdAndSize_t>(module, "XL_SetFileIdAndSize")) {}

DownWrapper::~DownWrapper() {
    ::dlclose(module_);
}

}  // namespace tessal
