// A fake engine that exports only some entry points: XL_Init when built with
// FAKE_ENGINE_WITH_INIT, XL_UnInit when built with FAKE_ENGINE_WITH_UNINIT.

#include "engines/download/xldl.h"
#include "tests/client/download/fake_engine_state.h"

namespace {
FakeEngineState state;
}  // namespace

extern "C" {

FakeEngineState* FakeEngine_State() {
    return &state;
}

#ifdef FAKE_ENGINE_WITH_INIT
XlBool XL_Init() {
    state.Record(FakeCall::kInit);
    return state.init_result;
}
#endif

#ifdef FAKE_ENGINE_WITH_UNINIT
XlBool XL_UnInit() {
    state.Record(FakeCall::kUnInit);
    return 1;
}
#endif

}  // extern "C"
