#pragma once

// What the client asked for when it started the updater: fetch the changed files (no
// argument, at the client's start) or put them in place (at the client's shutdown).

#include <string>
#include <vector>

namespace tessal::updater {

enum class UpdaterPhase {
    kDownload,  // no argument
    kInstall,   // one argument containing "end"
    kNone,      // anything else: the updater does nothing
};

struct UpdaterCommand {
    UpdaterPhase phase = UpdaterPhase::kNone;
    std::string sign;  // session sign for the logout notice; empty when not given
    std::string uid;
};

// `arguments` excludes the program name. The client passes "end#" + sign + "#u#" + uid
// + "#"; each value is the text between its marker and the next "#".
UpdaterCommand ParseCommandLine(const std::vector<std::string>& arguments);

}  // namespace tessal::updater
