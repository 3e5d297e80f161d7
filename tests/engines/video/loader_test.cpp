// The loader both programs use: the program folder first, every name in order, and the
// "apdllMiss" box with an empty table when the caller or the engine beside it is missing
// or incomplete. The engine is checked from its file, never loaded.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <optional>

#include "engines/video/loader/aplayer_loader.h"
#include "tests/engines/video/child_process.h"
#include "tests/support/temp_folder.h"

namespace tessal {
namespace {

using aplayer::test::InChild;
using aplayer::test::MpvMapped;

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

std::string Bytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// An installation's pair in `folder`: the built caller, and `engine` as libAPlayer.so
// (none when empty).
void Install(const TempFolder& folder, const std::optional<std::string>& engine) {
    std::filesystem::copy_file(TESSAL_APLAYER_LIBRARY, folder.path() / "libAPlayerCaller.so");
    if (engine)
        folder.Write("libAPlayer.so", *engine);
}

// Loads from `folder`; the boxes shown, and whether the table is all null.
std::pair<std::size_t, bool> LoadFrom(const std::filesystem::path& folder) {
    Boxes boxes;
    APlayerLoader loader(boxes.Box());
    loader.Load(folder);
    for (const auto& [text, caption] : boxes.shown) {
        EXPECT_EQ(text, "apdllMiss");
        EXPECT_EQ(caption, "apdllMiss");
    }
    const auto table = Table(loader.functions());
    const bool empty = std::all_of(table.begin(), table.end(), [](void* p) { return !p; });
    EXPECT_EQ(empty, !loader.loaded());
    return {boxes.shown.size(), empty};
}

TEST(APlayerLoader, ResolvesEveryEntryPointInOrderFromTheProgramFolder) {
    TempFolder folder;
    Install(folder, Bytes(TESSAL_APLAYER_ENGINE));
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

TEST(APlayerLoader, AMissingOrBrokenCallerShowsTheBoxOnceAndLeavesTheTableEmpty) {
    const std::string engine = Bytes(TESSAL_APLAYER_ENGINE);
    TempFolder empty;
    TempFolder broken;
    broken.Write("libAPlayerCaller.so", "not a library");
    broken.Write("libAPlayer.so", engine);
    TempFolder incomplete;
    std::filesystem::copy_file(TESSAL_APLAYER_INCOMPLETE_LIBRARY,
                               incomplete.path() / "libAPlayerCaller.so");
    incomplete.Write("libAPlayer.so", engine);
    for (const auto* folder : {&empty, &broken, &incomplete})
        EXPECT_EQ(LoadFrom(folder->path()), std::make_pair(std::size_t{1}, true)) << folder->path();
}

// The built engine with its need of libmpv renamed to one that no machine has.
std::string NeedingAMissingLibrary(std::string engine) {
    const std::string needed = std::string(1, '\0') + "libmpv.so.";
    const auto at = engine.find(needed);
    EXPECT_NE(at, std::string::npos);
    EXPECT_EQ(engine.find(needed, at + 1), std::string::npos) << "one name to change";
    if (at != std::string::npos)
        engine[at + 1] = 'x';
    return engine;
}

std::string WithoutProgramHeaders(std::string engine) {
    ElfW(Ehdr) header{};
    std::memcpy(&header, engine.data(), sizeof header);
    std::fill_n(engine.begin() + static_cast<std::ptrdiff_t>(header.e_phoff),
                header.e_phnum * sizeof(ElfW(Phdr)), '\0');
    return engine;
}

// Cut halfway through what the dynamic loader maps (debug information and section
// headers, which follow, are not needed to load it).
std::string CutInsideWhatIsLoaded(std::string engine) {
    ElfW(Ehdr) header{};
    std::memcpy(&header, engine.data(), sizeof header);
    std::size_t loaded_end = 0;
    for (std::size_t i = 0; i < header.e_phnum; ++i) {
        ElfW(Phdr) segment{};
        std::memcpy(&segment, engine.data() + header.e_phoff + i * sizeof segment, sizeof segment);
        if (segment.p_type == PT_LOAD)
            loaded_end = std::max<std::size_t>(loaded_end, segment.p_offset + segment.p_filesz);
    }
    engine.resize(loaded_end / 2);
    return engine;
}

std::string WithoutSectionHeaders(std::string engine) {
    ElfW(Ehdr) header{};
    std::memcpy(&header, engine.data(), sizeof header);
    header.e_shoff = 0;
    header.e_shnum = 0;
    header.e_shstrndx = 0;
    std::memcpy(engine.data(), &header, sizeof header);
    return engine;
}

// The caller alone binds fine and would fail only once something plays; the engine
// beside it is checked at once, for all that the dynamic loader would refuse.
TEST(APlayerLoader, AnEngineThatIsMissingOrIncompleteShowsTheBoxOnceAndLeavesTheTableEmpty) {
    const std::string engine = Bytes(TESSAL_APLAYER_ENGINE);
    const std::vector<std::pair<const char*, std::optional<std::string>>> engines = {
        {"missing", std::nullopt},
        {"not a library", "not a library"},
        {"empty", ""},
        {"without APlayer_GetVersion", Bytes(TESSAL_APLAYER_INCOMPLETE_LIBRARY)},
        {"cut inside what is loaded", CutInsideWhatIsLoaded(engine)},
        {"only its ELF header", engine.substr(0, 64)},
        {"needing a library that is not installed", NeedingAMissingLibrary(engine)},
        {"without program headers", WithoutProgramHeaders(engine)},
    };
    for (const auto& [name, bytes] : engines) {
        TempFolder folder;
        Install(folder, bytes);
        EXPECT_EQ(LoadFrom(folder.path()), std::make_pair(std::size_t{1}, true)) << name;
    }
    TempFolder folder_named_like_it;
    Install(folder_named_like_it, std::nullopt);
    std::filesystem::create_directory(folder_named_like_it.path() / "libAPlayer.so");
    EXPECT_EQ(LoadFrom(folder_named_like_it.path()), std::make_pair(std::size_t{1}, true));
}

// Strip tools remove section headers; the dynamic loader does not need them, and
// neither does the check.
TEST(APlayerLoader, AnEngineWithoutSectionHeadersStillCounts) {
    TempFolder folder;
    Install(folder, WithoutSectionHeaders(Bytes(TESSAL_APLAYER_ENGINE)));
    EXPECT_EQ(LoadFrom(folder.path()), std::make_pair(std::size_t{0}, false));
}

// Opening a pipe for reading waits for a writer; start-up must never wait for one.
TEST(APlayerLoader, AnEngineThatIsAPipeIsRefusedWithoutWaiting) {
    TempFolder folder;
    Install(folder, std::nullopt);
    ASSERT_EQ(::mkfifo((folder.path() / "libAPlayer.so").c_str(), 0600), 0);
    const int status = InChild([&] {
        ::alarm(5);  // ends a child that waits
        return LoadFrom(folder.path()) == std::make_pair(std::size_t{1}, true) ? 0 : 1;
    });
    EXPECT_EQ(status, 0) << "-1: the check waited for a writer";
}

// TessalClient binds the engine at start-up and never plays: the check must not map
// libmpv (nor anything the engine needs).
TEST(APlayerLoader, TheCompletePairLoadsWithoutMappingTheEngine) {
    TempFolder folder;
    Install(folder, Bytes(TESSAL_APLAYER_ENGINE));
    const int status = InChild([&] {
        if (MpvMapped())
            return 10;
        Boxes boxes;
        APlayerLoader loader(boxes.Box());
        if (!loader.Load(folder.path()) || !boxes.shown.empty())
            return 11;
        void* engine = ::dlopen((folder.path() / "libAPlayer.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
        return MpvMapped() || engine != nullptr ? 12 : 0;
    });
    EXPECT_EQ(status, 0);
}

// When the program folder has no caller, the ordinary search may find one elsewhere;
// the engine that counts is the one beside the caller found, which is the one it loads.
TEST(APlayerLoader, TheEngineIsLookedForBesideTheCallerTheSearchFound) {
    TempFolder program_folder;
    for (const bool engine_there : {true, false}) {
        TempFolder elsewhere;
        Install(elsewhere,
                engine_there ? std::optional(Bytes(TESSAL_APLAYER_ENGINE)) : std::nullopt);
        const int boxes = InChild([&] {
            // Loaded already, so the search by name finds this one.
            const auto caller = elsewhere.path() / "libAPlayerCaller.so";
            if (::dlopen(caller.c_str(), RTLD_NOW | RTLD_GLOBAL) == nullptr)
                return 100;
            return static_cast<int>(LoadFrom(program_folder.path()).first);
        });
        EXPECT_EQ(boxes, engine_there ? 0 : 1);
    }
}

}  // namespace
}  // namespace tessal
