#include "engines/video/loader/aplayer_loader.h"

#include <dlfcn.h>
#include <link.h>

#include "common/base/trace.h"
#include "engines/video/loader/elf_exports.h"
#include "engines/video/loader/library_search.h"

namespace tessal {
namespace {

void* Open(const std::filesystem::path& library) {
    // Everything resolved now: a library with a missing dependency fails here, at
    // start-up, not in the middle of a lesson.
    void* module = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* reason = ::dlerror();
        Trace(reason != nullptr ? reason : library.string());
    }
    return module;
}

// The file the dynamic loader took for `module`: the program folder's copy, or whatever
// the ordinary search found.
std::filesystem::path LoadedFile(void* module) {
    link_map* map = nullptr;
    if (::dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr || map->l_name == nullptr)
        return {};
    std::error_code failure;
    return std::filesystem::absolute(map->l_name, failure);
}

}  // namespace

APlayerLoader::APlayerLoader(MissingBox show_missing) : show_missing_(std::move(show_missing)) {}

APlayerLoader::~APlayerLoader() {
    Unload();
}

bool APlayerLoader::Load(const std::filesystem::path& program_folder) {
    Unload();
    module_ = Open(program_folder / kLibraryName);
    if (module_ == nullptr)
        module_ = Open(std::filesystem::path(kLibraryName));
    if (module_ == nullptr || !Resolve() || !EngineBesideIsComplete()) {
        Fail();
        return false;
    }
    return true;
}

// The caller loads the engine only when something plays; an engine that could not be
// loaded then must still be reported now, as one missing library: one that is not a
// library of this machine, lacks an entry point, or needs a library (libmpv above all)
// that the dynamic loader would not find. It is read from its file, so that libmpv is
// not mapped at start-up.
bool APlayerLoader::EngineBesideIsComplete() const {
    const auto engine = LoadedFile(module_).parent_path() / kAPlayerEngineLibrary;
    const auto info = ReadElfDynamicInfo(engine);
    if (!info) {
        Trace("not a loadable library: " + engine.string());
        return false;
    }
    for (const char* name : kAPlayerEntryPointNames) {
        if (!info->functions.contains(name)) {
            Trace(engine.string() + " lacks " + name);
            return false;
        }
    }
    for (const auto& needed : info->needed) {
        if (!CanFindNeededLibrary(needed, engine.parent_path(), info->search_path)) {
            Trace(engine.string() + " needs " + needed + ", which is not installed");
            return false;
        }
    }
    return true;
}

bool APlayerLoader::Resolve() {
    std::string missing;
    if (ResolveAPlayerFunctions(module_, functions_, missing))
        return true;
    // An engine without one of its entry points would crash the first caller of that
    // one; it counts as missing as a whole.
    Trace("missing entry point " + missing);
    return false;
}

void APlayerLoader::Fail() {
    Unload();
    if (show_missing_)
        show_missing_(std::string(kMissingText), std::string(kMissingText));
}

void APlayerLoader::Unload() {
    functions_ = APlayerFunctions{};
    if (module_ != nullptr)
        ::dlclose(module_);
    module_ = nullptr;
}

}  // namespace tessal
