#pragma once

// Checks that need a process whose mappings and loaded libraries start clean: each runs
// in a child of the test, which reports through its exit status.

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>

namespace tessal::aplayer::test {

inline bool MpvMapped() {
    std::ifstream maps("/proc/self/maps");
    const std::string all((std::istreambuf_iterator<char>(maps)), std::istreambuf_iterator<char>());
    return all.find("libmpv") != std::string::npos;
}

// Runs `check` in a child process; its exit status (0 for success), -1 if it crashed.
template <typename Check>
int InChild(Check check) {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(check());
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace tessal::aplayer::test
