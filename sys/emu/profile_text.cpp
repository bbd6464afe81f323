#include "sys/emu/profile_text.h"

#include <cstdint>

#include "sys/emu/emu_paths.h"

namespace zov::sys::emu {
namespace {

const size_t npos = std::string::npos;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A value as a write puts it in its line: blanks before it dropped.
std::string ValueText(const std::string& value) {
    size_t start = 0;
    while (start < value.size() && IsBlank(value[start])) ++start;
    return value.substr(start);
}

std::string StripQuotes(const std::string& value) {
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

std::string TrimBlanks(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

ProfileText::ProfileText(const std::string& bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        struct {
            std::string text, newline;
        } line;
        size_t j = i;
        while (j < bytes.size() && bytes[j] != '\r' && bytes[j] != '\n') ++j;
        line.text = bytes.substr(i, j - i);
        if (j < bytes.size()) {
            const bool crlf = bytes[j] == '\r' && j + 1 < bytes.size() && bytes[j + 1] == '\n';
            line.newline = crlf ? "\r\n" : std::string(1, bytes[j]);
        }
        i = j + line.newline.size();
        lines_.push_back(MakeLine(std::move(line.text), std::move(line.newline)));
    }
}

ProfileText::Line ProfileText::MakeLine(std::string text, std::string newline) {
    const Kind kind = KindOf(text);
    std::string name;
    if (kind == Kind::Section) name = UpperAscii(SectionNameOf(text));
    else if (kind != Kind::Blank) name = UpperAscii(KeyNameOf(text));
    return Line{std::move(text), std::move(newline), kind, std::move(name)};
}

ProfileText::Kind ProfileText::KindOf(const std::string& text) {
    const std::string t = TrimBlanks(text);
    if (t.empty()) return Kind::Blank;
    if (t[0] == '[') return Kind::Section;
    if (t[0] == ';') return Kind::Comment;
    return t.find('=') == npos ? Kind::NoKey : Kind::Key;
}

std::string ProfileText::SectionNameOf(const std::string& text) {
    const std::string t = TrimBlanks(text);
    const size_t close = t.find(']');
    return TrimBlanks(t.substr(1, close == npos ? npos : close - 1));
}

std::string ProfileText::KeyNameOf(const std::string& text) {
    return TrimBlanks(text.substr(0, text.find('=')));
}

size_t ProfileText::FindSection(const std::string& section) const {
    const std::string want = UpperAscii(TrimBlanks(section));
    for (size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == Kind::Section && lines_[i].name == want) return i;
    return npos;
}

size_t ProfileText::SectionEnd(size_t header) const {
    size_t i = header + 1;
    while (i < lines_.size() && lines_[i].kind != Kind::Section) ++i;
    return i;
}

size_t ProfileText::FindKey(size_t header, const std::string& key) const {
    const std::string want = UpperAscii(TrimBlanks(key));
    const size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i)
        if (lines_[i].kind != Kind::Blank && lines_[i].name == want) return i;
    return npos;
}

std::optional<std::string> ProfileText::Get(const std::string& section,
                                            const std::string& key) const {
    const size_t header = FindSection(section);
    if (header == npos) return std::nullopt;
    const size_t at = FindKey(header, key);
    if (at == npos) return std::nullopt;
    const std::string& text = lines_[at].text;
    const size_t eq = text.find('=');
    if (eq == npos) return std::nullopt;  // the first line of that name has no value
    return StripQuotes(TrimBlanks(text.substr(eq + 1)));
}

std::vector<std::string> ProfileText::KeyNames(const std::string& section) const {
    std::vector<std::string> names;
    const size_t header = FindSection(section);
    if (header == npos) return names;
    const size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i)
        if (lines_[i].kind == Kind::Key) names.push_back(KeyNameOf(lines_[i].text));
    return names;
}

std::vector<std::string> ProfileText::SectionNames() const {
    std::vector<std::string> names;
    for (const Line& line : lines_)
        if (line.kind == Kind::Section) names.push_back(SectionNameOf(line.text));
    return names;
}

void ProfileText::Set(const std::string& section, const std::string& key,
                      const std::string& value) {
    const std::string keyText = TrimBlanks(key);
    const std::string valueText = ValueText(value);

    size_t header = FindSection(section);
    if (header == npos) {
        if (!lines_.empty() && lines_.back().newline.empty()) lines_.back().newline = "\r\n";
        lines_.push_back(MakeLine("[" + TrimBlanks(section) + "]", "\r\n"));
        lines_.push_back(MakeLine(keyText + "=" + valueText, "\r\n"));
        return;
    }
    const size_t at = FindKey(header, keyText);
    if (at != npos) {
        lines_[at] = MakeLine(KeyNameOf(lines_[at].text) + "=" + valueText, lines_[at].newline);
        return;
    }
    const size_t insertAt = KeyInsertPoint(header);
    if (lines_[insertAt - 1].newline.empty()) lines_[insertAt - 1].newline = "\r\n";
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                  MakeLine(keyText + "=" + valueText, "\r\n"));
}

