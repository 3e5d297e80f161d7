#pragma once

// The functions a shared library file exports, read from its ELF dynamic symbol table
// without loading it: loading the video engine would map libmpv and its decoders, which
// a program that only checks for the engine must not pay for at start-up. The file is
// outside input (it is downloaded and replaced by the codec updater), so every offset
// and size it names is checked against the file before it is read.

#include <filesystem>
#include <optional>
#include <string>
#include <unordered_set>

namespace tessal {

// The names of the defined, visible functions in the dynamic symbol table of `library`.
// Nothing when the file cannot be read, or is not a shared library that the running
// program could load (another class, byte order or machine, not ET_DYN, damaged, or
// without section headers).
std::optional<std::unordered_set<std::string>> ReadExportedFunctions(
    const std::filesystem::path& library);

}  // namespace tessal
