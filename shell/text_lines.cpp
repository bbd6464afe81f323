#include "shell/text_lines.h"

#include "sys/exception.h"
#include "sys/system.h"

namespace zov {

std::vector<std::string> ReadTextLines(const std::string& path) {
    std::vector<std::string> lines;
    auto f = sys::Sys().OpenFile(path, sys::FileAccess::Read, sys::FileCreate::OpenExisting,
                                 sys::FileShare::DenyWrite);
    if (!f) return lines;
    std::string bytes;
    char buffer[8192];
    uint32_t got = 0;
    while (f->Read(buffer, sizeof buffer, got) && got > 0) bytes.append(buffer, got);
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
    return lines;
}

void SaveTextLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r\n";
    auto f = sys::Sys().OpenFile(path, sys::FileAccess::Write, sys::FileCreate::CreateAlways,
                                 sys::FileShare::DenyWrite);
    if (!f) throw EFCreateError(sys::FailureText(path));
    uint32_t done = 0;
    if (!f->Write(bytes.data(), static_cast<uint32_t>(bytes.size()), done) || done != bytes.size())
        throw EWriteError(sys::FailureText(path));
}

}  // namespace zov
