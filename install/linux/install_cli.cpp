// The setup on Linux, on an emulated Windows machine: an install-builder previews exactly
// what a medium does to a machine.
//   install --machine DIR --cwd 'A:\' [--program 'A:\install.exe'] /S [switches]
// DIR is the machine's folder (made on first use: drive C: with C:\WINDOWS; a drive X:
// exists when DIR/x does, so put the medium into DIR/a for A:\). --cwd is the current
// directory the setup starts in, where the medium lies; --program is where install.exe was
// started from, whose folder holds the medium when the current directory does not. The log
// goes to standard output.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "install/setup_entry.h"
#include "install/setup_switches.h"
#include "sys/emu/emulated_system.h"

namespace {

int Usage(const char* problem) {
    std::cerr << "install: " << problem << "\n"
              << "usage: install --machine DIR [--cwd PATH] [--program PATH] /S [switches]\n"
              << zov::kSetupUsage << "\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string machine, cwd, program;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--machine" || arg == "--cwd" || arg == "--program") && i + 1 < argc)
            (arg == "--machine" ? machine : arg == "--cwd" ? cwd : program) = argv[++i];
        else if (arg == "--help" || arg == "-h")
            return Usage("previews a setup on an emulated Windows machine"), 0;
        else
            args.push_back(arg);
    }
    if (machine.empty()) return Usage("--machine DIR is needed");
    zov::sys::emu::EmulatedSystem system(machine);
    zov::sys::SetSystem(&system);
    if (!cwd.empty() && !system.SetCurrentDirectory(cwd)) {
        std::cerr << "install: " << zov::sys::FailureText(cwd) << "\n";
        return 1;
    }
    const int code = zov::RunSetupCommandLine(args, {}, [](const std::string& line) {
        std::cout << line << "\n" << std::flush;
    }, program);
    zov::sys::SetSystem(nullptr);
    return code;
}
