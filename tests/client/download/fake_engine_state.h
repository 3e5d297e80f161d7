#pragma once

// What a fake download engine records, so that a test can see which entry points the
// client called, in which order and with which task. Every fake exports
// FakeEngine_State(); a test reaches it through its own handle on the library.

#include <cstdint>

enum class FakeCall : std::int32_t {
    kInit,
    kUnInit,
    kCreateTask,
    kDeleteTask,
    kStartTask,
    kStopTask,
    kQueryTaskInfo,
    kQueryTaskInfoEx,
    kSetSpeedLimit,
    kSetUploadSpeedLimit,
    kDelTempFile,
    kSetProxy,
    kSetUserAgent,
    kGetFileSizeWithUrl,
    kParseThunderPrivateUrl,
    kSetAdditionInfo,
    kSetFileIdAndSize,
};

struct FakeEngineState {
    std::int32_t init_result = 1;  // what XL_Init answers
    std::int32_t call_count = 0;
    FakeCall calls[64] = {};
    void* deleted_task = nullptr;  // the last task XL_DeleteTask was given

    void Record(FakeCall call) {
        if (call_count < 64) {
            calls[call_count++] = call;
        }
    }
    int CountOf(FakeCall call) const {
        int count = 0;
        for (int i = 0; i < call_count; ++i) {
            count += calls[i] == call ? 1 : 0;
        }
        return count;
    }
};

extern "C" FakeEngineState* FakeEngine_State();
using FakeEngine_State_t = FakeEngineState*();
