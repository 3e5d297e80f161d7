// The loader both programs use: the program folder first, every name in order, and the
// "apdllMiss" box with an empty table when the engine is missing or incomplete.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>

#include "engines/video/loader/aplayer_loader.h"
#include "tests/support/temp_folder.h"

namespace tessal {
namespace {

constexpr std::size_t kCount = std::size(kAPlayerEntryPointNames);
static_assert(sizeof(APlayerFunctions) == kCount * sizeof(void*));

std::array<void*, kCount> Table(const APlayerFunctions& functions) {
    std::array<void*, kCount> table{};
    std::memcpy(table.data(), &functions, sizeof functions);
    return table;
}

struct Boxes {
    std::vector<std::pair<std::string, std::string>> shown;
    APlayerLoader::MissingBox Box() {
        return [this](const std::string& text, const std::string& caption) {
            shown.emplace_back(text, caption);
        };
    }
};

void Copy(const char* library, const std::filesystem::path& folder) {
    std::filesystem::copy_file(library, folder / "libAPlayerCaller.so");
}

TEST(APlayerLoader, ResolvesEveryEntryPointInOrderFromTheProgramFolder) {
    TempFolder folder;
    Copy(TESSAL_APLAYER_LIBRARY, folder.path());
    Boxes boxes;
    APlayerLoader loader(boxes.Box());
    ASSERT_TRUE(loader.Load(folder.path()));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(loader.loaded());

    void* module =
        ::dlopen((folder.path() / "libAPlayerCaller.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(module, nullptr) << "loaded from the program folder";
    const auto table = Table(loader.functions());
    for (std::size_t i = 0; i < kCount; ++i)
        EXPECT_EQ(table[i], ::dlsym(module, kAPlayerEntryPointNames[i]))
            << kAPlayerEntryPointNames[i];
    ::dlclose(module);

    loader.Unload();
    EXPECT_FALSE(loader.loaded());
    for (void* entry : Table(loader.functions()))
        EXPECT_EQ(entry, nullptr);
}

TEST(APlayerLoader, AMissingOrBrokenEngineShowsTheBoxOnceAndLeavesTheTableEmpty) {
    TempFolder empty;
    TempFolder broken;
    broken.Write("libAPlayerCaller.so", "not a library");
    TempFolder incomplete;
    std::filesystem::copy_file(TESSAL_APLAYER_INCOMPLETE_LIBRARY,
                               incomplete.path() / "libAPlayerCaller.so");
    for (const auto* folder : {&empty, &broken, &incomplete}) {
        Boxes boxes;
        APlayerLoader loader(boxes.Box());
        EXPECT_FALSE(loader.Load(folder->path())) << folder->path();
        ASSERT_EQ(boxes.shown.size(), 1u) << folder->path();
        EXPECT_EQ(boxes.shown[0].first, "apdllMiss");
        EXPECT_EQ(boxes.shown[0].second, "apdllMiss");
        EXPECT_FALSE(loader.loaded());
        for (void* entry : Table(loader.functions()))
            EXPECT_EQ(entry, nullptr) << folder->path();
    }
}

}  // namespace
}  // namespace tessal
