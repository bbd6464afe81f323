#pragma once
// The uninstall program around TUninstaller, the same on Windows and on the emulated
// machine: its command line, the question before it starts, the progress it shows and the
// message at its end.
#include <string>
#include <vector>

#include "install/setup_prompts.h"
#include "install/wizard/install_engine.h"

namespace zov {

struct TUninstallOptions {
    bool Silent = false;  // /S: no question, no message
    std::string LogFile;  // /LOG=file
    std::string Title;    // what is left: the product's title, its words joined by one blank
};

// Reads "/S", "/LOG=file" (in any case, as the setup reads its switches) and the title.
// Returns "" or what is wrong.
std::string ParseUninstallArgs(const std::vector<std::string>& args, TUninstallOptions& options);

struct TUninstallOutcome {
    int ExitCode = 1;                   // 0 removed, 1 cancelled or refused, 2 removed with leftovers
    bool SelfLeft = false;              // the program's own file is still to be removed
    std::vector<std::string> SelfDirs;  // and these directories with it, deepest first
};

// Reads `dir`\uninstall.cfg, asks "Remove TITLE and all of its components?" unless silent,
// removes, and ends with a message listing what stays; questions and messages go to
// `prompts`. `selfPath` is the running program's own file, or "" when it does not lie on
// the machine it removes from.
TUninstallOutcome RunUninstall(const TUninstallOptions& options, const std::string& dir,
                               const std::string& selfPath, TInstallProgress& progress, TSetupPrompts& prompts);

}  // namespace zov
