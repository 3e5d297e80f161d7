// libAPlayerCaller.so binds light and loads the engine library beside it on first use;
// without that engine it answers every call as for an unknown player, never crashes.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engines/video/loader/aplayer_functions.h"
#include "tests/engines/video/child_process.h"
#include "tests/support/temp_folder.h"

namespace tessal {
namespace {

using aplayer::test::InChild;
using aplayer::test::MpvMapped;

TEST(APlayerCaller, TheEngineIsMappedOnlyOnceACallNeedsIt) {
    const int status = InChild([] {
        if (MpvMapped())
            return 10;
        void* caller = ::dlopen(TESSAL_APLAYER_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        APlayerFunctions functions;
        std::string missing;
        if (caller == nullptr || !ResolveAPlayerFunctions(caller, functions, missing))
            return 11;
        if (MpvMapped())
            return 12;  // binding alone must not bring in libmpv
        if (functions.APlayer_GetState(nullptr) != 0)
            return 13;
        return MpvMapped() ? 0 : 14;
    });
    EXPECT_EQ(status, 0);
}

TEST(APlayerCaller, WithoutItsEngineEveryCallAnswersAsForAnUnknownPlayer) {
    TempFolder folder;
    std::filesystem::copy_file(TESSAL_APLAYER_LIBRARY, folder.path() / "libAPlayerCaller.so");
    void* caller = ::dlopen((folder.path() / "libAPlayerCaller.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(caller, nullptr) << ::dlerror();
    APlayerFunctions f;
    std::string missing;
    ASSERT_TRUE(ResolveAPlayerFunctions(caller, f, missing)) << missing;
    int parent = 0;
    EXPECT_EQ(f.APlayer_Create(&parent, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(f.APlayer_OpenA(&parent, "/lesson.tessal"), -1);
    EXPECT_EQ(f.APlayer_GetState(&parent), 0);
    EXPECT_STREQ(f.APlayer_GetConfigA(&parent, 7), "");
    EXPECT_STREQ(f.APlayer_GetVersion(&parent), "");
    EXPECT_EQ(f.APlayer_GetWindow(&parent), nullptr);
    EXPECT_EQ(f.APlayerCaller_SetSize(&parent, 0, 0, 1, 1), -1);
    EXPECT_EQ(f.APlayer_SetCustomLogo(&parent, "/logo.bmp"), 0) << "no picture loaded";
}

}  // namespace
}  // namespace tessal
