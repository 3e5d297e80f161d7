#pragma once

// What a shared library file offers and needs, read from its dynamic section without
// loading it: loading the video engine would map libmpv and its decoders, which a
// program that only checks for the engine must not pay for at start-up. Only what the
// dynamic loader itself reads is followed (program headers, the dynamic section, the
// symbol and string tables it names): section headers are optional in a library that
// loads, and their presence says nothing about whether it does. The file is outside
// input (it is downloaded and replaced by the codec updater), so every offset and size
// it names is checked against the file before it is read, and a file that is not a
// regular one (a pipe, a device) is never read.

#include <filesystem>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace tessal {

struct ElfDynamicInfo {
    // The defined, visible functions of the dynamic symbol table.
    std::unordered_set<std::string> functions;
    // The libraries it needs (DT_NEEDED), in order.
    std::vector<std::string> needed;
    // Its own search path (DT_RUNPATH, else DT_RPATH), split at ':', unexpanded.
    std::vector<std::string> search_path;
};

// Nothing when the file cannot be read, or is not a shared library that the running
// program could load (another class, byte order or machine, not ET_DYN, no loadable
// segment or dynamic section, or damaged).
std::optional<ElfDynamicInfo> ReadElfDynamicInfo(const std::filesystem::path& library);

// Whether `file` is a regular file that starts with an ELF header the running program
// could load (class, byte order, machine, ET_DYN).
bool HasLoadableElfHeader(const std::filesystem::path& file);

}  // namespace tessal
