#include "install/launch_command.h"

namespace zov {

TLaunchCommand SplitLaunchCommand(const std::string& command) {
    const size_t comma = command.find(',');
    if (comma == std::string::npos) return {command, {}};
    return {command.substr(0, comma), command.substr(comma + 1)};
}

std::string LaunchCommandText(const TLaunchCommand& launch) {
    return launch.Parameters.empty() ? launch.Program : launch.Program + " " + launch.Parameters;
}

}  // namespace zov
