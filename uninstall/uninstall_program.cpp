#include "uninstall/uninstall_program.h"

#include <memory>

#include "install/setup_log.h"
#include "install/setup_switches.h"
#include "install/wizard/uninstall_info.h"
#include "sys/decimal.h"
#include "sys/paths.h"
#include "sys/system.h"
#include "uninstall/uninstaller.h"
#include "sys/concat.h"

namespace zov {
namespace {

constexpr const char* kCaption = "Uninstall";

void Tell(const TUninstallOptions& options, TSetupPrompts& prompts, const std::string& text, TMessageKind kind) {
    if (!options.Silent) prompts.Message(text, kCaption, kind);
}

// Names the files, as many as a message box can show.
std::string OtherFilesQuestion(const std::string& title, const std::vector<std::string>& files) {
    constexpr size_t kShown = 15;
    std::string text = Concat({"These files in the folders of ", title, " were not put there by its setup:"});
    for (size_t i = 0; i < files.size() && i < kShown; ++i) text += "\r" + files[i];
    if (files.size() > kShown) text += Concat({"\r... and ", DecimalText(files.size() - kShown), " more"});
    return text + "\rRemove them too?";
}

}  // namespace

std::string ParseUninstallArgs(const std::vector<std::string>& args, TUninstallOptions& options) {
    options = TUninstallOptions{};
    const TSetupSwitches switches = ParseSetupSwitches(args);
    if (!switches.Error.empty()) return switches.Error + ".";
    if (switches.Destination || switches.Workstation || switches.End || switches.FolderStartMenu ||
        switches.FolderDesktop)
        return "The uninstaller takes /S and /LOG=file only.";
    options.Silent = switches.Silent;
    options.LogFile = switches.LogPath;
    for (const std::string& word : switches.Params)
        if (!word.empty()) options.Title += (options.Title.empty() ? "" : " ") + word;
    if (options.Title.empty()) return "Which product to remove? Its title is missing.";
    return "";
}

TUninstallOutcome RunUninstall(const TUninstallOptions& options, const std::string& dir,
                               const std::string& selfPath, TInstallProgress& progress, TSetupPrompts& prompts) {
    TUninstallOutcome outcome;
    std::unique_ptr<TSetupFileLog> log;
    if (!options.LogFile.empty()) log = std::make_unique<TSetupFileLog>(options.LogFile);
    TUninstaller uninstaller(progress, log.get());
    uninstaller.SelfPath = selfPath;
    if (!uninstaller.Open(dir, options.Title)) {
        Tell(options, prompts, Concat({"Cannot remove ", options.Title, ":\r", uninstaller.Error(), "\rNothing was removed."}),
             TMessageKind::Error);
        return outcome;
    }
    if (!options.Silent && !prompts.Confirm(Concat({"Remove ", options.Title, " and all of its components?"}), kCaption)) {
        if (log) log->Line("cancelled");
        return outcome;
    }
    // Files the setup did not put into the product's folders stay unless the user says so.
    if (!options.Silent && !uninstaller.OtherFiles().empty())
        uninstaller.RemoveOtherFiles = prompts.Confirm(OtherFilesQuestion(options.Title, uninstaller.OtherFiles()), kCaption);
    const TUninstallReport report = uninstaller.Run();
    outcome.ExitCode = report.ExitCode();
    outcome.SelfLeft = uninstaller.SelfLeft();
    outcome.SelfDirs = uninstaller.SelfDirectories();
    if (log) log->Line("exit code " + DecimalText(outcome.ExitCode));
    if (report.Leftovers.empty() && report.Kept.empty()) {
        Tell(options, prompts, options.Title + " was removed from your computer.", TMessageKind::Information);
    } else {
        std::string text = options.Title + " was removed from your computer, except for:";
        for (const std::string& left : report.Leftovers) text += "\r" + left;
        for (const std::string& kept : report.Kept) text += "\r" + kept;
        Tell(options, prompts, text, report.Leftovers.empty() ? TMessageKind::Information : TMessageKind::Warning);
    }
    return outcome;
}

}  // namespace zov
