#pragma once
// install.exe's command line: switches anywhere, and the setup directory as the first
// argument that is not a switch.
//   /S              no window, nothing asked (each question takes its default button)
//   /D=path         the destination; takes the rest of the command line, so it comes last;
//                   quotes around it are dropped
//   /TYPE=full|network
//   /FOLDERS=startmenu,desktop   the program folder in those places (default: neither)
//   /END=return|launch|reboot    what follows the install (unattended default: return)
//   /LOG=file       one line per action done or failed
#include <optional>
#include <string>
#include <vector>

namespace zov {

enum class TSetupEnd { Return, Launch, Reboot };

struct TSetupSwitches {
    bool Silent = false;
    std::optional<std::string> Destination;
    std::optional<bool> Workstation;  // /TYPE=network
    bool FolderStartMenu = false;
    bool FolderDesktop = false;
    std::optional<TSetupEnd> End;
    std::string LogPath;
    std::vector<std::string> Params;  // the arguments that are not switches
    std::string Error;                // a switch that could not be read; empty when all were
};

TSetupSwitches ParseSetupSwitches(const std::vector<std::string>& args);

// The switches and exit codes, for a usage message.
extern const char* const kSetupUsage;

}  // namespace zov
