#include "install/cfg_integrity.h"

#include "sys/decimal.h"
#include "sys/paths.h"
#include "sys/system.h"

namespace zov {
namespace {

bool IsSectionLine(const std::string& line) {
    const size_t first = line.find_first_not_of(" \t");
    return first != std::string::npos && line[first] == '[';
}

bool IsBlankOrComment(const std::string& line) {
    const size_t first = line.find_first_not_of(" \t\r\n");
    return first == std::string::npos || line[first] == ';';
}

bool IsDiskCheckHeader(const std::string& line) {
    const size_t first = line.find_first_not_of(" \t");
    return UpperCase(line.substr(first)).rfind(UpperCase(std::string("[") + segment::kSegCheckSection + "]"), 0) == 0;
}

// The builder's section header, as the first bytes of the file.
std::string HeadText() { return std::string("[") + segment::kSegCheckSection + "]"; }

}  // namespace

std::string TextWithoutDiskCheck(const std::string& text) {
    std::string kept;
    bool inSection = false;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        const std::string line = text.substr(start, end - start);
        start = end;
        if (IsSectionLine(line)) {
            inSection = IsDiskCheckHeader(line);
            if (inSection) continue;
        }
        if (!inSection || IsBlankOrComment(line)) kept += line;
    }
    return kept;
}

segment::TSegCheck ConfigTextCheck(const std::string& text) {
    const std::string measured = TextWithoutDiskCheck(text);
    segment::TSegCheck check;
    check.Size = static_cast<int64_t>(measured.size());
    check.Crc = segment::Crc32Update(0, reinterpret_cast<const uint8_t*>(measured.data()), measured.size());
    return check;
}

std::string WithDiskCheck(const std::string& entries, const std::string& text) {
    const std::string header = HeadText() + "\r\n";
    return header + kConfigCheckKey + "=" + segment::SegCheckValue(ConfigTextCheck(header + entries + text)) +
           "\r\n" + entries + text;
}

std::string ConfigTextFault(const std::string& cfgPath, const std::string& text) {
    const std::string value =
        sys::Sys().GetProfileString(cfgPath, segment::kSegCheckSection, kConfigCheckKey, "", 64);
    const std::string head = HeadText();
    const bool startsWithSection = !text.empty() && (text.size() < head.size() ? head.compare(0, text.size(), text) == 0
                                                                                : text.compare(0, head.size(), head) == 0);
    if (value.empty() && !startsWithSection) return "";  // an older medium: nothing to check
    segment::TSegCheck expected;
    if (!segment::ParseSegCheck(value, expected))
        return cfgPath + " is cut short: its [" + segment::kSegCheckSection + "] section is incomplete";
    const segment::TSegCheck found = ConfigTextCheck(text);
    if (found.Size < expected.Size)
        return cfgPath + " is cut short: " + DecimalText(found.Size) + " of " + DecimalText(expected.Size) + " bytes";
    if (found.Size != expected.Size || found.Crc != expected.Crc)
        return cfgPath + " was changed after the medium was built: its text does not match its [" +
               segment::kSegCheckSection + "] entry " + kConfigCheckKey + "=" + value;
    return "";
}

std::string ConfigFileFault(const std::string& cfgPath) {
    auto file = sys::Sys().OpenFile(cfgPath, sys::FileAccess::Read, sys::FileCreate::OpenExisting,
                                    sys::FileShare::DenyWrite);
    if (!file) return "";
    std::string text(static_cast<size_t>(file->Size()), '\0');
    uint32_t done = 0;
    if (!text.empty() && !file->Read(text.data(), static_cast<uint32_t>(text.size()), done)) return "";
    text.resize(done);
    return ConfigTextFault(cfgPath, text);
}

}  // namespace zov
