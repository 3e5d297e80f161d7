// The writer the crash check kills: one program's writes to one store, repeated in a
// tight loop through the programs' own functions, so that a kill at a random moment
// lands inside a write most of the time.
//   tessal-crash-writer <store> <writer number>   (the program folder is the current one)
// Ends only when a write fails (status 2) or on bad arguments (status 1).

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "tests/crash/crash_stores.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: tessal-crash-writer <store> <writer number>\n";
        return 1;
    }
    const auto writers = tessal::crash::WritersOf(argv[1]);
    const std::size_t number = std::strtoul(argv[2], nullptr, 10);
    if (number >= writers.size()) {
        std::cerr << "tessal-crash-writer: no writer " << argv[2] << " of " << argv[1] << '\n';
        return 1;
    }
    const auto& steps = writers[number].steps;
    const std::filesystem::path folder = std::filesystem::current_path();
    for (std::size_t step = 0;; step = (step + 1) % steps.size()) {
        if (!steps[step](folder)) {
            std::cerr << "tessal-crash-writer: write " << step << " of " << argv[1] << " failed\n";
            return 2;
        }
    }
}
