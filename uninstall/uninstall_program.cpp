#include "uninstall/uninstall_program.h"

#include <memory>

#include "install/wizard/uninstall_info.h"
#include "sys/paths.h"
#include "sys/system.h"
#include "ui/dialogs.h"
#include "uninstall/file_log.h"
#include "uninstall/uninstaller.h"

namespace zov {
namespace {

constexpr const char* kCaption = "Uninstall";

void Tell(const TUninstallOptions& options, const std::string& text, ui::TMsgDlgType type) {
    if (!options.Silent) ui::Dlg().MessageDlg(text, kCaption, ui::mbOK, type);
}

}  // namespace

std::string ParseUninstallArgs(const std::vector<std::string>& args, TUninstallOptions& options) {
    options = TUninstallOptions{};
    for (const std::string& arg : args) {
        const std::string upper = UpperCase(arg);
        if (upper == "/S") {
            options.Silent = true;
        } else if (upper.compare(0, 5, "/LOG=") == 0) {
            options.LogFile = arg.substr(5);
            if (options.LogFile.empty()) return "/LOG= needs a file name.";
        } else if (options.Title.empty() && arg.size() > 1 && arg[0] == '/') {
            return "Unknown switch " + arg + ".";
        } else if (!arg.empty()) {
            options.Title += (options.Title.empty() ? "" : " ") + arg;
        }
    }
    if (options.Title.empty()) return "Which product to remove? Its title is missing.";
    return "";
}

std::string RegisteredInstallDir(const std::string& title) {
    sys::System& os = sys::Sys();
    const std::string key = kUninstallRegistryKey + title;
    std::string value;
    if (os.RegGetString(sys::RegRoot::LocalMachine, key, "UninstallString", value) && !value.empty()) {
        std::string program = value;
        if (program[0] == '"') {
            program = program.substr(1, program.find('"', 1) - 1);
        } else {
            const size_t exe = UpperCase(program).find(".EXE");
            if (exe != std::string::npos) program.resize(exe + 4);
        }
        const std::string dir = WithoutTrailingBackslash(DirectoryPart(program));
        if (!dir.empty()) return dir;
    }
    if (os.RegGetString(sys::RegRoot::LocalMachine, key, "InstallLocation", value)) return value;
    return "";
}

TUninstallOutcome RunUninstall(const TUninstallOptions& options, const std::string& dir,
                               const std::string& selfPath, TInstallProgress& progress) {
    TUninstallOutcome outcome;
    std::unique_ptr<TFileLog> log;
    if (!options.LogFile.empty()) log = std::make_unique<TFileLog>(options.LogFile);
    TUninstaller uninstaller(progress, log.get());
    uninstaller.SelfPath = selfPath;
    if (!uninstaller.Open(dir, options.Title)) {
        Tell(options, "Cannot remove " + options.Title + ":\r" + uninstaller.Error() + "\rNothing was removed.",
             ui::TMsgDlgType::mtError);
        return outcome;
    }
    if (!options.Silent &&
        ui::Dlg().MessageDlg("Remove " + options.Title + " and all of its components?", kCaption,
                             ui::mbYes | ui::mbNo, ui::TMsgDlgType::mtConfirmation) != ui::mrYes) {
        if (log) log->Line("cancelled");
        return outcome;
    }
    const TUninstallReport report = uninstaller.Run();
    outcome.ExitCode = report.ExitCode();
    outcome.SelfLeft = uninstaller.SelfLeft();
    outcome.SelfDirs = uninstaller.SelfDirectories();
    if (log) log->Line("exit code " + std::to_string(outcome.ExitCode));
    if (report.Leftovers.empty()) {
        Tell(options, options.Title + " was removed from your computer.", ui::TMsgDlgType::mtInformation);
    } else {
        std::string text = options.Title + " was removed from your computer, except for:";
        for (const std::string& left : report.Leftovers) text += "\r" + left;
        Tell(options, text, ui::TMsgDlgType::mtWarning);
    }
    return outcome;
}

}  // namespace zov
