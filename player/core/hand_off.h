#pragma once

// The hand-off file "./codecs/Handle.dll" (INI, section "p"): the running player writes
// the name it listens on as "h"; a second start writes its lesson path as "data" before
// it signals. Written through the INI module, so every change is atomic and locked.

#include <filesystem>
#include <string>

namespace tessal::player {

inline constexpr const char* kHandOffFile = "codecs/Handle.dll";

// "h": the running instance's name; empty when there is none.
std::string ReadHandOffName(const std::filesystem::path& file);
bool WriteHandOffName(const std::filesystem::path& file, const std::string& name);

// "data": the path a second start hands over.
bool WriteHandOffData(const std::filesystem::path& file, const std::string& path);
// Reads "data" and empties it in one locked step, so a path is taken once: a later
// signal without a path never opens it again.
std::string TakeHandOffData(const std::filesystem::path& file);

// "h" and "data" both empty (the player's shutdown).
bool ClearHandOff(const std::filesystem::path& file);

}  // namespace tessal::player