size_t ProfileText::KeyInsertPoint(size_t header) const {
    size_t insertAt = header + 1;
    const size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i)
        if (lines_[i].kind != Kind::Blank) insertAt = i + 1;
    return insertAt;
}

void ProfileText::ReplaceKeys(const std::string& section, const std::vector<std::string>& keyLines) {
    // Each key line is written as given, equal keys too.
    std::vector<Line> block;
    for (const std::string& line : keyLines)
        if (const size_t eq = line.find('='); eq != npos)
            block.push_back(MakeLine(TrimBlanks(line.substr(0, eq)) + "=" + ValueText(line.substr(eq + 1)), "\r\n"));
    size_t header = FindSection(section);
    if (header == npos) {
        if (block.empty()) return;
        if (!lines_.empty() && lines_.back().newline.empty()) lines_.back().newline = "\r\n";
        lines_.push_back(MakeLine("[" + TrimBlanks(section) + "]", "\r\n"));
        lines_.insert(lines_.end(), block.begin(), block.end());
        return;
    }
    const size_t end = SectionEnd(header);
    std::vector<Line> kept;
    kept.reserve(lines_.size());
    for (size_t i = 0; i < lines_.size(); ++i)
        if (i <= header || i >= end || lines_[i].kind != Kind::Key) kept.push_back(std::move(lines_[i]));
    lines_ = std::move(kept);
    const size_t insertAt = KeyInsertPoint(header);
    if (!block.empty() && lines_[insertAt - 1].newline.empty()) lines_[insertAt - 1].newline = "\r\n";
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), block.begin(), block.end());
}

void ProfileText::Remove(const std::string& section, const std::string& key) {
    const size_t header = FindSection(section);
    if (header == npos) return;
    if (key.empty()) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
                     lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(header)));
        return;
    }
    const size_t at = FindKey(header, key);
    if (at != npos) lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(at));
}

std::string ProfileText::Bytes() const {
    std::string out;
    for (const Line& line : lines_) out += line.text + line.newline;
    return out;
}

std::vector<std::string> NamesAsSeen(const std::vector<std::string>& names, uint32_t bufferSize) {
    std::string packed;
    for (const std::string& n : names) packed += n + '\0';
    // Windows counts a list that would fill the buffer exactly as cut as well.
    if (packed.size() + 2 > bufferSize) packed.resize(bufferSize > 2 ? bufferSize - 2 : 0);
    std::vector<std::string> seen;
    std::string current;
    for (char c : packed) {
        if (c != 0) {
            current += c;
            continue;
        }
        if (!current.empty()) seen.push_back(current);
        current.clear();
    }
    if (!current.empty()) seen.push_back(current);
    return seen;
}

}  // namespace zov::sys::emu
