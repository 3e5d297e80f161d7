#pragma once

// Runs another program (ffmpeg, ffprobe) without a shell and waits for it, so that no
// argument is ever reinterpreted and a file name may hold any character.

#include <string>
#include <vector>

namespace tessal::site {

struct ProgramResult {
    bool started = false;  // false: not found or not executable; `failure` says why
    int exit_status = -1;  // -1 when it did not start or was ended by a signal
    std::string output;    // everything it wrote to standard output
    std::string errors;    // the last few kilobytes it wrote to standard error
    std::string failure;   // why it did not start, or which signal ended it

    bool Succeeded() const { return started && exit_status == 0; }
};

// argv[0] is searched in PATH unless it holds a "/". Standard input is /dev/null.
ProgramResult RunProgram(const std::vector<std::string>& argv);

// The command as one line for messages; arguments with spaces or quotes are quoted.
std::string CommandText(const std::vector<std::string>& argv);

}  // namespace tessal::site
