// A fake engine exporting all seventeen entry points; each one only records its call.

#include "engines/download/xldl.h"
#include "tests/client/download/fake_engine_state.h"

namespace {
FakeEngineState state;
int task_storage = 0;  // XL_CreateTask's handle points here
}  // namespace

extern "C" {

FakeEngineState* FakeEngine_State() {
    return &state;
}

XlBool XL_Init() {
    state.Record(FakeCall::kInit);
    return state.init_result;
}
XlBool XL_UnInit() {
    state.Record(FakeCall::kUnInit);
    return 1;
}
XlTaskHandle XL_CreateTask(const XlTaskParam*) {
    state.Record(FakeCall::kCreateTask);
    return &task_storage;
}
XlBool XL_DeleteTask(XlTaskHandle task) {
    state.Record(FakeCall::kDeleteTask);
    state.deleted_task = task;
    return 1;
}
XlBool XL_StartTask(XlTaskHandle) {
    state.Record(FakeCall::kStartTask);
    return 1;
}
XlBool XL_StopTask(XlTaskHandle) {
    state.Record(FakeCall::kStopTask);
    return 1;
}
XlBool XL_QueryTaskInfo(XlTaskHandle, XlTaskInfo*) {
    state.Record(FakeCall::kQueryTaskInfo);
    return 1;
}
XlBool XL_QueryTaskInfoEx(XlTaskHandle, XlTaskInfo*) {
    state.Record(FakeCall::kQueryTaskInfoEx);
    return 1;
}
void XL_SetSpeedLimit(std::int32_t) {
    state.Record(FakeCall::kSetSpeedLimit);
}
void XL_SetUploadSpeedLimit(std::int32_t, std::int32_t) {
    state.Record(FakeCall::kSetUploadSpeedLimit);
}
XlBool XL_DelTempFile(const XlTaskParam*) {
    state.Record(FakeCall::kDelTempFile);
    return 1;
}
XlBool XL_SetProxy(const XlProxyInfo*) {
    state.Record(FakeCall::kSetProxy);
    return 1;
}
void XL_SetUserAgent(const char16_t*) {
    state.Record(FakeCall::kSetUserAgent);
}
XlBool XL_GetFileSizeWithUrl(const char16_t*, std::int64_t*) {
    state.Record(FakeCall::kGetFileSizeWithUrl);
    return 1;
}
XlBool XL_ParseThunderPrivateUrl(const char16_t*, char16_t*, std::int32_t) {
    state.Record(FakeCall::kParseThunderPrivateUrl);
    return 1;
}
XlBool XL_SetAdditionInfo(XlTaskHandle, const char*, std::int32_t) {
    state.Record(FakeCall::kSetAdditionInfo);
    return 1;
}
XlBool XL_SetFileIdAndSize(XlTaskHandle, const char*, std::int64_t) {
    state.Record(FakeCall::kSetFileIdAndSize);
    return 1;
}

}  // extern "C"
