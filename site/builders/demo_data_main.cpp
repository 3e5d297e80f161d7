// tessal-demo-data: makes the demo media, or a demo installation folder that points at a
// running reference site, from the demo data set.

#include <algorithm>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "site/builders/installation_builder.h"
#include "site/builders/media_builder.h"
#include "site/model/demo_data.h"

namespace {

void PrintUsage(std::ostream& out) {
    out << "Usage:\n"
           "  tessal-demo-data media OUT [--data DIR]\n"
           "      make the demo clips and pictures in OUT (only what is missing or changed)\n"
           "  tessal-demo-data install FOLDER --site-ini FILE [--data DIR] [--media DIR]\n"
           "      fill an installation folder for the site that wrote FILE\n"
           "  tessal-demo-data --help\n\n"
           "  --data DIR   the demo data set (default "
        << TESSAL_DEMO_DATA_DIR << ")\n"
        << "  --media DIR  the media made by \"media\" (default " << TESSAL_DEMO_MEDIA_DIR << ")\n";
}

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct Command {
    std::string verb;
    std::string folder;
    std::map<std::string, std::string> options;
};

// Accepts "VERB FOLDER" followed by "--name value" pairs that the verb knows.
bool ParseCommand(const std::vector<std::string>& args, Command& command) {
    if (args.size() < 2) {
        return false;
    }
    command.verb = args[0];
    command.folder = args[1];
    std::vector<std::string> known = {"--data"};
    if (command.verb == "install") {
        known.insert(known.end(), {"--site-ini", "--media"});
    } else if (command.verb != "media") {
        return false;
    }
    if (command.folder.empty() || command.folder[0] == '-') {
        return false;
    }
    for (std::size_t i = 2; i < args.size(); i += 2) {
        const bool is_known = std::find(known.begin(), known.end(), args[i]) != known.end();
        if (!is_known || i + 1 >= args.size() || command.options.count(args[i]) != 0) {
            return false;
        }
        command.options[args[i]] = args[i + 1];
    }
    return command.verb != "install" || command.options.count("--site-ini") != 0;
}

std::string Option(const Command& command, const std::string& name, const char* fallback) {
    const auto found = command.options.find(name);
    return found != command.options.end() ? found->second : fallback;
}

int Run(const Command& command) {
    tessal::site::DemoData data;
    std::string error;
    if (!tessal::site::LoadDemoData(Option(command, "--data", TESSAL_DEMO_DATA_DIR), data, error)) {
        std::cerr << "tessal-demo-data: " << error << "\n";
        return kExitFailure;
    }
    const bool done =
        command.verb == "media"
            ? tessal::site::BuildMedia(data, command.folder, error)
            : tessal::site::AssembleInstallation(data, command.options.at("--site-ini"),
                                                 Option(command, "--media", TESSAL_DEMO_MEDIA_DIR),
                                                 command.folder, error);
    if (!done) {
        std::cerr << "tessal-demo-data: " << error << "\n";
        return kExitFailure;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        PrintUsage(std::cout);
        return 0;
    }
    Command command;
    if (!ParseCommand(args, command)) {
        PrintUsage(std::cerr);
        return kExitUsage;
    }
    return Run(command);
}
