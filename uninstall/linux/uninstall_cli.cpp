// uninstall --machine DIR [/S] [/LOG=file] TITLE: the uninstaller on an emulated Windows
// machine. It finds the product through its registration, as Windows does, asks on the
// terminal and prints what it does.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "install/linux/console_prompts.h"
#include "sys/emu/emulated_system.h"
#include "sys/paths.h"
#include "uninstall/uninstall_program.h"

namespace {

constexpr const char* kUsage = "usage: uninstall --machine DIR [/S] [/LOG=file] TITLE\n";

class ConsoleProgress : public zov::TInstallProgress {
public:
    explicit ConsoleProgress(bool quiet) : quiet_(quiet) {}
    void Status(const std::string& text) override {
        if (!quiet_) std::cout << text << "\n";
    }

private:
    bool quiet_;
};

}  // namespace

int main(int argc, char** argv) {
    std::string machine;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--machine" && i + 1 < argc)
            machine = argv[++i];
        else if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else
            args.push_back(arg);
    }
    zov::TUninstallOptions options;
    const std::string problem = zov::ParseUninstallArgs(args, options);
    if (machine.empty() || !problem.empty()) {
        std::cerr << (problem.empty() ? "" : problem + "\n") << kUsage;
        return 1;
    }
    zov::sys::emu::EmulatedSystem system(machine);
    zov::sys::SetSystem(&system);
    zov::TConsolePrompts prompts(std::cin, std::cout);
    const std::string dir = zov::RegisteredInstallDir(options.Title);
    if (dir.empty()) {
        std::cerr << options.Title << " is not installed on this machine (no uninstall registration).\n";
        return 1;
    }
    ConsoleProgress progress(options.Silent);
    // This program does not lie on the machine: its uninstaller.exe there goes like any file.
    const zov::TUninstallOutcome outcome = zov::RunUninstall(options, dir, "", progress, prompts);
    zov::sys::SetSystem(nullptr);
    return outcome.ExitCode;
}
