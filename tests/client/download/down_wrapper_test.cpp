// Loading the engine library and resolving its entry points.

#include "client/download/down_wrapper.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/client/download/engine_folder.h"

namespace tessal::test {
namespace {

TEST(DownWrapperTest, AMissingLibraryGivesNoWrapperAndTheLoadErrorText) {
    EngineFolder folder;
    std::string error;
    EXPECT_EQ(DownWrapper::Load(folder.path(), error), nullptr);
    EXPECT_EQ(error, "can not load xldl.dll");
}

TEST(DownWrapperTest, AFileThatIsNoLibraryGivesNoWrapper) {
    TempFolder folder;
    folder.Write("libxldl.so", "MZ this was never an ELF file");
    std::string error;
    EXPECT_EQ(DownWrapper::Load(folder.path(), error), nullptr);
    EXPECT_EQ(error, "can not load xldl.dll");
}

TEST(DownWrapperTest, EachPointerIsTheEnginesFunctionOfThatName) {
    EngineFolder folder(FAKE_ENGINE_FULL);
    ASSERT_NE(folder.handle(), nullptr);
    std::string error;
    const auto wrapper = DownWrapper::Load(folder.path(), error);
    ASSERT_NE(wrapper, nullptr) << error;

    const auto expect = [&](const void* pointer, const char* name) {
        ASSERT_NE(folder.Symbol(name), nullptr) << name;
        EXPECT_EQ(pointer, folder.Symbol(name)) << name;
    };
    const DownWrapper& w = *wrapper;
    expect(reinterpret_cast<const void*>(w.XL_Init), "XL_Init");
    expect(reinterpret_cast<const void*>(w.XL_UnInit), "XL_UnInit");
    expect(reinterpret_cast<const void*>(w.XL_CreateTask), "XL_CreateTask");
    expect(reinterpret_cast<const void*>(w.XL_DeleteTask), "XL_DeleteTask");
    expect(reinterpret_cast<const void*>(w.XL_StartTask), "XL_StartTask");
    expect(reinterpret_cast<const void*>(w.XL_StopTask), "XL_StopTask");
    expect(reinterpret_cast<const void*>(w.XL_QueryTaskInfo), "XL_QueryTaskInfo");
    expect(reinterpret_cast<const void*>(w.XL_QueryTaskInfoEx), "XL_QueryTaskInfoEx");
    expect(reinterpret_cast<const void*>(w.XL_SetSpeedLimit), "XL_SetSpeedLimit");
    expect(reinterpret_cast<const void*>(w.XL_SetUploadSpeedLimit), "XL_SetUploadSpeedLimit");
    expect(reinterpret_cast<const void*>(w.XL_DelTempFile), "XL_DelTempFile");
    expect(reinterpret_cast<const void*>(w.XL_SetProxy), "XL_SetProxy");
    expect(reinterpret_cast<const void*>(w.XL_SetUserAgent), "XL_SetUserAgent");
    expect(reinterpret_cast<const void*>(w.XL_GetFileSizeWithUrl), "XL_GetFileSizeWithUrl");
    expect(reinterpret_cast<const void*>(w.XL_ParseThunderPrivateUrl), "XL_ParseThunderPrivateUrl");
    expect(reinterpret_cast<const void*>(w.XL_SetAdditionInfo), "XL_SetAdditionInfo");
    expect(reinterpret_cast<const void*>(w.XL_SetFileIdAndSize), "XL_SetFileIdAndSize");
}

TEST(DownWrapperTest, NamesTheEngineLacksStayNull) {
    EngineFolder folder(FAKE_ENGINE_INIT_ONLY);
    std::string error;
    const auto wrapper = DownWrapper::Load(folder.path(), error);
    ASSERT_NE(wrapper, nullptr) << error;
    EXPECT_NE(wrapper->XL_Init, nullptr);
    EXPECT_EQ(wrapper->XL_UnInit, nullptr);
    EXPECT_EQ(wrapper->XL_CreateTask, nullptr);
    EXPECT_EQ(wrapper->XL_DeleteTask, nullptr);
    EXPECT_EQ(wrapper->XL_QueryTaskInfoEx, nullptr);
    EXPECT_EQ(wrapper->XL_DelTempFile, nullptr);
    EXPECT_EQ(wrapper->XL_SetFileIdAndSize, nullptr);
}

TEST(DownWrapperTest, DestroyingTheWrapperUnloadsTheLibrary) {
    TempFolder folder;
    std::filesystem::copy_file(FAKE_ENGINE_FULL, folder.path() / "libxldl.so");
    const std::filesystem::path engine = folder.path() / "libxldl.so";
    std::string error;
    auto wrapper = DownWrapper::Load(folder.path(), error);
    ASSERT_NE(wrapper, nullptr) << error;

    void* loaded = ::dlopen(engine.c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(loaded, nullptr);
    ::dlclose(loaded);
    wrapper.reset();
    EXPECT_EQ(::dlopen(engine.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);
}

}  // namespace
}  // namespace tessal::test
