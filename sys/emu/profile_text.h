#pragma once
// The text of one profile (INI) file and the rules Windows reads and edits it by:
// - "[name]" starts a section; section and key names are compared without regard to case,
//   after blanks around them are removed;
// - "key=value" is a key (blanks around both removed, the value is everything after the
//   first "="); a line without "=" is no key; lines starting with ";" are comments;
// - a value enclosed in matching double or single quotes loses them;
// - of sections with the same name the first counts, and so does the first of equal keys;
// - a write edits the one line it concerns and leaves every other line as it was.
#include <optional>
#include <string>
#include <vector>

namespace zov::sys::emu {

class ProfileText {
public:
    explicit ProfileText(const std::string& bytes = "");

    std::optional<std::string> Get(const std::string& section, const std::string& key) const;
    // Key names of the first section of that name, in file order; empty when it is missing.
    std::vector<std::string> KeyNames(const std::string& section) const;
    std::vector<std::string> SectionNames() const;
    void Set(const std::string& section, const std::string& key, const std::string& value);
    // Removes the key's line, or with an empty key the section's header and all its lines.
    void Remove(const std::string& section, const std::string& key);
    // Replaces the section's keys by the "key=value" lines, each as given (a line without "="
    // is left out), keeping the section's place and its other lines.
    void ReplaceKeys(const std::string& section, const std::vector<std::string>& keyLines);

    std::string Bytes() const;

private:
    enum class Kind { Blank, Section, Comment, Key, NoKey };
    struct Line {
        std::string text;     // without its line break
        std::string newline;  // "\r\n", "\n", "\r" or "" for the last line
        Kind kind;
        std::string name;     // the section's or key's name in capitals, as lookups compare it
    };
    static Line MakeLine(std::string text, std::string newline);
    static Kind KindOf(const std::string& text);
    static std::string SectionNameOf(const std::string& text);
    static std::string KeyNameOf(const std::string& text);
    // Index of the header of the first section named so; npos when missing.
    size_t FindSection(const std::string& section) const;
    // The lines of the section whose header is at `header`: [header + 1, end).
    size_t SectionEnd(size_t header) const;
    size_t FindKey(size_t header, const std::string& key) const;
    // Where a new key of the section goes: after its last line that is not blank, so that
    // blank lines parting it from the next section stay where they are.
    size_t KeyInsertPoint(size_t header) const;

    std::vector<Line> lines_;
};

// Blanks (spaces and tabs) off both ends.
std::string TrimBlanks(const std::string& s);

// A list of names as it fits into a buffer of `bufferSize` bytes holding each name with a
// terminating zero and one more zero at the end: unless the list leaves at least one byte
// of the buffer unused, it is cut to bufferSize - 2 bytes, which may cut the last name seen.
std::vector<std::string> NamesAsSeen(const std::vector<std::string>& names, uint32_t bufferSize);

}  // namespace zov::sys::emu
