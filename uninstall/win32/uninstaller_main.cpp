// uninstaller.exe's entry: `uninstaller.exe [/S] [/LOG=file] TITLE`, started by Windows'
// list of programs from the product's registration. It removes the product from the
// uninstall.cfg beside it. Its own file cannot go while it runs: a copy in the temporary
// directory waits for it to end, deletes it and the directories that stayed for it, and is
// itself deleted at the next restart.
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "sys/decimal.h"
#include "sys/win32/shipped_runtime.h"
#include "sys/win32/windows_api.h"
#include "ui/application.h"
#include "ui/dialog_prompts.h"
#include "ui/win32/win32_backend.h"
#include "uninstall/uninstall_program.h"
#include "uninstall/uninstall_window.h"
#include "sys/concat.h"

namespace {

constexpr const char* kFinishSwitch = "/_FINISH=";

// The program's own file by its long name, as uninstall.cfg names it.
std::string ModulePath() {
    char path[MAX_PATH * 2] = {};
    char longPath[MAX_PATH * 2] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    // Windows 95 and NT 4.0 lack GetLongPathNameA; their paths come as started.
    using GetLongPath = DWORD(WINAPI*)(LPCSTR, LPSTR, DWORD);
    auto getLongPath = reinterpret_cast<GetLongPath>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetLongPathNameA")));
    const DWORD n = getLongPath ? getLongPath(path, longPath, sizeof longPath) : 0;
    return n && n < sizeof longPath ? std::string(longPath, n) : std::string(path);
}

std::string DirectoryOf(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

// In the copy: the uninstaller `pid` has ended or is ending; its file and then its
// directories go, or are left to the next restart.
int FinishRemoval(DWORD pid, const std::vector<std::string>& paths) {
    if (HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid)) {
        WaitForSingleObject(process, 60000);
        CloseHandle(process);
    }
    for (size_t i = 0; i < paths.size(); ++i) {
        const char* path = paths[i].c_str();
        const bool isFile = i == 0;
        // The system may hold the program's image a moment after its process has ended.
        for (int tries = 0; tries < 50; ++tries) {
            if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) break;
            if (isFile ? DeleteFileA(path) : RemoveDirectoryA(path)) break;
            if (!isFile && GetLastError() == ERROR_DIR_NOT_EMPTY) break;  // someone else's files
            Sleep(100);
        }
        if (isFile && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
            MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    MoveFileExA(ModulePath().c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return 0;
}

// The answers of a silent removal: nothing is asked and nothing is shown.
class SilentPrompts : public zov::TSetupPrompts {
public:
    bool InsertDisk(uint16_t, const std::string&, std::string&) override { return false; }
    bool RetryDisk(uint16_t, const std::string&) override { return false; }
    bool Overwrite(const std::string&) override { return false; }
    zov::TFailureChoice OnFailure(const std::string&, const zov::sys::Failure&) override {
        return zov::TFailureChoice::Ignore;
    }
    bool Confirm(const std::string&, const std::string&) override { return false; }
    void Message(const std::string&, const std::string&, zov::TMessageKind) override {}
};

std::string Quoted(const std::string& text) { return zov::Concat({"\"", text, "\""}); }

// Starts the copy that finishes the removal once this process has ended; when that cannot
// be, the file and its directories go at the next restart.
void RemoveSelfLater(const std::string& self, const std::vector<std::string>& dirs) {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string copy = zov::Concat({temp, "zovun", zov::DecimalText(GetCurrentProcessId()), ".exe"});
    std::string command = Quoted(copy) + " " + kFinishSwitch + zov::DecimalText(GetCurrentProcessId()) + " " +
                          Quoted(self);
    for (const std::string& dir : dirs) command += " " + Quoted(dir);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CopyFileA(self.c_str(), copy.c_str(), FALSE) &&
        CreateProcessA(copy.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, temp, &startup,
                       &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return;
    }
    DeleteFileA(copy.c_str());
    MoveFileExA(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    for (const std::string& dir : dirs) MoveFileExA(dir.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    zov::RestrictDllSearch();
    std::vector<std::string> args(__argv + 1, __argv + __argc);
    if (!args.empty() && args[0].rfind(kFinishSwitch, 0) == 0)
        return FinishRemoval(std::strtoul(args[0].c_str() + 9, nullptr, 10),
                             std::vector<std::string>(args.begin() + 1, args.end()));

    const std::string self = ModulePath();
    // Out of the install directory, so that it can go.
    char temp[MAX_PATH + 1] = {};
    if (GetTempPathA(sizeof temp, temp)) SetCurrentDirectoryA(temp);
    zov::TUninstallOptions options;
    const std::string problem = zov::ParseUninstallArgs(args, options);
    zov::TUninstallOutcome outcome;
    if (options.Silent) {
        if (!problem.empty()) return 1;
        // No window at all: without a window manager, showing one costs the display driver
        // seconds of waiting for it.
        SilentPrompts prompts;
        zov::TInstallProgress quiet;
        outcome = zov::RunUninstall(options, DirectoryOf(self), self, quiet, prompts);
    } else {
        zov::ui::TApplication app(zov::ui::win32::MakeWin32Backend());
        app.Title = "Uninstall";
        zov::ui::TDialogPrompts prompts;
        if (!problem.empty()) {
            prompts.Message(problem + "\rUsage: uninstaller.exe [/S] [/LOG=file] TITLE", "Uninstall",
                            zov::TMessageKind::Error);
            return 1;
        }
        auto* window = app.CreateForm<zov::TUninstallWindow>();
        outcome = zov::RunUninstall(options, DirectoryOf(self), self, *window, prompts);
    }
    if (outcome.SelfLeft) RemoveSelfLater(self, outcome.SelfDirs);
    return outcome.ExitCode;
}
