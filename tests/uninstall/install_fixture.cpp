#include "tests/uninstall/install_fixture.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "install/cfg_entries.h"
#include "tests/support/test_prompts.h"
#include "install/setup_config.h"
#include "sys/emu/emulated_system.h"
#include "sys/paths.h"

namespace zov::test {
namespace fs = std::filesystem;

namespace {

std::string HostFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class NoProgress : public TInstallProgress {};

}  // namespace

InstallFixture::InstallFixture() {
    // What every Windows has before a product comes.
    os.RegCreateKey(sys::RegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
    ForceDirectories("C:\\Program Files");
    os.RegSetString(sys::RegRoot::CurrentUser, "Software\\Existing", "Kept", "yes");
    machine.WriteFile("C:\\autoexec.bat", "@ECHO OFF\r\nPATH C:\\WINDOWS;C:\\WINDOWS\\COMMAND\r\n");
    machine.WriteFile("C:\\WINDOWS\\win.ini", "[windows]\r\nload=\r\nrun=\r\n[Desktop]\r\nWallpaper=(None)\r\n");
}

std::map<std::string, std::string> InstallFixture::Snapshot() {
    auto& emu = dynamic_cast<sys::emu::EmulatedSystem&>(os);
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(emu.Root())) {
        const std::string name = fs::relative(entry.path(), emu.Root()).string();
        // The journal of requests and the record of attributes and 8.3 names (a name keeps
        // the short name it was once given, as on Windows) are not what an install changes.
        if (name == "launch.log" || name == "entries") continue;
        tree[name] = entry.is_directory() ? "<dir>" : HostFile(entry.path());
    }
    return tree;
}

TInstallReport InstallFixture::Install(const std::string& cfg, const Payload& payload,
                                       const std::string& destination, const std::string& title) {
    TSetupSettings settings;
    TScreenLook look;
    settings.WindowsRoot = "C:\\";
    settings.TempDir = "C:\\WINDOWS\\Temp\\z";
    ForceDirectories(settings.TempDir);
    machine.WriteFile(settings.TempDir + "\\install.cfg", cfg);
    machine.WriteFile(settings.TempDir + "\\install.exe", "MZ setup");
    for (const auto& [name, bytes] : payload) machine.WriteFile(settings.TempDir + "\\" + name, bytes);
    ReadSetupConfig(settings.TempDir + "\\install.cfg", settings, look);
    TInstallChoices choices;
    choices.Title = title;
    choices.Destination = destination;
    choices.FolderDesktop = true;
    choices.FolderStartMenu = true;
    for (const std::string& entry : settings.Shortcuts) {
        const std::string name = ParseLinkEntry(entry).Name;
        choices.DesktopLinks.push_back(name);
        choices.StartMenuLinks.push_back(name);
    }
    NoProgress quiet;
    test::TTestPrompts ignoring;
    TInstallEngine engine(settings, choices, prompts ? *prompts : ignoring, progress ? *progress : quiet);
    if (beforeRun) beforeRun();
    const TInstallReport report = engine.Run();
    EmptyAndRemoveDirectory(settings.TempDir);
    return report;
}

TUninstallOutcome InstallFixture::RemoveProduct(const std::string& dir, const std::string& title, bool silent) {
    TUninstallOptions options;
    options.Silent = silent;
    options.Title = title;
    NoProgress progress;
    ui::TDialogPrompts prompts;
    return RunUninstall(options, dir, "", progress, prompts);
}

std::string InstallFixture::Describe(const std::map<std::string, std::string>& before,
                                     const std::map<std::string, std::string>& after) {
    std::string text;
    for (const auto& [name, bytes] : before) {
        const auto it = after.find(name);
        if (it == after.end())
            text += "gone: " + name + "\n";
        else if (it->second != bytes)
            text += "changed: " + name + "\n--- before\n" + bytes + "\n--- after\n" + it->second + "\n";
    }
    for (const auto& [name, bytes] : after)
        if (!before.count(name)) text += "new: " + name + "\n";
    return text;
}

std::string ExampleConfig() { return HostFile(fs::path(ZOV_EXAMPLES_DIR) / "install.cfg"); }

Payload ExamplePayload() {
    Payload payload;
    for (const auto& entry : fs::directory_iterator(fs::path(ZOV_EXAMPLES_DIR) / "payload"))
        payload.emplace_back(entry.path().filename().string(), HostFile(entry.path()));
    // The example's two programs are made by the Windows build; here they are stand-ins.
    payload.emplace_back("notes.exe", "MZ the example's program");
    payload.emplace_back("uninstaller.exe", "MZ the uninstaller");
    return payload;
}

}  // namespace zov::test
