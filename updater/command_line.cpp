#include "updater/command_line.h"

#include "common/base/text_helpers.h"

namespace tessal::updater {

UpdaterCommand ParseCommandLine(const std::vector<std::string>& arguments) {
    UpdaterCommand command;
    if (arguments.empty()) {
        command.phase = UpdaterPhase::kDownload;
    } else if (arguments.size() == 1 && arguments.front().find("end") != std::string::npos) {
        command.phase = UpdaterPhase::kInstall;
        command.sign = TextBetween(arguments.front(), "end#", "#");
        command.uid = TextBetween(arguments.front(), "u#", "#");
    }
    return command;
}

}  // namespace tessal::updater
