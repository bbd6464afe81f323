#include "install/setup_switches.h"

#include <algorithm>

#include "sys/paths.h"
#include "sys/concat.h"

namespace zov {

const char* const kSetupUsage =
    "install [DIR] [/S] [/TYPE=full|network] [/FOLDERS=startmenu,desktop] [/END=return|launch|reboot]\n"
    "        [/LOG=FILE] [/D=DESTINATION]\n"
    "Exit codes: 0 installed; 1 cancelled, or failed before anything was installed; 2 failed during\n"
    "the install (the log says where).";

namespace {

bool IsSwitch(const std::string& arg) { return arg.size() >= 2 && (arg[0] == '/' || arg[0] == '-'); }

// "/NAME=value" → NAME upper-cased and the value; a switch without "=" has an empty value.
void SplitSwitch(const std::string& arg, std::string& name, std::string& value) {
    const size_t eq = arg.find('=');
    name = UpperCase(arg.substr(1, eq == std::string::npos ? std::string::npos : eq - 1));
    value = eq == std::string::npos ? "" : arg.substr(eq + 1);
}

}  // namespace

TSetupSwitches ParseSetupSwitches(const std::vector<std::string>& args) {
    TSetupSwitches s;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!IsSwitch(arg)) {
            s.Params.push_back(arg);
            continue;
        }
        std::string name, value;
        SplitSwitch(arg, name, value);
        if (name == "S" && value.empty() && arg.find('=') == std::string::npos) {
            s.Silent = true;
        } else if (name == "D") {
            // The rest of the command line, blanks and all.
            std::string dest = value;
            for (size_t j = i + 1; j < args.size(); ++j) dest += " " + args[j];
            // /D="C:\Program Files\Tool": quotes are no part of a Windows name.
            dest.erase(std::remove(dest.begin(), dest.end(), '"'), dest.end());
            if (dest.empty()) s.Error = "/D= needs a destination";
            s.Destination = dest;
            break;
        } else if (name == "TYPE") {
            const std::string v = UpperCase(value);
            if (v == "FULL" || v == "NETWORK")
                s.Workstation = v == "NETWORK";
            else
                s.Error = Concat({"/TYPE= takes full or network, not \"", value, "\""});
        } else if (name == "FOLDERS") {
            std::string rest = UpperCase(value);
            while (!rest.empty()) {
                const size_t comma = rest.find(',');
                const std::string item = rest.substr(0, comma);
                rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
                if (item == "STARTMENU")
                    s.FolderStartMenu = true;
                else if (item == "DESKTOP")
                    s.FolderDesktop = true;
                else if (!item.empty())
                    s.Error = Concat({"/FOLDERS= takes startmenu and desktop, not \"", item, "\""});
            }
        } else if (name == "END") {
            const std::string v = UpperCase(value);
            if (v == "RETURN")
                s.End = TSetupEnd::Return;
            else if (v == "LAUNCH")
                s.End = TSetupEnd::Launch;
            else if (v == "REBOOT")
                s.End = TSetupEnd::Reboot;
            else
                s.Error = Concat({"/END= takes return, launch or reboot, not \"", value, "\""});
        } else if (name == "LOG") {
            if (value.empty()) s.Error = "/LOG= needs a file name";
            s.LogPath = value;
        } else {
            s.Error = "Unknown switch " + arg;
        }
    }
    return s;
}

}  // namespace zov
