// uninstaller.exe under Windows (Wine): a product installed by the install engine into the
// real system is removed by the real program, silently and after a confirmation clicked by
// a second thread; the drive and the registry's Software keys are compared before and after.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/test_prompts.h"
#include "install/setup_config.h"
#include "install/wizard/install_engine.h"
#include "sys/paths.h"
#include "sys/win32/windows_api.h"
#include "tests/support/test_machine.h"

namespace zov::test {
namespace {

using State = std::map<std::string, std::string>;

std::string HostFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Names and sizes of everything on the drive but below the directories in `skip` (the
// temporary directory, where Wine and the tests work, the users' folders, which Wine links
// to the host's home that other programs change at any time, and the system's large ones).
void AddTree(const std::string& dir, const std::vector<std::string>& skip, State& state) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = dir + "\\" + name;
        if (std::find(skip.begin(), skip.end(), UpperCase(path)) != skip.end()) continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            state[path] = "<dir>";
            AddTree(path, skip, state);
        } else {
            state[path] = std::to_string(data.nFileSizeLow);
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

// Every key and value name below `key`, with the value's type and size.
void AddKeys(HKEY root, const std::string& rootName, const std::string& key, State& state) {
    // The class registrations are many and no install here touches them; Wine keeps its
    // own state below Software\Wine (display settings it saves when a window first shows).
    if (UpperCase(key).find("\\CLASSES") != std::string::npos) return;
    if (UpperCase(key) == "SOFTWARE\\WINE") return;
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return;
    state[rootName + key] = "<key>";
    char name[16384];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name, type = 0, size = 0;
        if (RegEnumValueA(handle, i, name, &length, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        state[rootName + key + " " + name] = std::to_string(type) + ":" + std::to_string(size);
    }
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(handle, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        AddKeys(root, rootName, key + "\\" + name, state);
    }
    RegCloseKey(handle);
}

std::string Describe(const State& before, const State& after) {
    std::string text;
    for (const auto& [name, what] : before)
        if (!after.count(name)) text += "gone: " + name + "\n";
        else if (after.at(name) != what) text += "changed: " + name + "\n";
    for (const auto& [name, what] : after)
        if (!before.count(name)) text += "new: " + name + "\n";
    return text;
}

class NoProgress : public TInstallProgress {};

struct WindowSearch {
    DWORD pid;
    bool found;
};

BOOL CALLBACK FindShownWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    search->found = owner == search->pid && IsWindowVisible(window);
    return !search->found;
}

bool ShowsWindow(DWORD pid) {
    WindowSearch search{pid, false};
    EnumWindows(FindShownWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class UninstallerExe : public ::testing::Test {
protected:
    TestMachine machine;
    // Registrations outlive the test machine: a title no earlier run has used.
    const std::string title =
        "Zov Test " + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
    const std::string target = machine.Path("Acme Tool");

    State Machine() {
        State state;
        char temp[MAX_PATH + 1] = {};
        GetTempPathA(sizeof temp, temp);
        AddTree("C:",
                {UpperCase(WithoutTrailingBackslash(temp)), "C:\\USERS", "C:\\WINDOWS\\SYSTEM32", "C:\\WINDOWS\\SYSWOW64",
                 "C:\\WINDOWS\\WINSXS", "C:\\WINDOWS\\INSTALLER", "C:\\WINDOWS\\MICROSOFT.NET"},
                state);
        AddKeys(HKEY_LOCAL_MACHINE, "HKLM\\", "Software", state);
        AddKeys(HKEY_CURRENT_USER, "HKCU\\", "Software", state);
        return state;
    }

    void Install() {
        TSetupSettings settings;
        TScreenLook look;
        settings.WindowsRoot = "C:\\";
        settings.TempDir = machine.Path("payload");
        ForceDirectories(settings.TempDir);
        const std::string cfg = "[Directories]\r\nDir1=<INSTALLDIR>~\r\nDir2=<SUB1><INSTALLDIR>~Data\\Deep\r\n"
                                "[Files]\r\nFile1=tool.exe~<INSTALLDIR>\r\nFile2=uninstaller.exe~<INSTALLDIR>\r\n"
                                "File3=data.dat~<SUB1><INSTALLDIR>\r\n"
                                "[INI - Setup]\r\nIni1=<INSTALLDIR>\\acme.ini~Paths~Home~<INSTALLDIR>\r\n"
                                "Ini2=HKEY_CURRENT_USER\\Software\\" + title + "~Tool\\Settings~Path~<INSTALLDIR>\r\n";
        machine.WriteFile(settings.TempDir + "\\install.cfg", cfg);
        machine.WriteFile(settings.TempDir + "\\install.exe", "MZ");
        machine.WriteFile(settings.TempDir + "\\tool.exe", "MZ tool");
        machine.WriteFile(settings.TempDir + "\\data.dat", "data");
        std::string program = ZOV_UNINSTALLER_EXE;
        for (char& c : program)
            if (c == '/') c = '\\';
        machine.WriteFile(settings.TempDir + "\\uninstaller.exe", HostFile(program));
        ReadSetupConfig(settings.TempDir + "\\install.cfg", settings, look);
        TInstallChoices choices;
        choices.Title = title;
        choices.Destination = target;
        NoProgress progress;
        test::TTestPrompts prompts;
        ASSERT_EQ(TInstallEngine(settings, choices, prompts, progress).Run().ExitCode(), 0);
        EmptyAndRemoveDirectory(settings.TempDir);
    }

    bool windowShown = false;  // by the last Run

    // Runs the installed program as the registration does; its exit code.
    DWORD Run(const std::string& switches) {
        std::string command = "\"" + target + "\\uninstaller.exe\" " + switches + title;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
            return 999;
        windowShown = false;
        for (int i = 0; i < 30000 && WaitForSingleObject(process.hProcess, 2) == WAIT_TIMEOUT; ++i)
            windowShown = windowShown || ShowsWindow(process.dwProcessId);
        DWORD code = 999;
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return code;
    }

    // The copy that removes the program's own file works on after it has ended.
    bool WaitUntilGone(const std::string& path) {
        for (int i = 0; i < 600 && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; ++i) Sleep(50);
        return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
    }
};

HWND WaitForMessageBox(const char* caption) {
    for (int i = 0; i < 1200; ++i) {
        HWND w = FindWindowA("#32770", caption);
        if (w && IsWindowVisible(w)) return w;
        Sleep(25);
    }
    return nullptr;
}

TEST_F(UninstallerExe, SilentRemovalLeavesTheMachineAsItWas) {
    const State before = Machine();
    Install();
    ASSERT_TRUE(FileExists(target + "\\uninstaller.exe"));
    ASSERT_EQ(Run("/S /LOG=" + machine.Path("u.log") + " "), 0u);
    EXPECT_FALSE(windowShown);
    EXPECT_TRUE(WaitUntilGone(target));
    const std::string log = machine.ReadFile(machine.Path("u.log"));
    EXPECT_NE(log.find("removed " + target + "\\tool.exe"), std::string::npos) << log;
    machine.System().DeleteFile(machine.Path("u.log"));
    const State after = Machine();
    EXPECT_TRUE(before == after) << Describe(before, after);
}

TEST_F(UninstallerExe, ConfirmedRemovalAsksAndReports) {
    const State before = Machine();
    Install();
    bool asked = false, told = false;
    std::thread user([&] {
        if (HWND w = WaitForMessageBox("Uninstall")) {
            asked = true;
            PostMessageA(w, WM_COMMAND, IDYES, 0);
        }
        Sleep(0);
        // The final message comes once the first box has gone.
        for (int i = 0; i < 1200; ++i) {
            HWND w = FindWindowA("#32770", "Uninstall");
            if (w && IsWindowVisible(w) && GetDlgItem(w, IDOK)) {
                told = true;
                PostMessageA(w, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(25);
        }
    });
    EXPECT_EQ(Run(""), 0u);
    user.join();
    EXPECT_TRUE(asked);
    EXPECT_TRUE(told);
    EXPECT_TRUE(WaitUntilGone(target));
    const State after = Machine();
    EXPECT_TRUE(before == after) << Describe(before, after);
}

TEST_F(UninstallerExe, DeclinedNothingGoes) {
    Install();
    std::thread user([] {
        if (HWND w = WaitForMessageBox("Uninstall")) PostMessageA(w, WM_COMMAND, IDNO, 0);
    });
    EXPECT_EQ(Run(""), 1u);
    user.join();
    EXPECT_TRUE(FileExists(target + "\\tool.exe"));
    EXPECT_TRUE(FileExists(target + "\\uninstaller.exe"));
    EXPECT_EQ(Run("/S "), 0u);
    EXPECT_TRUE(WaitUntilGone(target));
}

}  // namespace
}  // namespace zov::test
