#pragma once
// install.cfg's "Launch": the program's path, then after the first comma its parameters.
#include <string>

namespace zov {

struct TLaunchCommand {
    std::string Program;
    std::string Parameters;  // empty when the command has no comma: the program gets none
};

TLaunchCommand SplitLaunchCommand(const std::string& command);

// How the ready page shows it: the program's path, a blank and the parameters.
std::string LaunchCommandText(const TLaunchCommand& launch);

}  // namespace zov
