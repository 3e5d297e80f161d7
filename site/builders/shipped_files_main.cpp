// tessal-shipped-files: makes the folders and the empty databases an installation ships,
// for `cmake --install` to copy beside the programs.

#include <iostream>
#include <string_view>

#include "site/builders/shipped_files.h"

int main(int argc, char** argv) {
    constexpr int kExitFailure = 1;
    constexpr int kExitUsage = 2;
    if (argc != 2 || std::string_view(argv[1]).empty() || argv[1][0] == '-') {
        std::cerr << "Usage: tessal-shipped-files FOLDER\n"
                     "  makes in FOLDER the folders and the empty cache and course databases\n"
                     "  that an installation ships\n";
        return kExitUsage;
    }
    std::string error;
    if (!tessal::site::BuildShippedFiles(argv[1], error)) {
        std::cerr << "tessal-shipped-files: " << error << "\n";
        return kExitFailure;
    }
    return 0;
}
