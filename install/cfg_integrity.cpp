#include "install/cfg_integrity.h"

#include "sys/system.h"

namespace zov {
namespace {

const char kHead[] = "[Disk Check]";
constexpr size_t kHeadSize = sizeof kHead - 1;

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// The text at `at` starts with `word`, in any case.
bool StartsWith(const char* at, const char* end, const char* word) {
    for (; *word; ++word, ++at)
        if (at >= end || Upper(*at) != Upper(*word)) return false;
    return true;
}

}  // namespace

// Used by the builder: the old section goes wherever it is, with its header and entries; its
// blank and comment lines stay.
std::string TextWithoutDiskCheck(const std::string& text) {
    std::string kept;
    const char* const textEnd = text.data() + text.size();
    bool inSection = false;
    for (const char* start = text.data(); start < textEnd;) {
        const char* end = start;
        while (end < textEnd && *end++ != '\n') {
        }
        const char* first = start;
        while (first < end && (*first == ' ' || *first == '\t')) ++first;
        const char c = first < end ? *first : '\n';
        if (c == '[') inSection = StartsWith(first, end, kHead);
        if (!inSection || c == ';' || c == '\r' || c == '\n') kept.append(start, static_cast<size_t>(end - start));
        start = end;
    }
    return kept;
}

namespace {

// Where the text that the check measures starts: at the first section header after the
// first line, so after the section that the builder writes first.
size_t MeasuredStart(const std::string& text) {
    for (size_t i = 1; i < text.size(); ++i)
        if (text[i - 1] == '\n' && text[i] == '[') return i;
    return text.size();
}

segment::TSegCheck ConfigTextCheck(const std::string& text) {
    const size_t start = MeasuredStart(text);
    segment::TSegCheck check;
    check.Size = static_cast<int64_t>(text.size() - start);
    check.Crc = segment::Crc32Update(0, reinterpret_cast<const uint8_t*>(text.data()) + start, text.size() - start);
    return check;
}

}  // namespace

std::string WithDiskCheck(const std::string& entries, const std::string& text) {
    const std::string header = std::string(kHead) + "\r\n";
    return header + kConfigCheckKey + "=" + segment::SegCheckValue(ConfigTextCheck(header + entries + text)) +
           "\r\n" + entries + text;
}

namespace {

std::string ConfigTextFault(const std::string& cfgPath, const std::string& text) {
    // The builder writes the section first, its own entry first in it: a file that starts
    // with the section, or with a part of its header, must carry the entry.
    const char* at = text.data();
    const char* const end = at + text.size();
    const size_t head = text.size() < kHeadSize ? text.size() : kHeadSize;
    if (head == 0 || std::char_traits<char>::compare(at, kHead, head) != 0) return "";  // an older medium
    std::string value;
    at += head;
    while (at < end && (*at == '\r' || *at == '\n')) ++at;
    const char* stop = at;
    while (stop < end && *stop != '\r' && *stop != '\n') ++stop;
    if (StartsWith(at, end, kConfigCheckKey)) {
        at += std::char_traits<char>::length(kConfigCheckKey);
        if (at < stop && *at == '=') value.assign(at + 1, static_cast<size_t>(stop - at - 1));
    }
    const segment::TSegCheck found = ConfigTextCheck(text);
    segment::TSegCheck expected;
    const bool checkRead = segment::ParseSegCheck(value, expected);
    // Only a file that ends before the text its check measures is known to be cut: a shorter
    // one may as well have been edited, and is called changed.
    const bool cut = checkRead ? found.Size == 0 && expected.Size > 0 : stop == end;
    if (cut) return cfgPath + " is cut short";
    if (!checkRead || found.Size != expected.Size || found.Crc != expected.Crc)
        return cfgPath + " was changed after the medium was built";
    return "";
}

}  // namespace

std::string ConfigFileFault(const std::string& cfgPath) {
    std::unique_ptr<sys::File> file = sys::Sys().OpenFile(cfgPath, sys::FileAccess::Read, sys::FileCreate::OpenExisting,
                                                           sys::FileShare::DenyWrite);
    if (!file) return "";  // left to the reader, which takes every default
    std::string text(static_cast<size_t>(file->Size()), '\0');
    uint32_t done = 0;
    if (!file->Read(text.data(), static_cast<uint32_t>(text.size()), done)) return "";
    text.resize(done);
    return ConfigTextFault(cfgPath, text);
}

}  // namespace zov
