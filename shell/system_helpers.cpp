#include "shell/system_helpers.h"

#include <memory>
#include <vector>

#include "shell/WinReboot.h"
#include "sys/paths.h"
#include "sys/stream.h"
#include "sys/system.h"

namespace zov {

void SplitField(std::string& text, char separator, std::string& head) {
    const size_t at = text.find(separator);
    if (at == std::string::npos) {
        head = text;
        return;
    }
    head = text.substr(0, at);
    text.erase(0, at + 1);
}

std::string GetWindowsDir() {
    std::string dir = sys::Sys().GetWindowsDirectory();
    if (dir.size() > 3 && dir.back() == '\\') dir.pop_back();
    return dir;
}

std::string GetShortPath(const std::string& path) {
    std::string shortPath;
    if (!sys::Sys().GetShortPathName(path, shortPath) || shortPath.empty()) return path;
    return shortPath;
}

void CopyFileInto(const std::string& source, const std::string& target) {
    sys::System& os = sys::Sys();
    std::string dest = os.GetFullPathName(target);
    // A failed query answers all ones, which carries the directory bit: a missing target
    // is taken for a directory.
    if (os.GetFileAttributes(dest) & sys::kAttrDirectory) {
        if (dest.empty() || dest.back() != '\\') dest += '\\';
        dest += FileNamePart(source);
    }
    CopyFileTo(source, dest);
}

void CopyFileTo(const std::string& source, const std::string& dest) {
    sys::System& os = sys::Sys();
    std::unique_ptr<sys::File> in =
        os.OpenFile(source, sys::FileAccess::Read, sys::FileCreate::OpenExisting,
                    sys::FileShare::DenyWrite);
    if (!in) throw EFOpenError("Cannot open file " + source, sys::FailureOf(source));
    std::unique_ptr<sys::File> out =
        os.OpenFile(dest, sys::FileAccess::Write, sys::FileCreate::CreateAlways,
                    sys::FileShare::DenyWrite);
    if (!out) throw EFCreateError("Cannot create file " + dest, sys::FailureOf(dest));
    constexpr uint32_t kBlock = 64 * 1024;  // large payload files in few system calls
    std::vector<char> buffer(kBlock);
    for (;;) {
        uint32_t got = 0, put = 0;
        if (!in->Read(buffer.data(), kBlock, got)) throw EReadError("Stream read error", sys::FailureOf(source));
        if (got == 0) break;
        if (!out->Write(buffer.data(), got, put) || put != got) {
            const sys::Failure failure = WriteFailure(dest);
            throw EWriteError(WriteFailureText(failure), failure);
        }
    }
}

bool PlaceFile(const std::string& source, const std::string& target, bool mayMove) {
    if (mayMove && sys::Sys().MoveFileReplacing(source, target)) return true;
    CopyFileTo(source, target);
    return false;
}

intptr_t LaunchProgram(const std::string& file, const std::string& parameters,
                       const std::string& directory, int showMode) {
    return sys::Sys().ShellExecute("", file, parameters, directory, showMode);
}

bool TWinReboot::AdjustPrivilege(const std::string& name, bool enable) {
    return sys::Sys().AdjustTokenPrivilege(name, enable);
}

bool TWinReboot::Reboot(uint32_t flags) {
    AdjustPrivilege("SeShutdownPrivilege", true);
    const bool accepted = sys::Sys().ExitWindows(flags);
    AdjustPrivilege("SeShutdownPrivilege", false);
    return accepted;
}

}  // namespace zov
