#pragma once

// What aria2's control file ("<lesson>.aria2") says about a partial lesson, read before
// the engine hands the lesson to aria2, so that a resume never builds on data that is
// not there: aria2 trusts the control file and would leave a gap of zeros where a
// truncated partial file ends.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace tessal::xldl {

struct ControlFileFacts {
    std::int64_t total_bytes = 0;   // the lesson's length when the control file was written
    std::int64_t needed_bytes = 0;  // the partial file must be at least this long
};

// The facts of a control file's bytes (version 1, as libaria2 writes it); nothing when
// they do not parse.
std::optional<ControlFileFacts> ParseControlFile(std::string_view bytes);

// Removes the control file of `lesson` when the engine cannot resume from it (it does
// not parse, or the partial file is shorter than it says), so that aria2 downloads the
// lesson afresh. The length of the lesson it records when it stays; 0 when there is none.
std::int64_t KeepTrustworthyControlFile(const std::filesystem::path& lesson);

}  // namespace tessal::xldl
