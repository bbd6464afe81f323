#include "shell/text_lines.h"

#include "sys/exception.h"
#include "sys/paths.h"
#include "sys/system.h"

namespace zov {

std::vector<std::string> ReadTextLines(const std::string& path) {
    std::vector<std::string> lines;
    ReadTextLines(path, lines);
    return lines;
}

bool ReadTextLines(const std::string& path, std::vector<std::string>& lines) {
    lines.clear();
    auto f = sys::Sys().OpenFile(path, sys::FileAccess::Read, sys::FileCreate::OpenExisting,
                                 sys::FileShare::DenyWrite);
    if (!f) return false;
    std::string bytes;
    char buffer[8192];
    uint32_t got = 0;
    bool ok = true;
    while ((ok = f->Read(buffer, sizeof buffer, got)) && got > 0) bytes.append(buffer, got);
    if (!ok) return false;
    std::string line;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return true;
}

namespace {

std::string ComparableLine(std::string line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
    const size_t first = line.find_first_not_of(" \t");
    line.erase(0, first == std::string::npos ? line.size() : first);
    if (line.size() >= 2 && line.front() == '"' && line.back() == '"') line = line.substr(1, line.size() - 2);
    return UpperCase(line);
}

}  // namespace

size_t FindLineBlock(const std::vector<std::string>& lines, const std::vector<std::string>& block) {
    size_t found = std::string::npos;
    if (block.empty()) return found;
    for (size_t at = 0; at + block.size() <= lines.size(); ++at) {
        bool same = true;
        for (size_t i = 0; same && i < block.size(); ++i) same = ComparableLine(lines[at + i]) == ComparableLine(block[i]);
        if (same) found = at;
    }
    return found;
}

void SaveTextLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r\n";
    // Written whole beside the old file, then moved over it: a failure on the way leaves the
    // old file as it was, never an empty or half-written one.
    std::string name = FileNamePart(path);
    name = name.substr(0, name.find('.')) + ".$$$";
    const std::string beside = DirectoryPart(path) + name;
    sys::System& os = sys::Sys();
    {
        auto f = os.OpenFile(beside, sys::FileAccess::Write, sys::FileCreate::CreateAlways, sys::FileShare::DenyWrite);
        if (!f) throw EFCreateError(sys::FailureText(path));
        uint32_t done = 0;
        if (!f->Write(bytes.data(), static_cast<uint32_t>(bytes.size()), done) || done != bytes.size()) {
            const std::string reason = sys::FailureText(path);
            f.reset();
            os.DeleteFile(beside);
            throw EWriteError(reason);
        }
    }
    if (!os.MoveFileReplacing(beside, path)) {
        const std::string reason = sys::FailureText(path);
        os.DeleteFile(beside);
        throw EFCreateError(reason);
    }
}

}  // namespace zov
