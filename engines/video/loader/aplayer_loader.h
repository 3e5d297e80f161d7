#pragma once

// The programs' side of the video engine: loads libAPlayerCaller.so, program folder
// first, and fills the table of its twenty-five entry points. When the library cannot be
// loaded or lacks an entry point, or the engine library beside it (libAPlayer.so, which
// the caller loads only once something plays) is missing, not a library of this machine
// or lacks an entry point, the "apdllMiss" box is shown and the table stays empty
// (every pointer null), so that nothing calls into a missing engine. The engine is
// checked from its file, not loaded. Plain C++: the program supplies the box.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "engines/video/loader/aplayer_functions.h"

namespace tessal {

class APlayerLoader final {
public:
    static constexpr std::string_view kLibraryName = "libAPlayerCaller.so";
    // Text and caption of the box a missing engine shows.
    static constexpr std::string_view kMissingText = "apdllMiss";
    using MissingBox = std::function<void(const std::string& text, const std::string& caption)>;

    explicit APlayerLoader(MissingBox show_missing);
    ~APlayerLoader();  // unloads the library
    APlayerLoader(const APlayerLoader&) = delete;
    APlayerLoader& operator=(const APlayerLoader&) = delete;

    // Loads `program_folder`/libAPlayerCaller.so, else the library of that name on the
    // ordinary search path. True when loaded with every entry point and a complete
    // engine beside the file loaded; otherwise shows the box once and leaves the table
    // empty.
    bool Load(const std::filesystem::path& program_folder);
    // Frees the library (after the engine was closed and destroyed); the table empties.
    void Unload();

    bool loaded() const { return module_ != nullptr; }
    const APlayerFunctions& functions() const { return functions_; }

private:
    bool Resolve();
    bool EngineBesideIsComplete() const;
    void Fail();

    MissingBox show_missing_;
    void* module_ = nullptr;
    APlayerFunctions functions_;
};

}  // namespace tessal
